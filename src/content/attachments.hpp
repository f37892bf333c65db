#pragma once
#include <cstddef>
#include <string>
#include "common/state.hpp"
namespace pelicard {
// Cuts a message text before its first attachment. For an Outlook Express
// store the cut text goes to texts.RawText; for Windows Mail it replaces `text`.
// `cleanPrefix`: a caller that re-checks a growing text may say how many of
// its first characters were already checked without finding a marker; the
// search then starts just early enough to see a marker that straddles the
// old end. The result is the same as with 0.
void Attached(State& s, std::string& text, std::size_t cleanPrefix = 0);
// markerPos is 0-based (npos: not found, nothing cut).
bool CutBeforeMarker(State& s, std::string& text, std::size_t markerPos, bool trimToDelimiter);
// Length of the longest searched marker, CR LF included.
std::size_t LongestAttachmentMarker();
}  // namespace pelicard
