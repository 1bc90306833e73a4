// Path text as the program joins and compares it: ASCII case folding, the
// order of names, trailing separators and the split of a listing pattern.

#include "platform/PathText.h"

#include <algorithm>

namespace telk {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameNameNoCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

bool Holds(const std::vector<std::string>& names, const std::string& wanted) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return SameNameNoCase(n, wanted); });
}

bool LessNameNoCase(const std::string& a, const std::string& b) {
    const bool folded = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(FoldAscii(x)) < static_cast<unsigned char>(FoldAscii(y));
    });
    if (folded) return true;
    return SameNameNoCase(a, b) && a < b;
}

std::string WithTrailingSeparator(std::string path) {
    if (path.empty() || path.back() != '\\') path += '\\';
    return path;
}

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == '\\' && !(path.size() == 3 && path[1] == ':')) path.pop_back();
    return path;
}

ListPattern SplitListPattern(std::string pattern) {
    std::replace(pattern.begin(), pattern.end(), '/', '\\');
    const auto sep = pattern.find_last_of('\\');
    if (sep != std::string::npos) return {pattern.substr(0, sep + 1), pattern.substr(sep + 1)};
    if (pattern.size() >= 2 && pattern[1] == ':') return {pattern.substr(0, 2), pattern.substr(2)};
    return {".", pattern};
}

} // namespace telk
