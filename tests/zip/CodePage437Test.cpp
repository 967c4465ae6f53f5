#include "records/CodePage437.h"

#include <gtest/gtest.h>

#include <string>

#include "RunCommand.h"

namespace {

std::string AllBytes()
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    return bytes;
}

std::string Hex(const std::string& bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string hex;
    for (const char ch : bytes) {
        hex.push_back(digits[static_cast<unsigned char>(ch) >> 4]);
        hex.push_back(digits[static_cast<unsigned char>(ch) & 15]);
    }
    return hex;
}

TEST(CodePage437, EveryByteDecodesAsPythonsCp437Codec)
{
    const std::string python =
        RunChecked("python3 -c \"import sys; sys.stdout.write(bytes(range(256)).decode('cp437').encode('utf-8').hex())\"");
    EXPECT_EQ(Hex(Cp437ToUtf8(AllBytes())), python);
}

TEST(CodePage437, EveryByteSurvivesTheRoundTrip)
{
    EXPECT_EQ(Utf8ToCp437(Cp437ToUtf8(AllBytes())), AllBytes());
    EXPECT_EQ(Utf8ToCp437Exact(Cp437ToUtf8(AllBytes())), AllBytes());
}

struct EncodeCase {
    const char* what;
    std::string text;
    std::string cp437;
    bool exact;
};

TEST(CodePage437, CharactersWithoutAFormBecomeTheReplacement)
{
    const EncodeCase cases[] = {
        {"ASCII", "Image1.jpg", "Image1.jpg", true},
        {"accents", "café Ä ß", "caf\x82 \x8E \xE1", true},
        {"box drawing", "╬", "\xCE", true},
        {"Japanese", "日本.jpg", "??.jpg", false},
        {"euro sign", "€5", "?5", false},
        {"invalid UTF-8 byte", "a\xE9z", "a?z", false},
        {"overlong slash", "\xC0\xAF", "??", false},
        {"surrogate", "\xED\xA0\x80", "???", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Utf8ToCp437(c.text), c.cp437);
        EXPECT_EQ(Utf8ToCp437Exact(c.text).has_value(), c.exact);
    }
}

TEST(CodePage437, RecognisesStrictUtf8)
{
    EXPECT_TRUE(IsValidUtf8("plain"));
    EXPECT_TRUE(IsValidUtf8("日本 café \xF0\x9F\x93\xB7"));
    EXPECT_FALSE(IsValidUtf8("caf\x82"));
    EXPECT_FALSE(IsValidUtf8("\xE6\x97")); // cut short
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_TRUE(IsAscii("a/b.txt"));
    EXPECT_FALSE(IsAscii("é"));
}

TEST(CodePage437, OemFilterKeepsWhatCp437HoldsAndReplacesTheRest)
{
    std::string name = "Été 日本 €.jpg";
    OemFilter(name);
    EXPECT_EQ(name, "Été ?? ?.jpg");
}

} // namespace
