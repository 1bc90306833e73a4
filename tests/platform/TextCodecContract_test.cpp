// The ANSI code page conversion, checked against known CP932 bytes.

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace telk::test {
namespace {

const std::string kUnusedUtf8 = "未使用";
const std::string kUnusedCp932 = "\x96\xA2\x8E\x67\x97\x70";

TEST(TextCodecContract, JapaneseTextConvertsBothWays) {
    auto codec = MakeJapaneseTextCodec();
    EXPECT_EQ(codec->ToAnsi(kUnusedUtf8), kUnusedCp932);
    EXPECT_EQ(codec->FromAnsi(kUnusedCp932), kUnusedUtf8);
}

TEST(TextCodecContract, HalfWidthKanaAndAsciiKeepTheirSingleBytes) {
    auto codec = MakeJapaneseTextCodec();
    const std::string mixed = "C:\\UO\\ｱｶｳﾝﾄ 12-07-2026\r\n";
    const std::string ansi = "C:\\UO\\\xB1\xB6\xB3\xDD\xC4 12-07-2026\r\n";
    EXPECT_EQ(codec->ToAnsi(mixed), ansi);
    EXPECT_EQ(codec->FromAnsi(ansi), mixed);
    EXPECT_EQ(codec->ToAnsi(""), "");
    EXPECT_EQ(codec->FromAnsi(""), "");
}

TEST(TextCodecContract, ACharacterTheCodePageLacksBecomesAQuestionMark) {
    auto codec = MakeJapaneseTextCodec();
    // Hangul is not in CP932; the text around it must survive.
    EXPECT_EQ(codec->ToAnsi("未한使"), "\x96\xA2?\x8E\x67");
}

} // namespace
} // namespace telk::test
