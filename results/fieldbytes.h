#pragma once

#include <array>
#include <string_view>

// The bytes that end or pad a field of res.txt, as the results reader's fast path
// (resultsparser.cpp) and its general field reader (resultsparserfields.cpp) test them.

constexpr std::array<bool, 256> byteSet(std::string_view bytes)
{
    std::array<bool, 256> set{};
    for (char c : bytes)
        set[static_cast<unsigned char>(c)] = true;
    return set;
}

// The bytes that end a field.
inline constexpr std::array<bool, 256> kSeparator = byteSet(",\r\n");
// Where a quoted field of the lenient reader ends: its closing quote, or the end of its line.
inline constexpr std::array<bool, 256> kQuoteOrLineEnd = byteSet("\"\r\n");
// The fast path also stops at a double quote: one inside a plain field (left to the general
// path), or the sentinel placed after the buffered bytes.
inline constexpr std::array<bool, 256> kFastStop = byteSet(",\r\n\"");

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

inline bool isIn(const std::array<bool, 256> &set, char c)
{
    return set[static_cast<unsigned char>(c)];
}
