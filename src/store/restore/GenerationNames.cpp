#include "store/restore/GenerationNames.h"

#include "platform/PathText.h"
#include "store/StoreNames.h"

namespace telk {

namespace {

constexpr std::size_t kStampSize = 19; // "yyyy-mm-dd hh-mm-ss"

} // namespace

std::optional<std::string> StampOrder(const std::string& name) {
    if (name.size() < kStampSize) return std::nullopt;
    for (std::size_t i = 0; i < kStampSize; ++i) {
        const char c = name[i];
        const bool separator = i == 4 || i == 7 || i == 13 || i == 16;
        if (i == 10 ? c != ' ' : separator ? c != '-' : (c < '0' || c > '9')) return std::nullopt;
    }
    std::string number = "1";
    if (name.size() > kStampSize) {
        number = name.substr(kStampSize);
        if (number.size() < 4 || number.size() > 11 || !number.starts_with(" (") || number.back() != ')') return std::nullopt;
        number = number.substr(2, number.size() - 3);
        if (number[0] == '0' || number.find_first_not_of("0123456789") != std::string::npos || number == "1")
            return std::nullopt;
    }
    return name.substr(0, kStampSize) + std::string(8 - number.size(), '0') + number;
}

bool IsGenerationName(const std::string& name) {
    return StampOrder(name).has_value();
}

std::string FreeGenerationName(const std::vector<std::string>& entries, const std::string& stamp) {
    for (int n = 1;; ++n) {
        const std::string name = n == 1 ? stamp : stamp + " (" + std::to_string(n) + ")";
        if (!Holds(entries, name) && !Holds(entries, StagingName(name)) && !Holds(entries, name + kPrunedSuffix))
            return name;
    }
}

std::string StagingName(const std::string& generation) {
    return generation + kStagingSuffix;
}

} // namespace telk
