// The list view's events, select all, the open commands and the exit.
#include <algorithm>
#include <string>

#include "common/report.hpp"
#include "common/text.hpp"
#include "dbx/select_dbx.hpp"
#include "ui/commands.hpp"
#include "ui/store_commands.hpp"
#include "ui/decoding_options.hpp"
#include "ui/window_logic.hpp"
#include "wm/select_wm.hpp"

namespace pelicard {
namespace {

bool IsStepKey(int keyCode) {
    return keyCode == 33 || keyCode == 34 || keyCode == 38 || keyCode == 40;
}

// Whether the list view's selection differs from RowFlags.
bool SelectionChanged(State& s) {
    const auto& flags = s.selection.RowFlags;
    const std::int32_t n = std::min(s.list.Count, s.window->ListRowCount());
    if (static_cast<std::int32_t>(flags.size()) != s.list.Count + 1) return true;
    for (std::int32_t i = 1; i <= n; ++i)
        if (s.window->ListIsSelected(i) != flags[static_cast<std::size_t>(i)]) return true;
    return false;
}

}  // namespace

void cmdOpen_Click(State& s, int index) {
    if (!MayDropEdits(s)) return;
    CloseStore(s);
    if (index == 0) {
        SelectDbx(s);
        ShowDecodingHint(s);
        return;
    }
    // Both tables are emptied before the folder is read, and the window
    // repaints.
    s.list.Oe.assign(1, MessageEntry{});
    s.list.Wm.assign(1, WmMessageEntry{});
    s.window->DoEvents();
    SelectWM(s);
    ShowDecodingHint(s);
}

void mnuFileDbx_Click(State& s) {
    if (!MayDropEdits(s)) return;
    CloseStore(s);
    SelectDbx(s);
    ShowDecodingHint(s);
}

void mnuFileWM_Click(State& s) {
    if (!MayDropEdits(s)) return;
    CloseStore(s);
    SelectWM(s);
    ShowDecodingHint(s);
}

void mnuRecover_Click(State& s) { RecoverDbx(s); }

void lvwMessages_Click(State& s) {
    WindowPort& w = *s.window;
    if (!MayDropEdits(s)) {
        RestoreRowSelection(s);
        return;
    }
    s.EditorUpdate = true;
    w.SetVisible("txtEnd", false);
    w.SetText("txtSubject", "");
    w.SetText("txtBody", "");
    w.SetPanelText(4, "");
    s.selection.SubjectModified = false;
    s.selection.BodyModified = false;
    const std::int32_t count = ReadRowFlags(s);
    w.SetPanelText(4, ToDecimal(count));
    EnableForSelection(s, count);
    EnableModifyCommands(s, false);
    s.EditorUpdate = false;
}

void lvwMessages_KeyUp(State& s, int keyCode) {
    if (!IsStepKey(keyCode)) {
        // Any other key that changed the selection (Home, End, the space
        // bar, a typed letter …) is taken as a click, so that the commands
        // always match the rows selected.
        if (SelectionChanged(s)) lvwMessages_Click(s);
        return;
    }
    if (!MayDropEdits(s)) {
        RestoreRowSelection(s);
        return;
    }
    WindowPort& w = *s.window;
    s.EditorUpdate = true;
    w.SetText("txtSubject", "");
    w.SetText("txtBody", "");
    const std::int32_t count = ReadRowFlags(s);
    w.SetPanelText(4, ToDecimal(count));
    EnableForSelection(s, count);
}

void lvwMessages_ColumnClick(State& s, int column) {
    DisableCommands(s);
    const int rows = s.window->ListRowCount();
    for (int i = 1; i <= rows; ++i) s.window->ListSetSelected(i, false);
    s.selection.SortDirection = s.selection.SortDirection == 0 ? 1 : 0;
    const int key = column == 2 ? 3 : column;
    s.window->ListSetSorting(true, key, s.selection.SortDirection == 1);
}

void mnuSelectAll_Click(State& s) {
    const std::int32_t n = std::min(s.list.Count, s.window->ListRowCount());
    if (n <= 0 || !MayDropEdits(s)) return;
    WindowPort& w = *s.window;
    s.EditorUpdate = true;
    w.SetText("txtBody", "");
    s.EditorUpdate = false;
    w.SetPanelText(4, ToDecimal(n));
    SizeRowFlags(s);
    for (std::int32_t i = 1; i <= n; ++i) {
        w.ListSetSelected(i, true);
        s.selection.RowFlags[static_cast<std::size_t>(i)] = true;
    }
    EnableForSelection(s, n);
}

void mnuQuit_Click(State& s) {
    if (MayDropEdits(s)) QuitProgram(s);
}

}  // namespace pelicard
