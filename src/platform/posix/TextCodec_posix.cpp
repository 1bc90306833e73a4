// iconv with a fallback of our own: a character the other side lacks
// becomes "?", one character at a time, since //TRANSLIT differs between C
// libraries and may drop text.

#include "platform/posix/TextCodec_posix.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <stdexcept>
#include <utility>

namespace telk {

namespace {

std::string LocaleCodeSet() {
    // A locale object of its own, so the process's locale stays as it is.
    locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) return "ASCII";
    std::string codeSet = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
    return codeSet.empty() ? "ASCII" : codeSet;
}

// Bytes that make up the character starting at text[0], for skipping one
// unconvertible character of the input.
std::size_t Utf8Length(const char* text, std::size_t left) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 1;
    if (lead >= 0xF0 && lead < 0xF8) length = 4;
    else if (lead >= 0xE0) length = lead < 0xF0 ? 3 : 1;
    else if (lead >= 0xC2) length = 2;
    if (length > left) return 1;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 1;
    return length;
}

class Converter {
public:
    Converter(const std::string& to, const std::string& from)
        : cd_(iconv_open(to.c_str(), from.c_str())) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("no conversion from " + from + " to " + to);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() { iconv_close(cd_); }

    // skipLength tells how many input bytes one unconvertible character takes.
    std::string Run(const std::string& input, std::size_t (*skipLength)(const char*, std::size_t)) {
        std::string output;
        std::string buffer(input.size() * 4 + 16, '\0');
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        while (inLeft > 0) {
            char* out = buffer.data();
            std::size_t outLeft = buffer.size();
            const std::size_t result = iconv(cd_, &in, &inLeft, &out, &outLeft);
            const int err = errno;
            output.append(buffer.data(), buffer.size() - outLeft);
            if (result != static_cast<std::size_t>(-1)) break;
            if (err == E2BIG) continue;
            // EILSEQ: not representable or not valid; EINVAL: cut short.
            output.push_back('?');
            const std::size_t skip = err == EINVAL ? inLeft : skipLength(in, inLeft);
            in += skip;
            inLeft -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        }
        // Flush any shift state the target code set keeps.
        char* out = buffer.data();
        std::size_t outLeft = buffer.size();
        iconv(cd_, nullptr, nullptr, &out, &outLeft);
        output.append(buffer.data(), buffer.size() - outLeft);
        return output;
    }

private:
    iconv_t cd_;
};

std::size_t OneByte(const char*, std::size_t) { return 1; }

// glibc's UTF-8 decoder passes code points past U+10FFFF (four to six
// bytes) through; like any character outside Unicode they become "?".
std::string BeyondUnicodeAsQuestionMarks(const std::string& utf8) {
    std::string text;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const auto next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0u;
        if (lead < 0xF5 && !(lead == 0xF4 && next >= 0x90)) {
            text.push_back(utf8[i++]);
            continue;
        }
        text.push_back('?');
        for (++i; i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80; ++i) {
        }
    }
    return text;
}

} // namespace

PosixTextCodec::PosixTextCodec(std::string codeSet)
    : codeSet_(codeSet.empty() ? LocaleCodeSet() : std::move(codeSet)) {
    Converter probe(codeSet_, "UTF-8"); // an unknown code set fails here, not later
}

std::string PosixTextCodec::ToAnsi(const std::string& utf8) {
    return Converter(codeSet_, "UTF-8").Run(utf8, Utf8Length);
}

std::string PosixTextCodec::FromAnsi(const std::string& ansi) {
    return BeyondUnicodeAsQuestionMarks(Converter("UTF-8", codeSet_).Run(ansi, OneByte));
}

} // namespace telk
