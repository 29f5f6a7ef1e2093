#include "ztusb/world/wql_like.h"

#include <cstddef>

namespace zt::world {
namespace {

char16_t Fold(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool InRange(char16_t c, char16_t low, char16_t high) {
    return (c >= low && c <= high) || (Fold(c) >= Fold(low) && Fold(c) <= Fold(high));
}

// Matches one character against the pattern element at `at`; `next` gets the position after
// the element. A '[' without its ']' stands for itself.
bool MatchElement(std::u16string_view pattern, std::size_t at, char16_t c, std::size_t& next) {
    const char16_t head = pattern[at];
    next = at + 1;
    if (head == u'_') return true;
    const std::size_t close = head == u'[' ? pattern.find(u']', at + 2) : std::u16string_view::npos;
    if (close == std::u16string_view::npos) return Fold(head) == Fold(c);
    std::size_t i = at + 1;
    const bool negated = pattern[i] == u'^';
    if (negated) ++i;
    bool member = false;
    for (; i < close; ++i) {
        if (i + 2 < close && pattern[i + 1] == u'-') {
            member = member || InRange(c, pattern[i], pattern[i + 2]);
            i += 2;
        } else {
            member = member || Fold(pattern[i]) == Fold(c);
        }
    }
    next = close + 1;
    return member != negated;
}

}  // namespace

// Greedy with one backtracking point per '%': linear in the value for the usual patterns.
bool WqlLike(std::u16string_view value, std::u16string_view pattern) {
    std::size_t v = 0;
    std::size_t p = 0;
    std::size_t starPattern = std::u16string_view::npos;
    std::size_t starValue = 0;
    while (v < value.size()) {
        std::size_t next = 0;
        if (p < pattern.size() && pattern[p] == u'%') {
            starPattern = ++p;
            starValue = v;
        } else if (p < pattern.size() && MatchElement(pattern, p, value[v], next)) {
            p = next;
            ++v;
        } else if (starPattern != std::u16string_view::npos) {
            p = starPattern;
            v = ++starValue;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'%') ++p;
    return p == pattern.size();
}

}  // namespace zt::world
