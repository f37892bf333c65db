// Opening a store for the batch tool: a .dbx file, a Windows Mail message
// file (its folder is read) or a Windows Mail folder.
#pragma once
#include <string>

#include "cli/session.hpp"

namespace pelicard::cli {

// Reads the store into the session's list. Returns 0 when listed, 1 when
// refused (the reason already told on standard error). `label` receives the
// summary line in Windows-1252.
int OpenStore(Session& session, const std::string& source, std::string& label);
int OpenDbxStore(Session& session, const std::string& path, std::string& label);
int OpenWmStore(Session& session, const std::string& path, std::string& label);

}  // namespace pelicard::cli
