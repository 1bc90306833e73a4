// The program's own text files (telk.ini, DATA.INI): one value per line in
// the system's ANSI code page, read value by value, each cut at a comma
// unless double quotes hold it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/TextCodec.h"

namespace telk {

// The file's bytes: each value followed by CR LF.
std::string EncodeValues(TextCodec& codec, const std::vector<std::string>& values);
// Creates or empties the file and writes the values. Throws FileError.
void WriteValues(FileSystem& fs, TextCodec& codec, const std::string& path,
                 const std::vector<std::string>& values);

class ValueReader {
public:
    ValueReader(TextCodec& codec, std::string ansiBytes);

    // The next value, or nothing once the file has ended.
    std::optional<std::string> Next();
    // Reads the next value into target; past the end target keeps its value
    // and the answer is false.
    bool Read(std::string& target);

private:
    TextCodec& codec_;
    std::string bytes_;
    std::size_t pos_ = 0;
};

// Reads the whole file. Throws FileError when it cannot be read.
ValueReader ReadValues(FileSystem& fs, TextCodec& codec, const std::string& path);

} // namespace telk
