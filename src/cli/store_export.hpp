// The whole-store save of the batch tool.
#pragma once
#include "cli/session.hpp"
#include "export/mailbox_export.hpp"

namespace pelicard::cli {

// Saves every folder of session.state.store (already read) as text or raw
// copies under s.settings.StorageFolder. 0 when every message was saved,
// 3 when some folders or messages were not (the summary tells which).
int ExportWholeStore(Session& session, bool raw);
// The same as one mailbox per folder (mbox or Maildir) in one root folder;
// prints the path of every mailbox. 0 when every message went in; 3 when
// some folders or messages did not; 1 when nothing could be written.
int ExportWholeStoreToMailboxes(Session& session, MailboxForm form);

}  // namespace pelicard::cli
