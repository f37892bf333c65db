// Windows Mail folders: the scan of one folder and the decoding of each
// message file into a list entry.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "common/state.hpp"

namespace pelicard {

// Subject given to a message without one.
inline const char* const kNoSubjectWM = "(Objet non pr\xE9" "cis\xE9)";

// Reads every non-empty .eml/.nws file of `folder` (one level deep, names in
// ascending byte order) into s.list.Wm; s.wm.WmFileCount = entries kept.
// False, after telling the user, when no message was kept; false too, and
// silently, when s.CancelRequested is found set as the window runs.
bool ReadMsgWM(State& s, const std::string& folder);

// Names of the message files of a folder that the scan takes, in its order.
std::vector<std::string> ListMessageFilesWM(const std::string& folder);

// Turns the text of one message file into the entry's fields (all but
// FilePath); uses and leaves the shared working texts and IsUtf8.
void ProcessMessageWM(State& s, std::string text, WmMessageEntry& entry);

// Value of the header field `key` ("Subject:") in texts.HeaderText: only at
// the header's start or a line start, first line only, spaces trimmed.
std::string ExtracItem(State& s, std::string_view key);

// Removes the markers of Q-encoded words (ISO-8859-1 or UTF-8) and turns
// "_" into spaces; the escapes are left for Decode.
std::string DecodeWords(std::string value);

}  // namespace pelicard
