// Reading and writing telk.ini: three values in the ANSI code page, a path
// the code page cannot hold written in its short form where it has one.

#include "store/Settings.h"

#include "store/TextValues.h"

namespace telk {

SettingsValues ReadSettings(FileSystem& fs, TextCodec& codec) {
    ValueReader reader = ReadValues(fs, codec, kSettingsFile);
    SettingsValues values;
    values.client2DPath = reader.Next();
    if (values.client2DPath) values.client3DPath = reader.Next();
    if (values.client3DPath) values.uoFolder = reader.Next();
    return values;
}

void WriteDefaultSettings(FileSystem& fs, TextCodec& codec) {
    WriteValues(fs, codec, kSettingsFile, {kDefaultClient2DPath, kDefaultClient3DPath});
}

bool SurvivesCodePage(TextCodec& codec, const std::string& text) {
    return codec.FromAnsi(codec.ToAnsi(text)) == text;
}

// The file stays in the code page older copies read. A folder named in
// Hangul, say, is still found by its short name on a Japanese system.
bool WriteSettings(FileSystem& fs, TextCodec& codec, const std::string& client2DPath,
                   const std::string& client3DPath, const std::string& uoFolder) {
    std::vector<std::string> values = {client2DPath, client3DPath, uoFolder};
    bool whole = true;
    for (std::string& value : values) {
        if (SurvivesCodePage(codec, value)) continue;
        const std::string shortForm = fs.ShortPath(value);
        if (SurvivesCodePage(codec, shortForm))
            value = shortForm;
        else
            whole = false;
    }
    WriteValues(fs, codec, kSettingsFile, values);
    return whole;
}

void ApplySettings(const SettingsValues& values, ProgramState& state) {
    if (values.client2DPath) state.Client2DPath = *values.client2DPath;
    if (values.client3DPath) state.Client3DPath = *values.client3DPath;
    if (values.uoFolder) state.UoFolder = *values.uoFolder;
}

bool SaveSettings(FileSystem& fs, TextCodec& codec, const ProgramState& state) {
    return WriteSettings(fs, codec, state.Client2DPath, state.Client3DPath, state.UoFolder);
}

} // namespace telk
