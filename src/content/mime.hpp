#pragma once
#include <cstdint>
#include <string>
#include "common/state.hpp"
namespace pelicard {
// MIME body extraction of texts.RawText into the working texts.
void MsgProcessing(State& s, std::int32_t index, OutputMode& mode);

// Steps of MsgProcessing, usable on their own.
// Drops every run from "<mailto" (any case) through the next ">"; a run
// without a closing ">" goes to the end of the text.
void RemoveMailLinks(std::string& body);
// Line tidying of the finished body: no leading spaces on lines, CR CR LF
// made CR LF, at most one empty line in a row, no line break at either end.
void TidyLines(std::string& body);
// Decode of a body whose first web address ("http://…", up to the first
// space or line break) stays as written.
std::string DecodeProtectingAddress(State& s, std::string body);
}  // namespace pelicard
