#include "dbx/select_dbx.hpp"

#include <new>
#include <string>

#include "app/locations.hpp"
#include "app/services.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "dbx/header.hpp"
#include "dbx/list_oe.hpp"
#include "dbx/recover.hpp"
#include "dbx/tree.hpp"
#include "ui/window_logic.hpp"

namespace pelicard {
namespace {

// Smaller files cannot hold a header and one text block.
constexpr std::int64_t kRecoverableSize = 0x24BC + 0x210;

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

void Prepare(State& s) {
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
}

void ReadChosen(State& s, bool scan) {
    WindowPort& w = *s.window;
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

    s.dbx.Recovery = {};
    const IndexRead read = ReadIndexGuarded(s);
    if (s.CancelRequested) {
        AbandonOpening(s, "aucun fichier charg\xE9");
        w.SetHourglass(false);
        return;
    }
    if (read != IndexRead::Listed && !scan) {
        // The boxes have told what was met. A damaged file that may hold
        // messages is offered the scan instead of ending the program.
        if (read == IndexRead::Damaged && s.dbx.File.size >= kRecoverableSize)
            scan = AskYesNo(s, "Ce fichier est endommag\xE9. Rechercher les messages r\xE9" "cup\xE9rables ?");
        if (!scan && s.list.Count == 0) {
            w.SetHourglass(false);
            return;
        }
    }
    if (scan) RecoverMessages(s);
    ShowListed(s, name);
    w.SetHourglass(false);
    w.SetEnabled("mnuSelectAll", true);
}

void Run(State& s, bool scan) {
    s.CancelRequested = false;
    Prepare(s);
    if (!ChooseMessageFile(s, s.dbx.ChosenPath, true)) {
        ShowMessage(s, "Pas de fichier s\xE9lectionn\xE9.");
        return;
    }
    ReadChosen(s, scan);
}

}  // namespace

void ShowListed(State& s, const std::string& name) {
    SizeRowFlags(s);
    std::string label;
    if (s.dbx.Recovery.Scanned) {
        // N counts the indexed messages, as without the scan.
        const std::int32_t listed = s.list.Count;
        s.list.Count -= s.dbx.Recovery.RecoveredCount + s.dbx.Recovery.DeletedCount;
        label = DbxSummaryLabel(s, name) + RecoverySummary(s);
        s.list.Count = listed;
    } else {
        label = DbxSummaryLabel(s, name);
    }
    s.window->SetText("lblLvw", label);
}

void RecoverDbx(State& s) {
    RunGuarded(s, "RecoverDbx", [&] {
        // The open file, unless it was searched already: then another one.
        if (s.list.Mode == StoreMode::OutlookExpress && IsOpen(s.dbx.File) && !s.dbx.Recovery.Scanned) {
            s.window->SetHourglass(true);
            RecoverMessages(s);
            ShowListed(s, Utf8ToCp1252(NamePart(s.dbx.ChosenPath)));
            s.window->SetHourglass(false);
            s.window->SetEnabled("mnuSelectAll", true);
            return;
        }
        Run(s, true);
    }, [&] { s.window->SetHourglass(false); });
}

void SelectDbx(State& s) {
    RunGuarded(s, "SelectDbx", [&] { Run(s, false); }, [&] { s.window->SetHourglass(false); });
}

void OpenDbxFile(State& s, const std::string& path) {
    RunGuarded(
        s, "SelectDbx",
        [&] {
            Prepare(s);
            s.dbx.ChosenPath = path;
            ReadChosen(s, false);
        },
        [&] { s.window->SetHourglass(false); });
}

}  // namespace pelicard
