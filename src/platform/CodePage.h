#pragma once
// Conversions between the Picture Book's 8-bit code page (Windows-1252) and
// Unicode. Every byte of Windows-1252 maps to a code point (its five unassigned
// bytes to the C1 controls of the same value), so text survives a round trip.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

std::string Cp1252ToUtf8(std::string_view text);
// `text` cut to at most `limit` bytes, never inside a UTF-8 character.
std::string CutUtf8(std::string text, size_t limit);
// True when `text` is UTF-8 throughout (ASCII is).
bool IsWellFormedUtf8(std::string_view text);
// Text from a file that may be either: kept when it is well-formed UTF-8,
// else read as Windows-1252.
std::string AnyTextToUtf8(std::string_view text);
// Characters outside Windows-1252 (and malformed UTF-8) become '?'; when
// `replaced` is given it receives how many did.
std::string Utf8ToCp1252(std::string_view text, size_t* replaced = nullptr);
// `count` little-endian UTF-16 code units starting at `bytes`; unpaired
// surrogates and characters outside Windows-1252 become '?'.
std::string Utf16LeToCp1252(const uint8_t* bytes, size_t count);
// Letters of Windows-1252 in lower case, as the Windows system lowers text in
// that code page: A-Z, the accented capitals and the four capitals among
// 0x80..0x9F; every other byte stays.
std::string LowerCp1252(std::string_view text);
