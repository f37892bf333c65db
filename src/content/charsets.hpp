// Character sets and encoded words, over the MIME library and iconv: the
// conversions that the complete decoding of a message uses. Every result
// here is UTF-8; the core's Windows-1252 form is made by the caller.
#pragma once
#include <string>
#include <string_view>

namespace pelicard {

// Starts the MIME library once for the process (any thread may ask first).
void EnsureMimeLibrary();

// `bytes` written in `charset` as UTF-8. False when the charset is unknown
// or the bytes are not a valid text in it (out is then unspecified).
// ISO-8859-1 and US-ASCII are read as Windows-1252, as mail programs write
// them (the euro sign and the typographic quotes live in 0x80-0x9F).
bool ConvertToUtf8(std::string_view bytes, std::string_view charset, std::string& out);

bool IsValidUtf8(std::string_view bytes);

// Bytes of unknown charset as UTF-8: themselves when valid UTF-8, else read
// as Windows-1252.
std::string UnknownBytesToUtf8(std::string_view bytes);

// True when every character of the UTF-8 text has a Windows-1252 form, so
// that the core's text says it all.
bool FitsCp1252(std::string_view utf8);

// True when the text holds something of the form "=?charset?B|Q?…?=".
bool HoldsEncodedWord(std::string_view text);

// A header value (unfolded or not; raw bytes) with its encoded words
// decoded, as UTF-8. Blanks between two adjacent encoded words go; a word
// that is malformed, names an unknown charset or holds bytes invalid in its
// charset stays as written. The text around the words is UTF-8 when valid,
// else Windows-1252.
std::string DecodeHeaderValue(std::string_view raw);

}  // namespace pelicard
