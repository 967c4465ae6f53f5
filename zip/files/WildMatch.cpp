// The matcher walks pattern and name side by side. A plain character, "?" or
// a set item consumes one character of each; a star hands the rest to
// MatchAfterStar, which lets the star take characters one at a time and, at
// each position where the next pattern item could start, tries the rest of the
// pattern there. Every look-ahead is checked against the end of the pattern.
#include "files/WildMatch.h"

namespace {

constexpr char separator = '/';

std::string LowerAZ(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

bool HasSeparator(std::string_view text) { return text.find(separator) != std::string_view::npos; }

bool AllStars(std::string_view items) { return items.find_first_not_of('*') == std::string_view::npos; }

// The verdict of a name that is left over once the pattern is used up.
int LeftOver(std::string_view rest, bool noSubfolders)
{
    return noSubfolders && HasSeparator(rest) ? mpNoMatch : mpPatternUsedUp;
}

// A set item "<...>" at pattern[i] against the name's character c. Returns 0
// when the item accepts c, with i moved past its ">"; else a verdict.
int MatchSetItem(std::string_view pattern, std::size_t& i, unsigned char c)
{
    const std::size_t size = pattern.size();
    std::size_t k = i + 1;
    if (k >= size)
        return mpMalformedSet;
    const bool negated = pattern[k] == '!' || pattern[k] == '^';
    if (negated && ++k >= size)
        return mpMalformedSet;
    if (pattern[k] == '>')
        return mpMalformedSet;

    bool inSet = false;
    while (!inSet && pattern[k] != '>') {
        const auto first = static_cast<unsigned char>(pattern[k]);
        if (k + 1 >= size)
            return mpMalformedSet;
        if (pattern[k + 1] == '-') {
            if (k + 2 >= size || pattern[k + 2] == '>')
                return mpMalformedSet;
            const auto last = static_cast<unsigned char>(pattern[k + 2]);
            inSet = first <= c && c <= last;
            k += 3;
        } else {
            inSet = c == first;
            k += 1;
        }
        if (k >= size)
            return mpMalformedSet;
    }
    k = pattern.find('>', k);
    if (k == std::string_view::npos)
        return mpMalformedSet;
    if (inSet == negated)
        return mpSetRefused;
    i = k + 1;
    return 0;
}

int MatchItems(std::string_view pattern, std::string_view name, bool noSubfolders);

// A star at pattern[i], with or without a set, against the rest of the name.
int MatchStar(std::string_view pattern, std::size_t i, std::string_view name, bool noSubfolders)
{
    if (i + 1 < pattern.size() && pattern[i + 1] == '<') {
        const TCharSet set = ParseCharSet(pattern, i);
        if (set.Members.none())
            return mpNoMatch;
        return MatchAfterStar(pattern.substr(i), name, set, noSubfolders);
    }
    return MatchAfterStar(pattern.substr(i), name, std::nullopt, noSubfolders);
}

// Lower-cased pattern items (prefix removed) against a lower-cased name. The
// nested tries of a star come here too, so a "|" or ">" inside a pattern stays
// a plain character.
int MatchItems(std::string_view pattern, std::string_view name, bool noSubfolders)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < pattern.size()) {
        if (j >= name.size())
            return AllStars(pattern.substr(i)) ? mpMatch : mpNoMatch;
        const char item = pattern[i];
        if (item == '*')
            return MatchStar(pattern, i, name.substr(j), noSubfolders);
        if (item == '<') {
            if (const int verdict = MatchSetItem(pattern, i, static_cast<unsigned char>(name[j])))
                return verdict;
        } else {
            if (item != '?' && item != name[j])
                return mpCharDiffers;
            ++i;
        }
        ++j;
    }
    return j == name.size() ? mpMatch : LeftOver(name.substr(j), noSubfolders);
}

} // namespace

bool IsWildcardMatch(const std::string& pattern, const std::string& name)
{
    return MatchPattern(pattern, name) == mpMatch;
}

int MatchPattern(const std::string& pattern, const std::string& name)
{
    std::string items = LowerAZ(pattern);
    const bool noSubfolders = !items.empty() && items[0] == '|';
    if (!items.empty() && (items[0] == '|' || items[0] == '>'))
        items.erase(0, 1);
    return MatchItems(items, LowerAZ(name), noSubfolders);
}

int MatchAfterStar(std::string_view pattern, std::string_view name, const std::optional<TCharSet>& starSet,
    bool noSubfolders)
{
    // Stars add nothing; each "?" takes one character, whatever the set says.
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < pattern.size() && (pattern[i] == '*' || pattern[i] == '?')) {
        if (pattern[i] == '?' && j++ >= name.size())
            return mpNoMatch;
        ++i;
    }
    const std::string_view rest = pattern.substr(i);
    if (!pattern.empty() && rest.empty())
        return noSubfolders && HasSeparator(name.substr(j)) ? mpNoMatch : mpMatch;
    if (j >= name.size() && !rest.empty())
        return mpNoMatch;

    // The star ends the pattern: it must take the whole name, subfolders only
    // when they are allowed.
    if (rest.empty() && noSubfolders && HasSeparator(name.substr(j)))
        return mpNoMatch;
    for (; j < name.size(); ++j) {
        const char c = name[j];
        if (!rest.empty() && (rest[0] == '<' || rest[0] == c) && MatchItems(rest, name.substr(j), noSubfolders) == mpMatch)
            return mpMatch;
        if (starSet && !starSet->Accepts(static_cast<unsigned char>(c)))
            return mpNoMatch;
    }
    return rest.empty() ? mpMatch : mpNoMatch;
}

TCharSet ParseCharSet(std::string_view pattern, std::size_t& position)
{
    const std::size_t size = pattern.size();
    TCharSet set;
    std::size_t k = position + 2;
    if (k < size && (pattern[k] == '^' || pattern[k] == '!')) {
        set.Negated = true;
        ++k;
    }
    while (k < size && pattern[k] != '>') {
        const auto first = static_cast<unsigned char>(pattern[k]);
        if (k + 2 < size && pattern[k + 1] == '-') {
            const auto last = static_cast<unsigned char>(pattern[k + 2]);
            for (unsigned c = first; c <= last; ++c)
                set.Members.set(c);
            k += 3;
        } else {
            set.Members.set(first);
            k += 1;
        }
    }
    if (k >= size) {
        position = size;
        return TCharSet{};
    }
    position = k + 1;
    return set;
}
