// The value files: how a line is read into a value, the writer's bytes, and the
// quoting that lets cut-prone values come back whole.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FileError.h"
#include "store/TextValues.h"
#include "support/FaultyFileSystem.h"
#include "support/TempDir.h"

namespace telk {
namespace {

class TextValuesTest : public ::testing::Test {
protected:
    std::vector<std::string> ReadAll(const std::string& bytes) {
        ValueReader reader(*codec, bytes);
        std::vector<std::string> values;
        while (std::optional<std::string> v = reader.Next()) values.push_back(*v);
        return values;
    }

    std::unique_ptr<TextCodec> codec = test::MakeJapaneseTextCodec();
};

using Values = std::vector<std::string>;

TEST_F(TextValuesTest, ReadsEachValueToItsCommaOrClosingQuote) {
    struct Case {
        const char* what;
        std::string bytes;
        Values values;
    };
    const std::vector<Case> cases = {
        {"CR LF lines", "a\r\nb\r\n", {"a", "b"}},
        {"LF-only lines", "a\nb\n", {"a", "b"}},
        {"lone CR ends a line", "a\rb", {"a", "b"}},
        {"last line without line end", "a\r\nb", {"a", "b"}},
        {"comma splits a line", "a,b\r\nc\r\n", {"a", "b", "c"}},
        {"comma at the line end leaves an empty value", "a,\r\nb\r\n", {"a", "", "b"}},
        {"empty lines are empty values", "\r\n\r\nx\r\n", {"", "", "x"}},
        {"leading blanks and tabs are skipped", "  \tlead\r\n", {"lead"}},
        {"trailing blanks of an unquoted value are dropped", "trail \t \r\n", {"trail"}},
        {"blanks inside stay", "Program Files\\UO\r\n", {"Program Files\\UO"}},
        {"a quoted value keeps commas and blanks", "\" a, b \"\r\n", {" a, b "}},
        {"the rest after a closing quote is passed over", "\"q\"rest,next\r\n", {"q", "next"}},
        {"an unclosed quote ends at the line end", "\"open\r\nnext\r\n", {"open", "next"}},
        {"a quote inside an unquoted value is kept", "say \"hi\"\r\n", {"say \"hi\""}},
        {"blank-only line is an empty value", "   \r\nx\r\n", {"", "x"}},
        {"empty file has no value", "", {}},
        // "未使用", then "ソフト", whose first second byte is 0x5C ("\").
        {"code page bytes", "\x96\xa2\x8e\x67\x97\x70\r\n\x83\x5c\x83\x74\x83\x67\r\n", {"未使用", "ソフト"}},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadAll(c.bytes), c.values) << c.what;
}

TEST_F(TextValuesTest, ReadingPastTheEndLeavesTheTargetAsItWas) {
    ValueReader reader(*codec, "only\r\n");
    std::string target = "before";
    ASSERT_TRUE(reader.Read(target));
    EXPECT_EQ(target, "only");
    target = "kept";
    EXPECT_FALSE(reader.Read(target));
    EXPECT_EQ(target, "kept");
    EXPECT_FALSE(reader.Next().has_value());
}

TEST_F(TextValuesTest, OrdinaryValuesAreWrittenUnchanged) {
    EXPECT_EQ(EncodeValues(*codec, {"c:\\Program Files\\Ultima Online 2D\\UO.exe", "", "Slot0"}),
              "c:\\Program Files\\Ultima Online 2D\\UO.exe\r\n\r\nSlot0\r\n");
    EXPECT_EQ(EncodeValues(*codec, {"未使用"}), "\x96\xa2\x8e\x67\x97\x70\r\n");
    EXPECT_EQ(EncodeValues(*codec, {}), "");
}

TEST_F(TextValuesTest, ValuesTheReaderWouldCutAreQuotedAndComeBackWhole) {
    const Values mended = {"a,b", " lead", "\tlead", "trail ", "   ", "名前, です", "x,"};
    const std::string bytes = EncodeValues(*codec, mended);
    EXPECT_EQ(bytes.substr(0, 7), "\"a,b\"\r\n");
    EXPECT_EQ(ReadAll(bytes), mended);
}

TEST_F(TextValuesTest, ValuesWithADoubleQuoteCannotBeQuotedAndStayAsTheyAre) {
    EXPECT_EQ(EncodeValues(*codec, {"say \"hi\", ok"}), "say \"hi\", ok\r\n");
    // They read back cut at the comma.
    EXPECT_EQ(ReadAll(EncodeValues(*codec, {"say \"hi\", ok", "next"})), (Values{"say \"hi\"", "ok", "next"}));
    // Quoted by the user: the quotes are dropped on reading.
    EXPECT_EQ(ReadAll(EncodeValues(*codec, {"\"name\""})), (Values{"name"}));
    // A quote that is not the first character is plain text.
    EXPECT_EQ(ReadAll(EncodeValues(*codec, {"a \"b\""})), (Values{"a \"b\""}));
}

TEST_F(TextValuesTest, AFailedRewriteLeavesThePreviousFileWhole) {
    test::TempDir dir;
    std::unique_ptr<FileSystem> real = test::MakePlatformFileSystem();
    const std::string path = dir.Win("telk.ini");
    WriteValues(*real, *codec, path, {"old 2D", "old 3D"});
    const std::string before = dir.ReadBytes("telk.ini");

    for (int n = 1;; ++n) {
        SCOPED_TRACE("operation " + std::to_string(n));
        test::FaultyFileSystem fs(*real);
        fs.FailNth(n, test::FaultyFileSystem::Mode::HalfDone);
        try {
            WriteValues(fs, *codec, path, {"new 2D", "new 3D", "C:\\UO\\"});
        } catch (const FileError& e) {
            EXPECT_EQ(e.Path(), path); // named as the user knows it
            EXPECT_EQ(dir.ReadBytes("telk.ini"), before);
            EXPECT_EQ(dir.Names(), std::vector<std::string>{"telk.ini"});
            continue;
        }
        ASSERT_FALSE(fs.Fired());
        break;
    }
    EXPECT_EQ(dir.ReadBytes("telk.ini"), "new 2D\r\nnew 3D\r\nC:\\UO\\\r\n");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"telk.ini"});
}

} // namespace
} // namespace telk
