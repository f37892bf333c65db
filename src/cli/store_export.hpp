// The whole-store save of the batch tool.
#pragma once
#include "cli/session.hpp"

namespace pelicard::cli {

// Saves every folder of session.state.store (already read) as text or raw
// copies under s.settings.StorageFolder. 0 when every message was saved,
// 3 when some folders or messages were not (the summary tells which).
int ExportWholeStore(Session& session, bool raw);

}  // namespace pelicard::cli
