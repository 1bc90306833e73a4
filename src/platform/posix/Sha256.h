// SHA-256, for the host build's file digests (Windows has its own in
// bcrypt).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace telk {

class Sha256 {
public:
    Sha256();
    void Add(std::string_view bytes);
    // 64 lower-case hex digits; the object is spent afterwards.
    std::string HexDigest();

private:
    void Block(const unsigned char* block);

    std::array<std::uint32_t, 8> state_;
    std::array<unsigned char, 64> pending_{};
    std::size_t pendingSize_ = 0;
    std::uint64_t length_ = 0;
};

} // namespace telk
