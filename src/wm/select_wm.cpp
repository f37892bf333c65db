#include "wm/select_wm.hpp"

#include <new>
#include <string>

#include "app/locations.hpp"
#include "app/services.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "ui/window_logic.hpp"
#include "wm/complete_list_wm.hpp"
#include "wm/read_msg_wm.hpp"

namespace pelicard {
namespace {

void Prepare(State& s) {
    WindowPort& w = *s.window;
    s.list.Mode = StoreMode::WindowsMail;
    CloseByteFile(s.dbx.File);
    DisableCommands(s);
    s.list.Count = 0;
    s.dbx.CollectedCount = 0;
    ResetSelection(s);
    w.SetPanelText(2, "aucun dossier choisi");
    w.SetPanelText(4, "");
    ClearMessageView(s);
    w.SetPanelText(1, "Dossier choisi");
}

bool StopWhileRunning(State& s) {
    if (!IsProcessRunning(s, "winmail.exe")) return false;
    ShowMessage(s, "Par mesure de s\xE9" "curit\xE9, Windows Mail doit \xEAtre ferm\xE9.");
    return true;
}

void ReadFolder(State& s) {
    WindowPort& w = *s.window;
    const std::string& path = s.wm.WmFolderPath;
    const auto cut2 = path.find_last_of('/');
    const std::string folderName = Utf8ToCp1252(cut2 == std::string::npos ? path : path.substr(cut2 + 1));
    w.SetPanelText(2, folderName);
    w.SetHourglass(true);

    // The bar (and "Annuler") from the scan of the files on.
    w.ShowProgress(true);
    const bool read = ReadMsgWM(s, path);
    if (read && !s.CancelRequested) CompleteListWM(s);
    if (s.CancelRequested) {
        AbandonOpening(s, "aucun dossier choisi");
        w.SetHourglass(false);
        return;
    }
    if (!read) {
        // The scan has told the user that the folder holds no message.
        w.ShowProgress(false);
        w.SetHourglass(false);
        return;
    }

    SizeRowFlags(s);
    w.SetText("lblLvw", ToDecimal(s.list.Count) + " messages contenus dans le dossier " + folderName);
    w.SetHourglass(false);
    w.SetEnabled("mnuSelectAll", true);
}

void Run(State& s) {
    s.CancelRequested = false;
    Prepare(s);
    // The picker starts from the folder shown last and returns the chosen
    // file's path in its place.
    std::string& path = s.wm.WmFolderPath;
    if (!ChooseMessageFile(s, path, false)) {
        ShowMessage(s, "Pas de fichier s\xE9lectionn\xE9.");
        return;
    }
    if (StopWhileRunning(s)) return;
    const auto cut = path.find_last_of('/');
    path = cut == std::string::npos ? std::string() : cut == 0 ? std::string("/") : path.substr(0, cut);
    ReadFolder(s);
}

}  // namespace

void SelectWM(State& s) {
    RunGuarded(s, "SelectWM", [&] { Run(s); }, [&] { s.window->SetHourglass(false); });
}

void OpenWmFolder(State& s, const std::string& folder) {
    RunGuarded(
        s, "SelectWM",
        [&] {
            Prepare(s);
            if (StopWhileRunning(s)) return;
            s.wm.WmFolderPath = folder;
            ReadFolder(s);
        },
        [&] { s.window->SetHourglass(false); });
}

}  // namespace pelicard
