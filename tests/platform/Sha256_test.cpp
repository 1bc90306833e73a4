#include <gtest/gtest.h>

#include <string>

#include "platform/Sha256.h"

namespace telk {
namespace {

// The processor's rounds and the plain ones agree at every length around
// a block's edges, fed whole or in odd pieces; the contract test holds
// both builds' digests to known values.
TEST(Sha256, TheExtensionsAndThePlainCodeAgree) {
    Sha256 plain(false);
    plain.Add("abc");
    EXPECT_EQ(plain.HexDigest(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    std::string bytes;
    for (int size = 0; size < 300; ++size) {
        bytes.push_back(static_cast<char>(size * 7 + 1));
        Sha256 whole(true), pieces(false);
        whole.Add(bytes);
        for (std::size_t at = 0; at < bytes.size(); at += 37) pieces.Add(std::string_view(bytes).substr(at, 37));
        ASSERT_EQ(whole.HexDigest(), pieces.HexDigest()) << size;
    }
}

} // namespace
} // namespace telk
