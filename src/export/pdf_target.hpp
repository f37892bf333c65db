// Printing to a PDF file safely: the target is never the store being read
// (nor inside its folder), never a link, never an existing non-empty file
// unless the user confirmed it; the printer writes a temporary file beside
// it, which is renamed onto the target once complete (a PDF ends with
// "%%EOF"), so a full disk never leaves a cut file under the chosen name.
#pragma once
#include <memory>
#include <string>

#include "common/state.hpp"
#include "export/safe_files.hpp"

namespace pelicard {

struct PdfTarget {
    std::string path;  // the chosen file (UTF-8)
    UniqueFd dir;      // its folder
    PendingFile file;  // the temporary file the printer writes
    bool replaceConfirmed = false;
};

// Why `path` cannot take a print of the store open in `s` (a French text in
// Windows-1252), empty when it can.
std::string PdfTargetRefusal(const State& s, const std::string& path, bool replaceConfirmed);
// Checks the target and begins its temporary file; throws Fault with the
// refusal or the system's reason.
std::unique_ptr<PdfTarget> OpenPdfTarget(const State& s, const std::string& path, bool replaceConfirmed);
// The path through which the printer writes the temporary file.
std::string PdfWritePath(const PdfTarget& t);
// After the printer wrote and closed the file: checks that it is complete and
// renames it onto the target; throws Fault otherwise (the temporary file removed).
void CommitPdfTarget(PdfTarget& t);

}  // namespace pelicard
