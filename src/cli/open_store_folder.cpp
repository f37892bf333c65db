// Opening one folder of a whole store for the batch tool.
#include <filesystem>
#include <iostream>

#include "app/whole_store.hpp"
#include "cli/commands.hpp"
#include "cli/open_store.hpp"
#include "common/text.hpp"

namespace pelicard::cli {

int RefuseText(const std::string& cp1252) {
    std::cerr << "pelicard-extract : " << Cp1252ToUtf8(cp1252) << "\n";
    return 1;
}

int TakeFolderOption(std::vector<std::string>& args, std::optional<std::string>& folder) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--dossier") continue;
        if (i + 1 >= args.size() || args[i + 1].empty())
            return UsageError("--dossier attend le chemin d'un dossier du magasin, par exemple \"Dossiers locaux/Clients\"");
        folder = args[i + 1];
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        --i;
    }
    return 0;
}

int ReadStoreOf(const std::string& source, StoreTree& tree) {
    std::error_code ec;
    if (!std::filesystem::is_directory(source, ec))
        return RefuseText("le magasin " + Utf8ToCp1252(source) + " n'est pas un dossier");
    tree = ReadStoreTree(source);
    return 0;
}

bool OpenFolderOfStore(Session& session, std::int32_t k, std::string& reason) {
    State& s = session.state;
    if (k < 0 || static_cast<std::size_t>(k) >= s.store.Folders.size()) return false;
    const StoreFolder& f = s.store.Folders[static_cast<std::size_t>(k)];
    if (!f.Available) {
        reason = f.Reason;
        return false;
    }
    if (f.Source.empty()) {
        reason = "ce dossier ne contient que des dossiers";
        return false;
    }
    s.store.OpenFolder = k;
    std::string label;
    int rc;
    {
        HoldProgramEnd hold(s);
        const std::string source = f.Source;
        rc = s.store.Kind == StoreKind::OutlookExpress ? OpenDbxStore(session, source, label)
                                                       : OpenWmStore(session, source, label);
    }
    if (s.Quitting) {
        s.Quitting = false;
        reason = kFolderEndedText;
        return false;
    }
    if (rc != 0 || s.list.Count == 0) {
        reason = "aucun message lisible";
        return false;
    }
    return true;
}

int OpenStoreOrFolder(Session& session, const std::string& source, const std::optional<std::string>& folder,
                      std::string& label) {
    if (!folder) return OpenStore(session, source, label);
    State& s = session.state;
    if (int rc = ReadStoreOf(source, s.store); rc != 0) return rc;
    const std::int32_t k = FindStoreFolder(s.store, Utf8ToCp1252(*folder));
    if (k < 0) return RefuseText("aucun dossier \xAB " + Utf8ToCp1252(*folder) + " \xBB dans le magasin");
    const StoreFolder& f = s.store.Folders[static_cast<std::size_t>(k)];
    if (!f.Available) return RefuseText("le dossier " + f.PathOfNames + " est indisponible : " + f.Reason);
    if (f.Source.empty()) return RefuseText("le dossier " + f.PathOfNames + " ne contient que des dossiers");
    s.store.OpenFolder = k;
    const int rc = s.store.Kind == StoreKind::OutlookExpress ? OpenDbxStore(session, f.Source, label)
                                                             : OpenWmStore(session, f.Source, label);
    if (rc == 0) label += " (" + f.PathOfNames + ")";
    return rc;
}

}  // namespace pelicard::cli
