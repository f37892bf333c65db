#pragma once
#include <cstddef>
#include <string>
#include "common/state.hpp"
namespace pelicard {
// Cuts a message text before its first attachment. For an Outlook Express
// store the cut text goes to texts.RawText; for Windows Mail it replaces `text`.
void Attached(State& s, std::string& text);
// markerPos is 0-based.
bool CutBeforeMarker(State& s, std::string& text, std::size_t markerPos, bool trimToDelimiter);
}  // namespace pelicard
