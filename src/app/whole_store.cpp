#include "app/whole_store.hpp"

#include <filesystem>

#include "common/fault.hpp"
#include "dbx/folders.hpp"
#include "dbx/select_dbx.hpp"
#include "wm/select_wm.hpp"
#include "wm/wm_tree.hpp"

namespace pelicard {

StoreTree ReadStoreTree(const std::string& dir) {
    if (IsOeStoreFolder(dir)) return ReadOeStore(dir);
    return ScanWmTree(dir);
}

bool IsWholeStore(const std::string& dir, StoreTree& tree, bool forced) {
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) return false;
    tree = ReadStoreTree(dir);
    if (tree.Kind == StoreKind::OutlookExpress) return true;
    if (!IsWmTree(tree)) return false;
    const bool holdsMessages = !tree.Folders.empty() && tree.Folders[0].Source == tree.Root;
    return forced || !holdsMessages;
}

bool OpenStoreFolder(State& s, std::int32_t k, std::string& reason) {
    if (k < 0 || static_cast<std::size_t>(k) >= s.store.Folders.size()) {
        reason = "dossier inconnu";
        return false;
    }
    const StoreFolder& f = s.store.Folders[static_cast<std::size_t>(k)];
    if (!f.Available) {
        reason = f.Reason;
        return false;
    }
    if (f.Source.empty()) {
        reason = "ce dossier ne contient que des dossiers";
        return false;
    }
    const std::string source = f.Source;
    s.store.OpenFolder = k;
    {
        HoldProgramEnd hold(s);
        try {
            if (s.store.Kind == StoreKind::OutlookExpress)
                OpenDbxFile(s, source);
            else
                OpenWmFolder(s, source);
        } catch (const ProgramEnding&) {
            s.Quitting = false;
            s.list.Count = 0;
            reason = kFolderEndedText;
            return false;
        }
    }
    if (s.list.Count == 0) {
        reason = "aucun message lisible";
        return false;
    }
    return true;
}

}  // namespace pelicard
