// Paths as the program writes them: "\" between names, a drive root with
// its own "\" ("C:\"), names compared without regard to (ASCII) case, as
// Windows and Wine compare them.
#pragma once

#include <string>
#include <vector>

namespace telk {

// 'A' to 'Z' as 'a' to 'z'; every other byte as it is.
char FoldAscii(char c);
bool SameNameNoCase(const std::string& a, const std::string& b);
// Whether names holds wanted, without regard to case.
bool Holds(const std::vector<std::string>& names, const std::string& wanted);
// Case-insensitive order with a byte-wise tie-break, so that names that
// differ only in case still come out in a fixed order.
bool LessNameNoCase(const std::string& a, const std::string& b);

// "C:\x" -> "C:\x\"; a path that ends in "\" stays as it is.
std::string WithTrailingSeparator(std::string path);
// "C:\x\\" -> "C:\x"; a root keeps its "\" ("C:\", "\").
std::string WithoutTrailingSeparators(std::string path);

// A listing pattern split into the folder to list and the names to match:
// "C:\x\*.*" gives "C:\x\" and "*.*", "C:*.txt" gives "C:" and "*.txt",
// "*.*" gives "." and "*.*". "/" counts as "\".
struct ListPattern {
    std::string folder;
    std::string names;
};
ListPattern SplitListPattern(std::string pattern);

} // namespace telk
