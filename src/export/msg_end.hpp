#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include "common/state.hpp"
namespace pelicard {
// Writes or prints the working texts of message `index` when an export or
// print command runs; does nothing otherwise.
void MsgEnd(State& s, std::int32_t index, OutputMode& mode);
// A subject made fit for a file name (Windows-1252 in and out).
std::string StandardName(std::string_view text);

// Extension of a raw copy: "nws" when the header of `raw` has a line
// beginning "Newsgroups:", else "eml".
std::string RawExtension(std::string_view raw);
// Where the subject of `raw` lies: [start, end) is the text after
// "Subject:" and its one following character, up to the line end (folded
// continuation lines included). False when the header has no Subject line.
bool SubjectSpan(std::string_view raw, std::size_t& start, std::size_t& end);
// `raw` with its subject replaced by `subject`.
std::string ReplaceRawSubject(std::string_view raw, std::string_view subject);

// The storage sub-folder of the current store for entry `index` (one safe
// UTF-8 name), and whether `directory` (a storage path) lies in the store
// being read (told once in a box); for the other files an export writes.
std::string StorageSubFolder(State& s, std::int32_t index);
bool StorageInsideStore(State& s, std::int32_t index, const std::string& directory);

// Closes the output file left open, if any (telling OnFileWritten).
void CloseOutput(State& s);
}  // namespace pelicard
