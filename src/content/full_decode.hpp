// The complete decoding of a message, offered beside the fixed repair:
// encoded words of the header fields, the first text part decoded from its
// transfer encoding and converted from its charset. The core keeps its
// Windows-1252 texts; a text with characters beyond Windows-1252 also gets
// a UTF-8 companion, which the editors and the UTF-8 text files use.
#pragma once
#include <string>
#include <string_view>

#include "common/state.hpp"

namespace pelicard {

// The value of header field `key` ("Subject:") of `header`, found as
// ExtracItem finds it, with its folded continuation lines joined.
std::string UnfoldedField(std::string_view header, std::string_view key);

// True when the complete decoding would read the field otherwise than the
// fixed repair: it holds an encoded word, or bytes that are valid UTF-8
// beyond ASCII.
bool WantsFullDecoding(std::string_view value);

// A header value decoded: the core's text, and in `utf8` its UTF-8 form when
// that says more than the core's text can (empty otherwise).
std::string DecodeField(std::string_view raw, std::string& utf8);

// The core's text of a UTF-8 text, and its companion as DecodeField gives it.
std::string FromUtf8(std::string utf8, std::string& companion);

// The UTF-8 form of a core text: its companion when the companion is the
// same text (a companion left from another text, or from before an edit,
// is not), else the core's text converted.
std::string Utf8Form(const std::string& cp1252, const std::string& companion);

// The first text part of a stored message (header and body) as UTF-8,
// transfer-decoded and converted from the part's charset (then the message's,
// then UTF-8 when valid, then Windows-1252), with CR LF line ends; an HTML
// part goes through HTMLProcessing. False when no text part can be read.
bool FirstTextPartUtf8(State& s, std::string_view message, std::string& utf8);

// The body of a stored message by the complete decoding: the first text
// part, its mail links removed, tidied by `tidy`; `core` receives the core's
// text and `companion` its UTF-8 form (see FromUtf8). False, with both left
// as they were but the companion emptied, when no text part can be read:
// the caller then reads the body the fixed way.
bool FullBody(State& s, std::string_view message, std::string& core, std::string& companion,
              void (*tidy)(std::string&));

// The companions of the working texts of the message being read, from its
// entry's fields and their UTF-8 forms (the body's is set by FullBody).
void SetCompanions(State& s, const std::string& subjectU8, const std::string& sender, const std::string& senderU8);

// Puts the body and the subject in the editors, in UTF-8 where a companion
// says more than the core's text.
void ShowInEditors(State& s, const std::string& body, const std::string& subject);

// Named and numeric character references of a UTF-8 text, as characters.
void ReplaceCharacterReferences(std::string& utf8);

}  // namespace pelicard
