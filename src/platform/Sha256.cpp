// FIPS 180-4. The rounds run on the processor's SHA extensions where it
// has them (Intel's SHA-NI, AMD since Zen): Wine's own CNG hashes a 10 MB
// file slower than the restore copies it.

#include "platform/Sha256.h"

#include <cstdio>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define TELK_SHA_EXTENSIONS 1
#endif

namespace telk {

namespace {

alignas(16) constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t Rotr(std::uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

void PlainBlocks(std::uint32_t* state, const unsigned char* data, std::size_t blocks) {
    for (; blocks > 0; --blocks, data += 64) {
        std::uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = std::uint32_t(data[4 * i]) << 24 | std::uint32_t(data[4 * i + 1]) << 16 |
                   std::uint32_t(data[4 * i + 2]) << 8 | data[4 * i + 3];
        for (int i = 16; i < 64; ++i) {
            const std::uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const std::uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
        for (int i = 0; i < 64; ++i) {
            const std::uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
            const std::uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            h = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
    }
}

#ifdef TELK_SHA_EXTENSIONS
bool HasShaExtensions() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_SSSE3) || !(c & bit_SSE4_1)) return false;
    return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & bit_SHA);
}

// Four rounds at a time, two per instruction, the schedule kept in four
// registers that take turns.
__attribute__((target("sha,sse4.1,ssse3"))) void ShaBlocks(std::uint32_t* state, const unsigned char* data,
                                                          std::size_t blocks) {
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i tmp = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0xB1); // CDAB
    __m128i s1 = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4)), 0x1B); // EFGH
    __m128i s0 = _mm_alignr_epi8(tmp, s1, 8);                                                       // ABEF
    s1 = _mm_blend_epi16(s1, tmp, 0xF0);                                                             // CDGH
    for (; blocks > 0; --blocks, data += 64) {
        const __m128i abef = s0;
        const __m128i cdgh = s1;
        __m128i m[4];
#pragma GCC unroll 16
        for (int i = 0; i < 16; ++i) {
            if (i < 4) m[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), byteSwap);
            __m128i msg = _mm_add_epi32(m[i % 4], _mm_load_si128(reinterpret_cast<const __m128i*>(kRound + 4 * i)));
            s1 = _mm_sha256rnds2_epu32(s1, s0, msg);
            if (i >= 3 && i < 15) {
                __m128i& next = m[(i + 1) % 4];
                next = _mm_sha256msg2_epu32(_mm_add_epi32(next, _mm_alignr_epi8(m[i % 4], m[(i + 3) % 4], 4)), m[i % 4]);
            }
            msg = _mm_shuffle_epi32(msg, 0x0E);
            s0 = _mm_sha256rnds2_epu32(s0, s1, msg);
            if (i >= 1 && i < 13) m[(i + 3) % 4] = _mm_sha256msg1_epu32(m[(i + 3) % 4], m[i % 4]);
        }
        s0 = _mm_add_epi32(s0, abef);
        s1 = _mm_add_epi32(s1, cdgh);
    }
    tmp = _mm_shuffle_epi32(s0, 0x1B);                 // FEBA
    s1 = _mm_shuffle_epi32(s1, 0xB1);                  // DCHG
    s0 = _mm_blend_epi16(tmp, s1, 0xF0);               // DCBA
    s1 = _mm_alignr_epi8(s1, tmp, 8);                  // HGFE
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), s0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), s1);
}
#endif

void Blocks(bool extensions, std::uint32_t* state, const unsigned char* data, std::size_t blocks) {
#ifdef TELK_SHA_EXTENSIONS
    static const bool present = HasShaExtensions();
    if (extensions && present) return ShaBlocks(state, data, blocks);
#endif
    PlainBlocks(state, data, blocks);
}

} // namespace

Sha256::Sha256(bool extensions)
    : state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19},
      extensions_(extensions) {}

void Sha256::Add(std::string_view bytes) {
    length_ += bytes.size();
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t size = bytes.size();
    if (pendingSize_ > 0) {
        const std::size_t take = std::min(size, pending_.size() - pendingSize_);
        std::memcpy(pending_.data() + pendingSize_, data, take);
        pendingSize_ += take;
        data += take;
        size -= take;
        if (pendingSize_ < pending_.size()) return;
        Blocks(extensions_, state_.data(), pending_.data(), 1);
        pendingSize_ = 0;
    }
    Blocks(extensions_, state_.data(), data, size / 64);
    std::memcpy(pending_.data(), data + size / 64 * 64, size % 64);
    pendingSize_ = size % 64;
}

std::string Sha256::HexDigest() {
    const std::uint64_t bits = length_ * 8;
    std::string tail(1, '\x80');
    tail.append((119 - pendingSize_) % 64, '\0');
    for (int i = 7; i >= 0; --i) tail += static_cast<char>(bits >> (8 * i));
    Add(tail);
    std::string hex;
    for (std::uint32_t word : state_) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(word));
        hex += part;
    }
    return hex;
}

} // namespace telk
