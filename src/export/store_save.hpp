// Saving a whole store: every message of every folder, as the save commands
// of one folder save them, under the storage folder in sub-folders that
// mirror the store's tree.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/state.hpp"

namespace pelicard {

struct StoreSaveReport {
    std::int32_t Folders = 0;       // folders with messages of their own
    std::int32_t FoldersSaved = 0;  // read and saved (possibly with some messages left out)
    std::int64_t MessagesSaved = 0;
    std::int64_t MessagesSkipped = 0;
    // One line per folder not read or message kind left out:
    // "path of names : reason" (Windows-1252).
    std::vector<std::string> Skipped;
    bool Stopped = false;  // the run was stopped before its end
};

// Opens folder k of s.store as the current list; false with the reason.
using StoreFolderOpener = std::function<bool(State&, std::int32_t, std::string&)>;

// Saves every folder of s.store in tree order, as text (the grouping
// options apply within each folder) or as raw copies. Unavailable folders
// and folders that cannot be read are reported in the report and skipped;
// the others are saved. s.store.OnProgress is told before each message.
// The completion signal is given once, at the end.
void SaveWholeStore(State& s, bool raw, const StoreFolderOpener& open, StoreSaveReport& report);

// The summary of a whole-store save (Windows-1252, lines ended by "\r\n").
std::string StoreSaveSummary(const StoreSaveReport& r);

}  // namespace pelicard
