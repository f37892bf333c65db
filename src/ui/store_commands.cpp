#include "ui/store_commands.hpp"

#include <algorithm>
#include <filesystem>

#include "app/ports.hpp"
#include "app/whole_store.hpp"
#include "export/safe_files.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "export/store_save.hpp"
#include "ui/decoding_options.hpp"
#include "ui/window_logic.hpp"

namespace pelicard {
namespace {

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return Utf8ToCp1252(slash == std::string::npos ? path : path.substr(slash + 1));
}

std::int64_t TotalMessages(const StoreTree& t) {
    std::int64_t n = 0;
    for (const StoreFolder& f : t.Folders) n += f.Available ? f.Count : 0;
    return n;
}

std::string StoreLabel(const StoreTree& t) {
    return "Magasin " + NameOf(t.Root) + " : " + ToDecimal(static_cast<long long>(t.Folders.size())) +
           " dossiers, " + ToDecimal(TotalMessages(t)) + " messages. Cliquez sur un dossier pour l'ouvrir.";
}

void EnableStoreCommands(State& s, bool on) {
    s.window->SetEnabled("mnuSaveStore", on);
    s.window->SetEnabled("mnuSaveStoreTxt", on);
    s.window->SetEnabled("mnuSaveStoreNws", on);
    s.window->SetEnabled("mnuMailboxStoreMbox", on);
    s.window->SetEnabled("mnuMailboxStoreMaildir", on);
}

// The view emptied as the open commands empty it before a store is read.
void ClearView(State& s) {
    CloseByteFile(s.dbx.File);
    DisableCommands(s);
    s.list.Count = 0;
    s.dbx.CollectedCount = 0;
    ResetSelection(s);
    s.window->SetPanelText(4, "");
    ClearMessageView(s);
}

}  // namespace

void ShowStorePane(State& s) {
    WindowPort& w = *s.window;
    w.FolderPaneClear();
    for (const StoreFolder& f : s.store.Folders) {
        std::string text = f.Name;
        if (f.Available && !f.Source.empty()) text += " (" + ToDecimal(f.Count) + ")";
        std::string tip = f.Available ? f.PathOfNames : f.PathOfNames + " : indisponible, " + f.Reason;
        if (!f.Available) text += " \x97 indisponible";
        w.FolderPaneAdd(f.Parent, text, tip, !f.Available || f.Count == 0);
    }
    w.SetVisible("tvwFolders", !s.store.Folders.empty());
    EnableStoreCommands(s, !s.store.Folders.empty());
}

void CloseStore(State& s) {
    if (s.store.Kind == StoreKind::None && s.store.Folders.empty()) return;
    s.store = {};
    s.window->FolderPaneClear();
    s.window->SetVisible("tvwFolders", false);
    EnableStoreCommands(s, false);
}

void mnuFileStore_Click(State& s) {
    WindowPort& w = *s.window;
    if (!MayDropEdits(s)) return;
    const std::string dir = s.dialogs->PickFolder("Choisir le dossier du magasin (Outlook Express ou Windows Mail)",
                                                  s.settings.LastFolder);
    if (dir.empty()) {
        ShowMessage(s, "Pas de dossier s\xE9lectionn\xE9.");
        return;
    }
    CloseStore(s);
    ClearView(s);
    w.SetHourglass(true);
    StoreTree tree = ReadStoreTree(dir);
    w.SetHourglass(false);
    if (tree.Folders.empty()) {
        ShowMessage(s, "Le dossier " + Utf8ToCp1252(dir) +
                           " ne contient ni fichier dbx ni dossier de messages de Windows Mail",
                    MsgIcon::Information);
        return;
    }
    s.settings.LastFolder = tree.Root;
    s.store = std::move(tree);
    w.SetPanelText(1, "Magasin s\xE9lectionn\xE9");
    w.SetPanelText(2, NameOf(s.store.Root));
    ShowStorePane(s);
    w.SetText("lblLvw", StoreLabel(s.store));
}

void tvwFolders_Click(State& s, std::int32_t row) {
    if (row < 0 || static_cast<std::size_t>(row) >= s.store.Folders.size()) return;
    const StoreFolder& f = s.store.Folders[static_cast<std::size_t>(row)];
    if (!f.Available) {
        ShowMessage(s, "Le dossier " + f.PathOfNames + " est indisponible :\r\n" + f.Reason, MsgIcon::Exclamation);
        return;
    }
    if (f.Source.empty()) return;  // a folder that only holds folders
    s.CancelRequested = false;
    std::string reason;
    if (!OpenStoreFolder(s, row, reason) && reason == kFolderEndedText) {
        // A fault ended the reading of this folder alone: it is marked so.
        StoreFolder& bad = s.store.Folders[static_cast<std::size_t>(row)];
        bad.Available = false;
        bad.Reason = "Lecture interrompue par une erreur du fichier";
        ClearView(s);
        ShowStorePane(s);
    }
    s.window->FolderPaneSelect(row);
    ShowDecodingHint(s);
}

void ShowStoreFolderAgain(State& s, std::int32_t shown) {
    s.CancelRequested = false;
    std::string reason;
    if (shown >= 0) {
        OpenStoreFolder(s, shown, reason);
    } else {
        ClearView(s);
        s.store.OpenFolder = -1;
        s.window->SetText("lblLvw", StoreLabel(s.store));
    }
}

void mnuSaveStore_Click(State& s, bool raw) {
    WindowPort& w = *s.window;
    if (s.store.Folders.empty()) return;
    if (IsInsideFolder(s.settings.StorageFolder, s.store.Root)) {
        ShowMessage(s, "Le dossier de stockage se trouve dans le magasin lu : choisissez-en un autre (Options, Dossier de stockage).",
                    MsgIcon::Exclamation);
        return;
    }
    std::error_code ec;
    std::filesystem::create_directories(s.settings.StorageFolder, ec);
    if (!std::filesystem::is_directory(s.settings.StorageFolder, ec)) {
        ShowMessage(s, "Impossible de cr\xE9" "er le dossier de stockage " + Utf8ToCp1252(s.settings.StorageFolder),
                    MsgIcon::Critical);
        return;
    }
    const std::int32_t shown = s.store.OpenFolder;
    s.CancelRequested = false;
    std::int64_t ticks = 0;
    s.store.OnProgress = [&w, &ticks](const StoreTree& p) {
        const double part = p.ProgressMessages > 0 ? static_cast<double>(p.ProgressMessage) / p.ProgressMessages : 0;
        const double value = p.ProgressFolders > 0 ? 100.0 * (p.ProgressFolder - 1 + part) / p.ProgressFolders : 0;
        w.SetProgress(std::clamp(value, 0.0, 100.0));
        if (p.ProgressMessage == 0 || ++ticks % 25 == 0 || p.ProgressMessage == p.ProgressMessages) {
            w.SetText("lblLvw", "Enregistrement du magasin : dossier " + ToDecimal(p.ProgressFolder) + " sur " +
                                    ToDecimal(p.ProgressFolders) + ", message " + ToDecimal(p.ProgressMessage) +
                                    " sur " + ToDecimal(p.ProgressMessages));
            w.DoEvents();
        }
    };
    w.SetVisible("txtEnd", false);
    w.SetProgress(0);
    w.ShowProgress(true);
    w.SetHourglass(true);
    StoreSaveReport report;
    SaveWholeStore(s, raw, [](State& st, std::int32_t k, std::string& reason) { return OpenStoreFolder(st, k, reason); },
                   report);
    s.store.OnProgress = nullptr;
    w.ShowProgress(false);
    w.SetHourglass(false);
    // The view comes back to the folder shown before the save.
    ShowStoreFolderAgain(s, shown);
    w.SetVisible("txtEnd", true);
    const char* heading = report.Stopped ? "Enregistrement du magasin : les fichiers d\xE9j\xE0 \xE9" "crits sont gard\xE9s\r\n"
                                         : "Enregistrement de tout le magasin termin\xE9\r\n";
    ShowMessage(s, heading + StoreSaveSummary(report),
                report.Skipped.empty() ? MsgIcon::Information : MsgIcon::Exclamation);
}

}  // namespace pelicard
