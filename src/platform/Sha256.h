// SHA-256, for the digests a restore's journal keeps. Where the processor
// has the SHA extensions they do the rounds; elsewhere plain code does.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace telk {

class Sha256 {
public:
    // extensions false: the plain code even where the processor has them.
    explicit Sha256(bool extensions = true);
    void Add(std::string_view bytes);
    // 64 lower-case hex digits; the object is spent afterwards.
    std::string HexDigest();

private:
    std::array<std::uint32_t, 8> state_;
    std::array<unsigned char, 64> pending_{};
    std::size_t pendingSize_ = 0;
    std::uint64_t length_ = 0;
    bool extensions_;
};

} // namespace telk
