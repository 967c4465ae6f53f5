// The byte forms of a typed password, and how a bad-password handler walks
// them before it asks for another text.
#include "PasswordForms.h"

#include <gtest/gtest.h>

namespace pictoalbum {

TEST(PasswordFormsTest, TheTypedTextThenItsWindows1252Bytes)
{
    const struct {
        const char* name;
        std::string typed;
        std::vector<std::string> forms;
    } cases[] = {
        {"empty", "", {""}},
        {"ASCII has one form", "secret", {"secret"}},
        {"accented", "p\xC3\xA9x", {"p\xC3\xA9x", "p\xE9x"}},
        {"the euro sign", "\xE2\x82\xAC" "5", {"\xE2\x82\xAC" "5", "\x80" "5"}},
        {"beyond the code page", "\xE5\xAF\x86\xE7\xA0\x81", {"\xE5\xAF\x86\xE7\xA0\x81"}},
        {"partly beyond it", "\xC3\xA9\xE5\xAF\x86", {"\xC3\xA9\xE5\xAF\x86"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PasswordForms(c.typed), c.forms);
    }
}

TEST(PasswordFormsTest, EveryFormIsTriedBeforeANewTextIsAskedFor)
{
    std::vector<std::optional<std::string>> answers = {"p\xC3\xA9x", "abc"};
    int asked = 0;
    const TPasswordForms::TAsk ask = [&] { return answers.at(asked++); };

    TPasswordForms forms("p\xC3\xA9x");
    EXPECT_EQ(forms.Current(), "p\xC3\xA9x");
    ASSERT_TRUE(forms.Advance(ask));
    EXPECT_EQ(forms.Current(), "p\xE9x");
    EXPECT_EQ(asked, 0);
    // The same text typed again is asked for once more.
    ASSERT_TRUE(forms.Advance(ask));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(forms.Current(), "abc");
}

TEST(PasswordFormsTest, ARefusalChangesNothing)
{
    TPasswordForms forms("abc");
    EXPECT_FALSE(forms.Advance([] { return std::nullopt; }));
    EXPECT_EQ(forms.Current(), "abc");
}

} // namespace pictoalbum
