// Writer and reader of the one-value-per-line text files: a value the
// reader would cut at a comma or trim goes out in double quotes; files are
// written whole and read back in the ANSI code page.

#include "store/TextValues.h"

#include "store/WriteWhole.h"

#include <utility>

namespace telk {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// The reader cuts an unquoted value at a comma and drops blanks at either
// end. Such a value goes out in double quotes, which the reader strips, so
// it comes back whole; a value that holds a double quote itself cannot be
// quoted and goes out as it is, as does every ordinary value, so the files
// stay exactly what older copies of the program wrote and read.
bool NeedsQuotes(const std::string& value) {
    if (value.empty() || value.find('"') != std::string::npos) return false;
    return value.find(',') != std::string::npos || IsBlank(value.front()) || IsBlank(value.back());
}

} // namespace

std::string EncodeValues(TextCodec& codec, const std::vector<std::string>& values) {
    std::string bytes;
    for (const std::string& value : values) {
        std::string ansi = codec.ToAnsi(value);
        if (NeedsQuotes(value)) ansi = '"' + ansi + '"';
        bytes += ansi;
        bytes += "\r\n";
    }
    return bytes;
}

void WriteValues(FileSystem& fs, TextCodec& codec, const std::string& path,
                 const std::vector<std::string>& values) {
    WriteWhole(fs, path, EncodeValues(codec, values));
}

ValueReader::ValueReader(TextCodec& codec, std::string ansiBytes) : codec_(codec), bytes_(std::move(ansiBytes)) {}

// Blanks before a value are skipped; a value that opens
// with a double quote runs to the next one (or the line end), and whatever
// follows it up to the next comma or line end is passed over; any other
// value runs to the first comma or line end, less its trailing blanks. An
// empty line is an empty value. CR LF, LF and a lone CR all end a line, and
// the last line needs no line end. The parse works on the code page's
// bytes: in the double-byte code pages no second byte falls in the range of
// blank, comma, quote or line end.
std::optional<std::string> ValueReader::Next() {
    const std::size_t size = bytes_.size();
    if (pos_ >= size) return std::nullopt;

    auto skipLineEnd = [&] {
        if (pos_ < size && bytes_[pos_] == '\r') ++pos_;
        if (pos_ < size && bytes_[pos_] == '\n') ++pos_;
    };

    while (pos_ < size && IsBlank(bytes_[pos_])) ++pos_;

    std::string raw;
    if (pos_ < size && bytes_[pos_] == '"') {
        const std::size_t start = ++pos_;
        while (pos_ < size && bytes_[pos_] != '"' && !IsLineEnd(bytes_[pos_])) ++pos_;
        raw = bytes_.substr(start, pos_ - start);
        if (pos_ < size && bytes_[pos_] == '"') {
            ++pos_;
            while (pos_ < size && bytes_[pos_] != ',' && !IsLineEnd(bytes_[pos_])) ++pos_;
        }
    } else {
        const std::size_t start = pos_;
        while (pos_ < size && bytes_[pos_] != ',' && !IsLineEnd(bytes_[pos_])) ++pos_;
        std::size_t end = pos_;
        while (end > start && IsBlank(bytes_[end - 1])) --end;
        raw = bytes_.substr(start, end - start);
    }
    if (pos_ < size && bytes_[pos_] == ',')
        ++pos_;
    else
        skipLineEnd();

    return codec_.FromAnsi(raw);
}

bool ValueReader::Read(std::string& target) {
    std::optional<std::string> value = Next();
    if (!value) return false;
    target = std::move(*value);
    return true;
}

ValueReader ReadValues(FileSystem& fs, TextCodec& codec, const std::string& path) {
    return ValueReader(codec, fs.ReadFile(path));
}

} // namespace telk
