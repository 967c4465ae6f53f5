#include "KeyWordScrambling.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "RunCommand.h"

namespace pictoalbum {

namespace {

std::string AllByteValues()
{
    std::string text;
    for (int b = 0; b < 256; ++b)
        text += static_cast<char>(b);
    return text;
}

std::string Hex(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        hex += digits[static_cast<std::uint8_t>(c) >> 4];
        hex += digits[static_cast<std::uint8_t>(c) & 15];
    }
    return hex;
}

// An independent reading of the scrambling rules in Python, the oracle for
// the known answers. Each line of its input is "E hex key" (scramble) or
// "W hex" (key word of a password); it answers a line each.
const char* const PythonScrambler = R"(
import sys
def encrypt(s, k):
    out = bytearray()
    for b in s:
        r = b ^ (k >> 8)
        out.append(r)
        k = (k + r) % 65536
    return bytes(out)
def word_pass(p):
    total, state = 0, 27813
    seq = [0] + list(p[:-1]) if p else []
    for i, c in enumerate(seq):
        total = (total + (2 ** i % 65536) * c + state) % 65536
        state = ((state + c) * 23942 + 384) % 65536
    return total
for line in sys.stdin.read().split('\n'):
    f = line.split(' ')
    if f[0] == 'E':
        print(encrypt(bytes.fromhex(f[1]), int(f[2])).hex())
    elif f[0] == 'W':
        print(word_pass(bytes.fromhex(f[1])))
)";

std::vector<std::string> PythonAnswers(const std::string& requests)
{
    const std::string output = RunChecked("printf %s " + ShellQuote(requests) + " | python3 -c " + ShellQuote(PythonScrambler));
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(output.substr(start, end - start));
    return lines;
}

const std::uint16_t KeyWords[] = {0, 255, 256, 13711, 65535};

} // namespace

TEST(KeyWordScramblingTest, EveryByteValueRoundTripsUnderEveryKeyWord)
{
    const std::string text = AllByteValues();
    for (const std::uint16_t keyWord : KeyWords) {
        SCOPED_TRACE(keyWord);
        const std::string scrambled = Encrypt(text, keyWord);
        EXPECT_EQ(scrambled.size(), text.size());
        EXPECT_EQ(Decrypt(scrambled, keyWord), text);
    }
}

TEST(KeyWordScramblingTest, EmptyTextStaysEmpty)
{
    EXPECT_EQ(Encrypt("", 13711), "");
    EXPECT_EQ(Decrypt("", 13711), "");
}

TEST(KeyWordScramblingTest, FirstByteIsXoredWithTheKeyWordsHighByte)
{
    EXPECT_EQ(Encrypt("A", 255), "A");
    EXPECT_EQ(Decrypt("A", 255), "A");
    EXPECT_EQ(Encrypt("A", 0x2000), std::string(1, 'A' ^ 0x20));
    EXPECT_EQ(Decrypt("A", 0x2000), std::string(1, 'A' ^ 0x20));
}

TEST(KeyWordScramblingTest, ScramblingMatchesAnIndependentImplementation)
{
    const std::vector<std::string> texts = {"", "Holiday 1999", std::string("\0\r\n=\"' ", 7), AllByteValues(),
                                            std::string(300, '\xff')};
    std::string requests;
    for (const std::string& text : texts)
        for (const std::uint16_t keyWord : KeyWords)
            requests += "E " + Hex(text) + " " + std::to_string(keyWord) + "\n";
    const std::vector<std::string> answers = PythonAnswers(requests);
    ASSERT_EQ(answers.size(), texts.size() * std::size(KeyWords));
    std::size_t i = 0;
    for (const std::string& text : texts)
        for (const std::uint16_t keyWord : KeyWords) {
            SCOPED_TRACE(testing::Message() << "text " << Hex(text) << ", key word " << keyWord);
            const std::string scrambled = Encrypt(text, keyWord);
            EXPECT_EQ(Hex(scrambled), answers[i++]);
            EXPECT_EQ(Decrypt(scrambled, keyWord), text);
        }
}

TEST(KeyWordScramblingTest, KeyWordsMatchAnIndependentImplementation)
{
    std::vector<std::string> passwords = {"", "a", "ab", "secret", "Pictoria!", AllByteValues()};
    for (const std::size_t length : {15, 16, 17, 64, 200})
        passwords.push_back(std::string(length, 'x'));
    std::string requests;
    for (const std::string& password : passwords)
        requests += "W " + Hex(password) + "\n";
    const std::vector<std::string> answers = PythonAnswers(requests);
    ASSERT_EQ(answers.size(), passwords.size());
    for (std::size_t i = 0; i < passwords.size(); ++i) {
        SCOPED_TRACE(passwords[i]);
        EXPECT_EQ(std::to_string(GetWordPass(passwords[i])), answers[i]);
    }
}

TEST(KeyWordScramblingTest, PasswordRules)
{
    EXPECT_EQ(GetWordPass(""), 0);
    // One character: only the leading zero and the starting state count.
    EXPECT_EQ(GetWordPass("a"), 27813);
    EXPECT_EQ(GetWordPass("a"), GetWordPass("Z"));
    // The last character takes no part.
    EXPECT_EQ(GetWordPass("secret1"), GetWordPass("secret2"));
    EXPECT_NE(GetWordPass("secret"), GetWordPass("sebret"));
    // From the sixteenth character on, a character still moves the state.
    const std::string long64(64, 'p');
    std::string changed = long64;
    changed[40] = 'q';
    EXPECT_NE(GetWordPass(long64), GetWordPass(changed));
}

} // namespace pictoalbum
