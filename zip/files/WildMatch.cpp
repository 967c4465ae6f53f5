// The matcher walks pattern and name side by side. A plain character, "?" or
// a set item consumes one character of each; a star hands the rest to
// MatchAfterStar, which decides all the stars that are left together, in
// time proportional to the name's length times the pattern's (see "After a
// star" below). Every look-ahead is checked against the end of the pattern.
#include "files/WildMatch.h"

#include <algorithm>
#include <vector>

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

// ---- After a star ------------------------------------------------------------
//
// Trying every run a star could take, and under each try every run of the
// next star, costs a power of the name's length for each star: "*a*a*.jpg"
// against a few thousand characters takes seconds, against the longest name
// an archive holds, days. Instead the pattern after a star is cut into star
// groups (a star with its set and the "?" folded into it, then the items up
// to the next star), and the groups are decided from the last to the first:
// one pass over the name tells, for every position, whether the pattern from
// this group on matches the name from there, using the answers of the group
// after it. A pass looks at each position once per item of its group, so a
// whole match costs at most the name's length times the pattern's, and the
// verdicts are those of trying every run.

// One star group. A star without a set of its own that follows a star with
// one is folded into it, so it takes only what that set accepts; "?" folded
// into a star takes any one character before the star's run.
struct TStarGroup {
    std::optional<TCharSet> Set; // what the star may take; none: anything
    bool TakesNothing = false;   // its set has no member: no name matches
    std::size_t QuestionMarks = 0;
    bool EndsPattern = false;    // nothing follows the star (or its set)
    std::string_view Items;      // the items after the star, up to the next star
    bool StarFollows = false;
    bool OnlyStarsFollow = false; // what follows the items is all "*"

    bool Accepts(unsigned char c) const { return !Set || Set->Accepts(c); }
};

// The position after the item at i: a set item reaches to its ">", or to the
// end of a pattern that has none (such an item never accepts a character).
std::size_t ItemEnd(std::string_view pattern, std::size_t i)
{
    if (pattern[i] != '<')
        return i + 1;
    const std::size_t close = pattern.find('>', i + 1);
    return close == std::string_view::npos ? pattern.size() : close + 1;
}

// The group whose star (or its set) ends just before i; i moves to the next star.
TStarGroup ReadStarGroup(std::string_view pattern, std::size_t& i, const std::optional<TCharSet>& set)
{
    TStarGroup group;
    group.Set = set;
    group.EndsPattern = i >= pattern.size();
    for (; i < pattern.size() && (pattern[i] == '*' || pattern[i] == '?'); ++i)
        group.QuestionMarks += pattern[i] == '?' ? 1 : 0;
    const std::size_t from = i;
    while (i < pattern.size() && pattern[i] != '*')
        i = ItemEnd(pattern, i);
    group.Items = pattern.substr(from, i - from);
    group.StarFollows = i < pattern.size();
    group.OnlyStarsFollow = group.StarFollows && AllStars(pattern.substr(i));
    return group;
}

std::vector<TStarGroup> StarGroups(std::string_view pattern, const std::optional<TCharSet>& starSet)
{
    std::size_t i = 0;
    std::vector<TStarGroup> groups{ReadStarGroup(pattern, i, starSet)};
    while (groups.back().StarFollows) {
        if (i + 1 < pattern.size() && pattern[i + 1] == '<') {
            const TCharSet set = ParseCharSet(pattern, i);
            if (set.Members.none()) {
                TStarGroup takesNothing;
                takesNothing.TakesNothing = true;
                groups.push_back(takesNothing);
                break;
            }
            groups.push_back(ReadStarGroup(pattern, i, set));
        } else {
            groups.push_back(ReadStarGroup(pattern, i, std::nullopt));
        }
    }
    return groups;
}

// The items of a group against the name from k; true with k moved past them.
bool MatchGroupItems(std::string_view items, std::string_view name, std::size_t& k)
{
    for (std::size_t i = 0; i < items.size(); ++k) {
        if (k >= name.size())
            return false;
        const char c = name[k];
        if (items[i] == '<') {
            if (MatchSetItem(items, i, static_cast<unsigned char>(c)) != 0)
                return false;
        } else {
            if (items[i] != '?' && items[i] != c)
                return false;
            ++i;
        }
    }
    return true;
}

// Whether the group's items, and the groups after them, match the name from k.
bool ItemsMatchFrom(const TStarGroup& group, std::string_view name, std::size_t k, const std::vector<char>& nextFrom)
{
    if (!MatchGroupItems(group.Items, name, k))
        return false;
    if (!group.StarFollows)
        return k == name.size();
    if (k >= name.size())
        return group.OnlyStarsFollow;
    return nextFrom[k] != 0;
}

// For every position j of the name (0 to its length): whether the group and
// the groups after it (their answers in nextFrom) match the name from j.
std::vector<char> GroupMatchesFrom(const TStarGroup& group, std::string_view name, bool noSubfolders,
    const std::vector<char>& nextFrom)
{
    const std::size_t size = name.size();
    std::vector<char> matches(size + 1, 0);
    if (group.TakesNothing)
        return matches;
    // From x on the star's run finds the items: they match at x, or the
    // star takes name[x] and finds them later.
    std::vector<char> fromRun(size + 1, 0);
    if (group.Items.empty()) {
        // The star takes the rest of the name: no "/" under the "|" rule and,
        // when it ends the pattern, only characters of its set.
        std::size_t firstTakable = 0;
        for (std::size_t x = 0; x < size; ++x) {
            const auto c = static_cast<unsigned char>(name[x]);
            if ((noSubfolders && c == separator) || (group.EndsPattern && !group.Accepts(c)))
                firstTakable = x + 1;
        }
        std::fill(fromRun.begin() + static_cast<std::ptrdiff_t>(firstTakable), fromRun.end(), 1);
    } else {
        for (std::size_t x = size; x-- > 0;) {
            const auto c = static_cast<unsigned char>(name[x]);
            const bool itemsHere =
                (group.Items[0] == '<' || group.Items[0] == name[x]) && ItemsMatchFrom(group, name, x, nextFrom);
            fromRun[x] = itemsHere || (group.Accepts(c) && fromRun[x + 1]);
        }
    }
    // The folded "?" come first, one character each.
    for (std::size_t j = 0; j + group.QuestionMarks <= size; ++j)
        matches[j] = fromRun[j + group.QuestionMarks];
    return matches;
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
    const std::vector<TStarGroup> groups = StarGroups(pattern, starSet);
    std::vector<char> matchesFrom;
    for (auto group = groups.rbegin(); group != groups.rend(); ++group)
        matchesFrom = GroupMatchesFrom(*group, name, noSubfolders, matchesFrom);
    return matchesFrom[0] ? mpMatch : mpNoMatch;
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
