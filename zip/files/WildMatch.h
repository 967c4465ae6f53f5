// Wildcard matching of file names, as the directory walk, extraction, the
// update pass and the writer's exclusion lists use it.
//
// The pattern language:
//   c            the character c (letters A to Z match either case)
//   ?            any one character, "/" included
//   <set>        one character in the set; <!set> or <^set> one not in it
//   *            a run of characters
//   *<set>       a run of characters each in (or, negated, not in) the set
// A set lists single characters and ranges "a-z" (byte values, inclusive)
// without separators; "[" and "]" are plain characters. A leading "|" keeps a
// star at the end of the pattern from reaching into subfolders ("/"); a
// leading ">" is dropped (it matters only to the writer's file list).
//
// The matcher reads only inside the pattern and the name, whatever they hold:
// a pattern that ends in the middle of a set is a malformed set, not a read
// past its end.
#pragma once

#include <bitset>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Verdicts of MatchPattern and MatchAfterStar; only mpMatch is a match.
constexpr int mpMatch = 1;          // pattern and name agree
constexpr int mpPatternUsedUp = 2;  // the name has characters left over
constexpr int mpNoMatch = 3;        // name used up early, a star could not take its run, or a subfolder
constexpr int mpSetRefused = 4;     // a set item does not accept the name's character
constexpr int mpCharDiffers = 5;    // a plain character differs
constexpr int mpMalformedSet = 6;   // a set item that is cut short or empty

// The set a star is restricted to ("*<0-9>").
struct TCharSet {
    std::bitset<256> Members;
    bool Negated = false;

    bool Accepts(unsigned char c) const { return Members[c] != Negated; }
};

// True exactly when MatchPattern gives mpMatch.
bool IsWildcardMatch(const std::string& pattern, const std::string& name);

// Matches name against pattern, ignoring the case of A to Z; one of the
// verdicts above.
int MatchPattern(const std::string& pattern, const std::string& name);

// Matches the rest of a lower-cased name against the rest of a lower-cased
// pattern that follows a star (from the star itself, or from just after the
// star's set). starSet restricts what the star may take; noSubfolders is the
// "|" rule of the match in progress.
int MatchAfterStar(std::string_view pattern, std::string_view name, const std::optional<TCharSet>& starSet,
    bool noSubfolders);

// Reads the set of a star: position is that of a "*" followed by "<" and moves
// past the closing ">". A set that runs off the end of the pattern comes back
// empty (a star with an empty set takes nothing).
TCharSet ParseCharSet(std::string_view pattern, std::size_t& position);
