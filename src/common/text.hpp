// Windows-1252 text helpers. Every core text is a std::string holding one
// Windows-1252 character per byte; conversion to Unicode happens at the edges.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace pelicard {

inline constexpr std::size_t npos = std::string::npos;

// Case folding: A-Z, À-Þ (not ×), Š, Œ, Ž, Ÿ to their small forms.
char FoldCase(char c);
// Upper-case counterpart of FoldCase (a-z, à-þ but ÷ and ß, š, œ, ž, ÿ).
char UpperCase(char c);
std::string FoldCase(std::string_view s);
std::string UpperCase(std::string_view s);

bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);

// Searches; 0-based positions, npos when not found.
std::size_t FindNoCase(std::string_view hay, std::string_view needle, std::size_t from = 0);
std::size_t RFindNoCase(std::string_view hay, std::string_view needle);
std::size_t FindExact(std::string_view hay, std::string_view needle, std::size_t from = 0);

// Replacements, left to right, non-overlapping, as the platform's Replace does.
// The in-place forms return whether anything changed and cost no copy when
// nothing matches.
bool ReplaceNoCaseInPlace(std::string& s, std::string_view find, std::string_view with);
bool ReplaceExactInPlace(std::string& s, std::string_view find, std::string_view with);
std::string ReplaceNoCase(std::string_view s, std::string_view find, std::string_view with);
std::string ReplaceExact(std::string_view s, std::string_view find, std::string_view with);

// Removing spaces (only the space character, as Trim does).
std::string TrimSpaces(std::string_view s);
std::string TrimLeftSpaces(std::string_view s);
std::string TrimRightSpaces(std::string_view s);

// Conversions at the edges. Bytes 0x81, 0x8D, 0x8F, 0x90, 0x9D map to the
// C1 controls of the same code, so that every byte round-trips. A character
// that Windows-1252 cannot hold becomes "?"; malformed UTF-8 bytes too.
std::string Cp1252ToUtf8(std::string_view s);
// `fits`, when given, is set to false when a character does not fit or the
// bytes are not well-formed UTF-8 (as FitsCp1252 tells).
std::string Utf8ToCp1252(std::string_view s, bool* fits = nullptr);
// Unicode code point of a Windows-1252 byte.
char32_t Cp1252ToCodePoint(unsigned char c);
// Windows-1252 byte for a code point, or '?' when there is none.
char CodePointToCp1252(char32_t cp);

// French collation of conversation keys and sort texts: letters compared by
// their base letter first (É with E, before F), ignoring case; then accents,
// then case, then bytes, so that the order is total. <0, 0, >0.
int CollateCompare(std::string_view a, std::string_view b);
// The primary key of CollateCompare, usable as a hash/map key: two texts
// whose keys are equal compare equal at the first level.
std::string CollationPrimaryKey(std::string_view s);
// The same key appended to `key`, for keys kept side by side in one text.
void AppendCollationPrimaryKey(std::string& key, std::string_view s);

// Decimal text of a number, and parsing of a leading decimal number as Val does
// (leading spaces skipped, stops at the first non-digit, 0 when none).
std::string ToDecimal(long long n);
long long ParseLeadingNumber(std::string_view s);

}  // namespace pelicard
