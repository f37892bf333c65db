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

#include <optional>
#include <vector>

#include "common/store.hpp"

namespace pelicard::cli {

// Takes "--dossier CHEMIN" out of args. Returns 0, or the usage error's
// status when its value is missing.
int TakeFolderOption(std::vector<std::string>& args, std::optional<std::string>& folder);
// OpenStore, or with a folder path: reads the tree of the store folder
// `source` and opens that folder of it (its storage sub-folder is then its
// path in the tree).
int OpenStoreOrFolder(Session& session, const std::string& source, const std::optional<std::string>& folder,
                      std::string& label);
// Opens folder k of session.state.store with the batch tool's road; false
// with the reason (Windows-1252). The program goes on either way.
bool OpenFolderOfStore(Session& session, std::int32_t k, std::string& reason);
// The store's tree, for the commands that take a store folder; 1 (told on
// standard error) when `source` is no folder.
int ReadStoreOf(const std::string& source, StoreTree& tree);

// Prints a Windows-1252 text in UTF-8 on standard error with the tool's prefix; returns 1.
int RefuseText(const std::string& cp1252);

}  // namespace pelicard::cli
