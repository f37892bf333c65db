#include "dbx/select_dbx.hpp"

#include <new>
#include <string>

#include "app/locations.hpp"
#include "app/services.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "dbx/header.hpp"
#include "dbx/list_oe.hpp"
#include "dbx/tree.hpp"
#include "ui/window_logic.hpp"

namespace pelicard {
namespace {

// The part of a native path before / after its last separator.
std::string FolderPart(const std::string& path) {
    const auto p = path.find_last_of('/');
    return p == std::string::npos ? std::string() : path.substr(0, p);
}
std::string NamePart(const std::string& path) {
    const auto p = path.find_last_of('/');
    return p == std::string::npos ? path : path.substr(p + 1);
}
std::string WithoutFinalSeparator(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

void Run(State& s) {
    WindowPort& w = *s.window;
    CloseByteFile(s.dbx.File);
    s.list.Mode = StoreMode::OutlookExpress;
    DisableCommands(s);
    s.dbx.CollectedCount = 0;
    s.list.Count = 0;
    ResetSelection(s);
    w.SetPanelText(1, "Fichier dbx s\xE9lectionn\xE9");
    w.SetPanelText(2, "aucun fichier charg\xE9");
    w.SetPanelText(4, "");
    ClearMessageView(s);

    if (!ChooseMessageFile(s, s.dbx.ChosenPath, true)) {
        ShowMessage(s, "Pas de fichier s\xE9lectionn\xE9.");
        return;
    }
    const std::string& path = s.dbx.ChosenPath;
    // Names are compared as the user sees them: in Windows-1252, ignoring case.
    const std::string folder = Utf8ToCp1252(WithoutFinalSeparator(FolderPart(path)));
    const std::string name = Utf8ToCp1252(NamePart(path));
    if (!s.env.StoreRoot.empty() &&
        EqualsNoCase(folder, Utf8ToCp1252(WithoutFinalSeparator(s.env.StoreRoot))) &&
        IsProcessRunning(s, "msimn.exe")) {
        ShowMessage(s, "Par mesure de s\xE9" "curit\xE9, Outlook Express doit \xEAtre ferm\xE9.");
        return;
    }
    if (IsRefusedDbxName(name)) {
        ShowMessage(s, RefusedDbxText(name));
        return;
    }
    w.SetPanelText(2, name);
    w.SetHourglass(true);

    const std::int32_t root = ReadFileHeader(s);
    if (root == 0) {
        // The header check has told the user why.
        w.SetHourglass(false);
        return;
    }
    StartTreeWalk(s, root);
    CompleteListOE(s);

    SizeRowFlags(s);
    w.SetText("lblLvw", DbxSummaryLabel(s, name));
    w.SetHourglass(false);
    w.SetEnabled("mnuSelectAll", true);
}

}  // namespace

void SelectDbx(State& s) {
    RunGuarded(s, "SelectDbx", [&] { Run(s); }, [&] { s.window->SetHourglass(false); });
}

}  // namespace pelicard
