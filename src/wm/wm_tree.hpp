// A Windows Mail or Windows Live Mail tree: one directory per folder,
// nested as on disk.
#pragma once
#include <string>

#include "common/store.hpp"

namespace pelicard {

// Every directory at or below `dir` that holds .eml/.nws files, or that
// lies above one that does, named after the directory; the chosen one is a
// top-level folder only when it holds messages itself, and the directories
// below it are top-level folders. Counts are the message files of each
// directory. Links to directories are followed, but a directory met twice (a
// link loop) and a directory that cannot be read are listed unavailable with
// the reason; the depth and the number of directories are bounded.
StoreTree ScanWmTree(const std::string& dir);

// Whether `dir` is a tree rather than one folder: some directory below it
// holds messages.
bool IsWmTree(const StoreTree& t);

}  // namespace pelicard
