#include "ui/window_logic.hpp"

#include <algorithm>
#include <cmath>

#include "app/services.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "content/read_msg.hpp"
#include "ui/layout.hpp"
#include "ui/list_split.hpp"

namespace pelicard {

void DisableCommands(State& s) {
    EnableForSelection(s, 0);
    EnableModifyCommands(s, false);
}

void EnableForSelection(State& s, std::int32_t n) {
    WindowPort& w = *s.window;
    w.SetEnabled("fraGrouping", n == 1);
    w.SetEnabled("cmdGrouping", n == 1);
    w.SetEnabled("fraAllRecord", n >= 1);
    if (n >= 1) {
        ShowFirstSelected(s);
    } else {
        // Without a selection there is nothing to step through: the buttons
        // would otherwise walk an order collected for rows no longer selected.
        w.SetEnabled("cmdUp", false);
        w.SetEnabled("cmdDown", false);
    }
    w.SetEnabled("fraPrinting", n >= 1);
    s.EditorUpdate = true;
    w.SetEnabled("cmdPrint", n >= 1);
    w.SetEnabled("cmdAllTxt", n >= 1);
    w.SetEnabled("cmdAllNws", n >= 1);
    s.EditorUpdate = false;
}

void EnableModifyCommands(State& s, bool on) {
    WindowPort& w = *s.window;
    s.EditorUpdate = true;
    w.SetEnabled("fraModRecord", on);
    w.SetEnabled("cmdModTxt", on);
    w.SetEnabled("cmdModNws", on && s.selection.SubjectModified);
    s.EditorUpdate = false;
}

void CollectSelection(State& s) {
    Selection& sel = s.selection;
    sel.SelectionCount = 0;
    s.ops.SaveAllText = s.ops.SaveAllRaw = false;
    s.ops.SaveModifiedText = s.ops.SaveModifiedRaw = false;
    s.ops.PrintSelected = false;
    s.window->SetVisible("txtEnd", false);

    const std::int32_t rows =
        std::min<std::int32_t>(s.list.Count, static_cast<std::int32_t>(sel.RowFlags.size()) - 1);
    sel.SelectionOrder.assign(1, 0);
    for (std::int32_t i = 1; i <= rows; ++i) {
        if (!sel.RowFlags[static_cast<std::size_t>(i)]) continue;
        const long long id = ParseLeadingNumber(s.window->ListCellText(i, 5));
        // A row always names an entry of the current table; anything else
        // would be read out of bounds later, so it is not collected.
        if (id < 1 || id > s.list.Count) continue;
        sel.SelectionOrder.push_back(static_cast<std::int32_t>(id));
        ++sel.SelectionCount;
    }
}

void ShowFirstSelected(State& s) {
    CollectSelection(s);
    Selection& sel = s.selection;
    sel.CurrentPosition = 1;
    if (sel.SelectionCount >= 1) {
        OutputMode mode = kAlone;
        ReadMsg(s, sel.SelectionOrder[1], mode);
    }
    s.window->SetEnabled("cmdDown", sel.SelectionCount >= 2);
    s.window->SetEnabled("cmdUp", false);
}

std::int32_t ReadRowFlags(State& s) {
    SizeRowFlags(s);
    std::vector<bool>& flags = s.selection.RowFlags;
    const std::int32_t n = std::min(s.list.Count, s.window->ListRowCount());
    std::int32_t count = 0;
    for (std::int32_t i = 1; i <= n; ++i) {
        const bool on = s.window->ListIsSelected(i);
        flags[static_cast<std::size_t>(i)] = on;
        count += on ? 1 : 0;
    }
    return count;
}

void ResetSelection(State& s) {
    s.selection.RowFlags.assign(1, false);
    s.selection.SelectionOrder.assign(1, 0);
    s.selection.SelectionCount = 0;
    s.selection.CurrentPosition = 0;
}

void SizeRowFlags(State& s) {
    const std::size_t size = static_cast<std::size_t>(std::max(s.list.Count, 0)) + 1;
    if (s.selection.RowFlags.size() != size) s.selection.RowFlags.assign(size, false);
}

namespace {

void PlaceAt(WindowPort& w, std::string_view name, int dLeft, int dTop, int dWidth, int dHeight) {
    const ControlPlace* p = FindStartPlace(name);
    if (p) w.Move(name, p->left + dLeft, p->top + dTop, p->width + dWidth, p->height + dHeight);
}

}  // namespace

void Form_Resize(State& s, int& width, int& height, bool minimised) {
    if (minimised) return;
    try {
        width = std::max(width, kMinWindowWidth);
        height = std::max(height, kMinWindowHeight);
        // At the smallest size every control is back at its start place, so
        // that a window snapped back to the minimum never hides its buttons.
        const int dw = width - kMinWindowWidth;
        const int dh = height - kMinWindowHeight;
        WindowPort& w = *s.window;
        PlaceAt(w, "fraAllRecord", dw, 0, 0, 0);      // W - 6730
        PlaceAt(w, "fraModRecord", dw, 0, 0, 0);      // W - 4130
        PlaceAt(w, "fraPrinting", dw, 0, 0, 0);       // W - 1530
        PlaceAt(w, "cmdDown", dw, 0, 0, 0);           // W - 1085
        PlaceAt(w, "cmdUp", dw, 0, 0, 0);             // W - 600
        PlaceAt(w, "txtEnd", dw, dh, 0, 0);           // W - 3395, H - 1070
        PlaceAt(w, "Bar", dw, dh, 0, 0);
        // Widths W - 370; the list and the body share the extra height
        // (with the list's part at 0, the body takes it all: H + 2550 - 8100).
        PlaceListAndBody(s, dw, dh);
        if (dw > 0) {
            w.ListSetColumnWidth(1, static_cast<int>(std::lround(width - 370 - 10625 + 6510.04)));
            w.SetPanelWidth(2, static_cast<int>(std::lround(width + 3009.82 - 11055)));
        } else {
            w.ListSetColumnWidth(1, kColumnWidths[0]);
            w.SetPanelWidth(2, kPanelWidths[1]);
        }
        s.ui.Width = width;
        s.ui.Height = height;
    } catch (const Fault& f) {
        ShowFault(s, "Form_Resize", f);
    }
}

void ClearMessageView(State& s) {
    WindowPort& w = *s.window;
    w.ListClear();
    s.EditorUpdate = true;
    w.SetText("txtSubject", "");
    w.SetText("txtBody", "");
    w.SetEnabled("cmdDown", false);
    w.SetEnabled("cmdUp", false);
    w.SetEnabled("mnuSelectAll", false);
    w.SetVisible("txtEnd", false);
    s.EditorUpdate = false;
    w.SetText("lblLvw", "Liste des messages");
}

bool MayDropEdits(State& s) {
    if (!s.ui.EditsUnsaved) return true;
    if (!AskYesNo(s, Utf8ToCp1252("Le message modifié n'a pas été enregistré. Abandonner les modifications ?")))
        return false;
    s.ui.EditsUnsaved = false;
    return true;
}

void RestoreRowSelection(State& s) {
    const auto& flags = s.selection.RowFlags;
    const std::int32_t n = std::min<std::int32_t>(s.window->ListRowCount(), static_cast<std::int32_t>(flags.size()) - 1);
    for (std::int32_t i = 1; i <= n; ++i) s.window->ListSetSelected(i, flags[static_cast<std::size_t>(i)]);
}

void AbandonOpening(State& s, const std::string& nothingOpen) {
    s.list.Count = 0;
    s.list.Oe.assign(1, MessageEntry{});
    s.list.Wm.assign(1, WmMessageEntry{});
    ResetSelection(s);
    ClearMessageView(s);
    s.window->ShowProgress(false);
    s.window->SetPanelText(2, nothingOpen);
    s.window->SetPanelText(3, "  Messages s\xE9lectionn\xE9s");
    s.window->SetPanelText(4, "");
}

}  // namespace pelicard
