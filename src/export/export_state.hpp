// The part of the shared state that saving and printing own: the one output
// file that spans a combined output, and the printer's page state.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pelicard {

struct ExportState {
    // The open output file (POSIX descriptor), from the message with
    // OutputMode 0 or 1 that opened it to the message with 0 or 3 that
    // closes it; -1 when none is open.
    int OutputFd = -1;
    std::string OutputPath;      // native (UTF-8) path of the open file
    bool OutputCreated = false;  // created by this output (not an existing empty file)
    // The folder holding the open file (descriptor, -1 when none) and the
    // file's name in it: a failed file is removed through it, never by path.
    int OutputDirFd = -1;
    std::string OutputName;
    // The date the open file gets when it is closed (its last message's).
    bool OutputDated = false;
    std::int64_t OutputTime = 0;  // Unix time
    // The first message of the current combined output was skipped (path too
    // long): the following ones of that output are skipped too.
    bool SkipCombined = false;
    std::string SkipReason;  // why (Windows-1252), told for each message skipped
    // Messages not written because their path would be too long (or their
    // storage folder lies in the folder being read).
    std::int32_t SkippedCount = 0;
    // The last storage sub-folder checked against the store's folder
    // ("<directory>\n<store folder>") and whether it lies inside it.
    std::string CheckedDirectory;
    bool DirectoryInsideStore = false;

    // Messages of the current command not saved, or saved cut short: the
    // batch tool names each, counts them and ends with status 3; the window
    // shows them in one box at the end. Texts are Windows-1252.
    struct LeftOutMessage {
        std::int32_t Id = 0;  // the message's row in the list (1-based)
        std::string Subject;
        std::string Reason;
        bool Cut = false;     // saved, but cut short
    };
    std::vector<LeftOutMessage> LeftOut;

    // Printer: body lines counted since the last page header, and the width
    // limit (90 % of the page width) in printer units.
    bool JobOpen = false;  // a print job has begun and not ended
    std::uint8_t LineCounter = 0;
    std::int32_t WidthLimit = 0;

    // Told the native path of every file completely written (the batch tool
    // prints them); may be empty.
    std::function<void(const std::string&)> OnFileWritten;
};

}  // namespace pelicard
