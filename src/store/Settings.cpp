// Reading and writing telk.ini.

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

void WriteSettings(FileSystem& fs, TextCodec& codec, const std::string& client2DPath,
                   const std::string& client3DPath, const std::string& uoFolder) {
    WriteValues(fs, codec, kSettingsFile, {client2DPath, client3DPath, uoFolder});
}

void ApplySettings(const SettingsValues& values, ProgramState& state) {
    if (values.client2DPath) state.Client2DPath = *values.client2DPath;
    if (values.client3DPath) state.Client3DPath = *values.client3DPath;
    if (values.uoFolder) state.UoFolder = *values.uoFolder;
}

} // namespace telk
