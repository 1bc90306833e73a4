// telk.ini: the 2D and 3D client programs and the client's install folder,
// one value a line, in the working folder.
#pragma once

#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/TextCodec.h"
#include "store/ProgramState.h"

namespace telk {

// A bare name: it resolves against the current folder, which is AppFolder.
inline constexpr const char* kSettingsFile = "telk.ini";
inline constexpr const char* kDefaultClient2DPath = "c:\\Program Files\\Ultima Online 2D\\UO.exe";
inline constexpr const char* kDefaultClient3DPath = "c:\\Program Files\\Ultima Online 3D\\UO.exe";
inline constexpr const char* kDefaultUoFolder = "C:\\Program Files\\Ultima Online 2D";

// What the file holds; a value the file ended before is absent.
struct SettingsValues {
    std::optional<std::string> client2DPath;
    std::optional<std::string> client3DPath;
    std::optional<std::string> uoFolder;
};

// Takes each value the file held into the state; a value the file ended
// before leaves its variable as it was.
void ApplySettings(const SettingsValues& values, ProgramState& state);

// Reads the first three values. Throws FileError when the file cannot be read.
SettingsValues ReadSettings(FileSystem& fs, TextCodec& codec);
// The file of a first start: the two default program paths, no third line.
void WriteDefaultSettings(FileSystem& fs, TextCodec& codec);
// Writes the whole file anew, three lines. A path with characters the code
// page lacks goes in its short form where that has none. Answers whether
// every path went in whole. Throws FileError.
bool WriteSettings(FileSystem& fs, TextCodec& codec, const std::string& client2DPath,
                   const std::string& client3DPath, const std::string& uoFolder);

// Writes telk.ini anew from the state: Client2DPath, Client3DPath,
// UoFolder. Answers, as WriteSettings, whether every path went in whole.
// Throws FileError.
bool SaveSettings(FileSystem& fs, TextCodec& codec, const ProgramState& state);

// Whether text survives the code page of the program's text files.
bool SurvivesCodePage(TextCodec& codec, const std::string& text);

} // namespace telk
