// Taking messages to another mail client: the messages of the open store,
// in the order given, written as one mailbox (mbox file or Maildir folder)
// named after the store's folder, below the storage folder.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/state.hpp"

namespace pelicard {

enum class MailboxForm { Mbox, Maildir };

struct MailboxOutcome {
    std::string path;          // native path of the mailbox made; empty when none was
    std::int32_t written = 0;  // messages in it
    std::int32_t failed = 0;   // messages left out: they have no text that could be read
    bool cancelled = false;    // stopped on request before the last message
};

// The extension of a mailbox of that form: ".mbox" or ".maildir".
const char* MailboxExtension(MailboxForm form);

// Writes the messages at these list indices, in that order. The mailbox is
// built under a temporary name and takes its own name once complete (or
// once stopped: what it holds then is whole). Problems are told in French
// boxes; bad messages never end the export.
MailboxOutcome ExportToMailbox(State& s, MailboxForm form, const std::vector<std::int32_t>& indices);

// Told after each message (done of total) instead of the window's bar, when
// the caller shows a progress of its own (a whole store).
using MailboxStep = std::function<void(std::size_t done, std::size_t total)>;

// The same into the folder open at dirFd (native path dirPath), the mailbox
// named stem + extension (numbered "-1", "-2" … when the name is taken).
MailboxOutcome WriteMailbox(State& s, MailboxForm form, int dirFd, const std::string& dirPath,
                            const std::string& stem, const std::vector<std::int32_t>& indices,
                            const MailboxStep* step = nullptr);

// The list indices 1 … Count of the open store, and the selected ones in
// the order of the selection.
std::vector<std::int32_t> AllListIndices(const State& s);
std::vector<std::int32_t> SelectedListIndices(const State& s);

}  // namespace pelicard
