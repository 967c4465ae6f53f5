#include "files/WildMatch.h"

#include <fnmatch.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct MatchCase {
    const char* pattern;
    const char* name;
    bool matches;
};

const MatchCase matchCases[] = {
    // Prefix marks and the no-subfolder rule.
    {"*", "a/b.txt", true},
    {"|*", "a/b.txt", false},
    {"|*", "b.txt", true},
    {">*.txt", "b.txt", true},
    {">>b", ">b", true},
    {"|>b", ">b", true},
    {"|a*", "ab/c", false},
    {"|a*c", "ab/c", true},
    {"|a?c", "a/c", true},
    {"|ab", "ab/c", false},
    {"*<!x>", "a/b", true},
    {"|*<!x>", "a/b", false},
    {"|*<!x>", "ab", true},
    // "|" and ">" after the first character are plain characters, also after a star.
    {"a*|b", "ax|b", true},
    {"a*>b", "ax>b", true},
    {"a|b", "a|b", true},
    // Case of A to Z.
    {"*.TXT", "Read.Me.txt", true},
    {"ABC", "abc", true},
    {"abc", "ABC", true},
    // "?"
    {"a?c", "abc", true},
    {"a?c", "ac", false},
    {"a?c", "a/c", true},
    {"?", "", false},
    // "*"
    {"", "", true},
    {"", "a", false},
    {"a*", "a", true},
    {"a**", "a", true},
    {"a*?", "ab", true},
    {"a*?", "a", false},
    {"*.jpg", "image1.jpg", true},
    {"*.jpg", "image1.jpeg", false},
    {"a*b", "acd", false},
    {"a*b*c", "aXbYbZc", true},
    {"*a", "aaa", true},
    {"*", "", true},
    // Sets.
    {"<abc>x", "bx", true},
    {"<a-c>x", "dx", false},
    {"<!a-c>x", "dx", true},
    {"<^a-c>x", "bx", false},
    {"<->", "-", true},
    {"<a-->", "-", false},
    {"<--a>", "0", true},
    {"<>x", "x", false},
    {"<!>x", "x", false},
    {"<a-", "a", false},
    {"<a", "a", false},
    {"<", "a", false},
    {"<z-a>", "m", false},
    {"<A-C>", "b", true},
    {"[ab]", "a", false},
    {"[ab]", "[ab]", true},
    // Stars with sets.
    {"*<0-9>", "2024", true},
    {"*<0-9>", "20a4", false},
    {"*<0-9>", "", false},
    {"*<!0-9>", "abc", true},
    {"*<>", "abc", false},
    {"*<0-9", "1", false},
    {"*<", "1", false},
    {"x*<0-9>", "x", false},
    {"*<0-9>.jpg", "123.jpg", true},
    {"*<0-9>ab", "1ax2ab", false},
    {"*<a-z>1?", "ab", false},
    {"*<0-9>*", "abc", true},
    {"*<0-9><a-b>", "12b", true},
};

TEST(WildMatch, MatchesTheTable)
{
    for (const MatchCase& c : matchCases) {
        SCOPED_TRACE(std::string("pattern '") + c.pattern + "' name '" + c.name + "'");
        EXPECT_EQ(IsWildcardMatch(c.pattern, c.name), c.matches);
    }
}

struct VerdictCase {
    const char* pattern;
    const char* name;
    int verdict;
};

const VerdictCase verdictCases[] = {
    {"abc", "abc", mpMatch},
    {"ab", "abc", mpPatternUsedUp},
    {"|ab", "ab/c", mpNoMatch},
    {"abc", "ab", mpNoMatch},
    {"a*b", "acd", mpNoMatch},
    {"<a-c>", "d", mpSetRefused},
    {"<!a-c>", "b", mpSetRefused},
    {"abd", "abc", mpCharDiffers},
    {"<>", "a", mpMalformedSet},
    {"<!", "a", mpMalformedSet},
    {"<a-", "a", mpMalformedSet},
    {"<a->", "a", mpMalformedSet},
    {"<ab", "a", mpMalformedSet},
    {"*<>", "a", mpNoMatch},
};

TEST(WildMatch, GivesTheVerdictOfEachKindOfFailure)
{
    for (const VerdictCase& c : verdictCases) {
        SCOPED_TRACE(std::string("pattern '") + c.pattern + "' name '" + c.name + "'");
        EXPECT_EQ(MatchPattern(c.pattern, c.name), c.verdict);
    }
}

TEST(WildMatch, ParsesAStarSetAndMovesPastIt)
{
    const std::string pattern = "*<!a-c9>x";
    std::size_t position = 0;
    const TCharSet set = ParseCharSet(pattern, position);
    EXPECT_EQ(position, 8u);
    EXPECT_TRUE(set.Negated);
    EXPECT_EQ(set.Members.count(), 4u);
    EXPECT_FALSE(set.Accepts('b'));
    EXPECT_FALSE(set.Accepts('9'));
    EXPECT_TRUE(set.Accepts('x'));

    const std::string unclosed = "*<ab";
    position = 0;
    EXPECT_TRUE(ParseCharSet(unclosed, position).Members.none());
    EXPECT_EQ(position, unclosed.size());
}

// For patterns of letters, "*", "?" and "/" the matcher is an ordinary glob
// without special handling of "/" or leading dots: fnmatch is the oracle.
TEST(WildMatch, AgreesWithFnmatchOnPlainGlobs)
{
    const std::string patternChars = "aB*?/";
    const std::string nameChars = "ab/";
    std::vector<std::string> patterns{""};
    std::vector<std::string> names{""};
    for (std::size_t length = 1, from = 0; length <= 5; ++length) {
        const std::size_t to = patterns.size();
        for (std::size_t k = from; k < to; ++k)
            for (char c : patternChars)
                patterns.push_back(patterns[k] + c);
        from = to;
    }
    for (std::size_t length = 1, from = 0; length <= 4; ++length) {
        const std::size_t to = names.size();
        for (std::size_t k = from; k < to; ++k)
            for (char c : nameChars)
                names.push_back(names[k] + c);
        from = to;
    }
    for (const std::string& pattern : patterns)
        for (const std::string& name : names) {
            const bool expected = ::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
            ASSERT_EQ(IsWildcardMatch(pattern, name), expected) << "pattern '" << pattern << "' name '" << name << "'";
        }
}

// Stars that could split a long name in many ways: trying the splits one
// star at a time would take longer than any test may run (a few thousand
// characters and three stars already took seconds); the matcher decides
// each of these against the longest name an archive holds at once.
TEST(WildMatch, DecidesManyStarsAgainstTheLongestNameAtOnce)
{
    const std::string longest(0xFFFF, 'a');
    const std::string stars = "*a*a*a*a*a*a*a*a*";
    EXPECT_FALSE(IsWildcardMatch(stars + ".jpg", longest));
    EXPECT_TRUE(IsWildcardMatch(stars + ".jpg", longest.substr(4) + ".jpg"));
    EXPECT_FALSE(IsWildcardMatch("|" + stars + "b", longest));
    EXPECT_FALSE(IsWildcardMatch("*<a>*?*<ab>*a*<!/>b", longest));
    EXPECT_TRUE(IsWildcardMatch("*<a>*?*<ab>*a*<!/>", longest));
    EXPECT_EQ(MatchAfterStar(stars + "b", longest, std::nullopt, false), mpNoMatch);
}

// A copy of text in a heap block of exactly its length, so that the
// sanitizer reports any read past its end.
class GuardedText {
public:
    explicit GuardedText(const std::string& text) : size_(text.size()), bytes_(new char[text.size()])
    {
        std::memcpy(bytes_.get(), text.data(), size_);
    }
    std::string_view View() const { return {bytes_.get(), size_}; }

private:
    std::size_t size_;
    std::unique_ptr<char[]> bytes_;
};

// Every pattern of up to five characters from the special ones: the matcher
// stays inside pattern and name and always gives one of its verdicts.
TEST(WildMatch, StaysInsideEveryShortPattern)
{
    const std::string alphabet = "*?<>!^-a|/";
    const std::vector<std::string> names{"", "a", "-", "a/a", "aa-", "!^>", "<a>"};
    std::vector<GuardedText> guardedNames;
    for (const std::string& name : names)
        guardedNames.emplace_back(name);

    std::vector<std::string> layer{""};
    for (int length = 0; length <= 5; ++length) {
        std::vector<std::string> next;
        for (const std::string& pattern : layer) {
            const GuardedText guarded(pattern);
            for (std::size_t n = 0; n < names.size(); ++n) {
                const int verdict = MatchPattern(pattern, names[n]);
                ASSERT_GE(verdict, mpMatch) << pattern;
                ASSERT_LE(verdict, mpMalformedSet) << pattern;
                const int afterStar = MatchAfterStar(guarded.View(), guardedNames[n].View(), std::nullopt, true);
                ASSERT_GE(afterStar, mpMatch) << pattern;
                ASSERT_LE(afterStar, mpMalformedSet) << pattern;
            }
            if (length < 5)
                for (char c : alphabet)
                    next.push_back(pattern + c);
        }
        layer = std::move(next);
    }
}

TEST(WildMatch, ParseCharSetStaysInsideEveryShortPattern)
{
    const std::string alphabet = "<>!^-a";
    std::vector<std::string> layer{""};
    for (int length = 0; length <= 6; ++length) {
        std::vector<std::string> next;
        for (const std::string& tail : layer) {
            const GuardedText guarded("*<" + tail);
            std::size_t position = 0;
            ParseCharSet(guarded.View(), position);
            ASSERT_LE(position, tail.size() + 2) << tail;
            if (length < 6)
                for (char c : alphabet)
                    next.push_back(tail + c);
        }
        layer = std::move(next);
    }
}

} // namespace
