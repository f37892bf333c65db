// Replacing a small file as a whole: the new text goes into a temporary file
// beside it, flushed to disk, then renamed over the old one, so that a crash
// or a full disk never leaves a half-written file.
#pragma once
#include <string>

namespace pelicard {

// 0 when done, else the errno of the step that failed (the old file stays).
int ReplaceWholeFile(const std::string& path, const std::string& text);

}  // namespace pelicard
