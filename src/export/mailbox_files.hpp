// A mailbox under construction: a file (mbox) or a folder (Maildir) made
// under a temporary name beside its target, and given its own name once
// complete, without replacing anything but an empty file. Built on the safe
// output files; failures throw Fault with the French text.
#pragma once
#include <string>
#include <string_view>

#include "export/safe_files.hpp"

namespace pelicard {

struct PendingMailbox {
    int dir = -1;            // the folder it is made in (not owned)
    std::string shownDir;    // that folder's path, told in messages
    std::string tempName;    // "." + stem + ext + ".part", numbered when taken
    bool folder = false;
    UniqueFd fd;             // the file open for writing, or the folder open
    PendingMailbox() = default;
    PendingMailbox(PendingMailbox&&) noexcept = default;
    PendingMailbox& operator=(PendingMailbox&&) noexcept = default;
    ~PendingMailbox();
};

// A name taken from a store (UTF-8) made one component, cut to leave room
// for the extension, the numbering and the temporary suffix.
std::string MailboxStem(std::string_view utf8);

PendingMailbox BeginMailbox(int dir, const std::string& shownDir, const std::string& stem, const std::string& ext,
                            bool folder);
// Closes it and renames it to the first free name of stem + ext, stem-1 +
// ext, …; an empty regular file under that name is replaced. Returns the
// name given.
std::string CommitMailbox(PendingMailbox& p, const std::string& stem, const std::string& ext);
// Closes and removes an unfinished mailbox (nothing once committed).
void AbandonMailbox(PendingMailbox& p);

}  // namespace pelicard
