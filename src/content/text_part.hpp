// The first text part of a stored message, read for the complete decoding:
// its bytes decoded from the transfer encoding, with the charsets it
// declares. Most mail is one text part under a plain header; such a message
// is read by a short scan of its header with the library's own header and
// transfer decoders, the parser reads everything else, and both give the
// same part.
#pragma once
#include <string>
#include <string_view>

namespace pelicard {

struct TextPart {
    std::string bytes;       // decoded from the transfer encoding
    std::string charset;     // the part's declared charset; empty when none
    std::string topCharset;  // the message's (top part's) charset; empty when none
    bool html = false;       // text/html rather than text/plain
};

enum class SinglePart {
    Text,         // one text/plain or text/html part: `out` is set
    NoText,       // one part that is not a text the reading shows
    NeedsParser,  // several parts, or a header the short scan does not read
};

// The short scan: a header of CR LF lines, each a field "name:" or the
// continuation of one, ended by an empty line; at most one Content-Type
// and one Content-Transfer-Encoding; a type that is neither multipart nor
// message, a transfer encoding the library decodes in one step.
SinglePart SinglePartText(std::string_view message, TextPart& out);

// The message read by the MIME parser: the first text part, as the fixed
// reading chooses it (the first part of type text, when plain or HTML).
bool ParsedTextPart(std::string_view message, TextPart& out);

// The short scan, then the parser when the scan cannot tell.
bool ReadTextPart(std::string_view message, TextPart& out);

}  // namespace pelicard
