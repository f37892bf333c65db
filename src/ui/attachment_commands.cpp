// The window's commands on complete messages: complete copies of the
// selected messages, the attachments pane of the shown message, and saving
// attachments.
#include <algorithm>
#include <vector>

#include "app/services.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "content/complete.hpp"
#include "content/mime_parts.hpp"
#include "export/attachment_files.hpp"
#include "export/left_out.hpp"
#include "export/msg_end.hpp"
#include "ui/attachment_commands.hpp"
#include "ui/window_logic.hpp"

namespace pelicard {
namespace {

// The message the body editor shows, 0 when none.
std::int32_t ShownMessage(const State& s) {
    const Selection& sel = s.selection;
    const std::int32_t pos = sel.CurrentPosition;
    if (pos < 1 || pos > sel.SelectionCount || static_cast<std::size_t>(pos) >= sel.SelectionOrder.size()) return 0;
    const std::int32_t index = sel.SelectionOrder[static_cast<std::size_t>(pos)];
    const std::size_t size = s.list.Mode == StoreMode::WindowsMail ? s.list.Wm.size() : s.list.Oe.size();
    return index >= 1 && static_cast<std::size_t>(index) < size ? index : 0;
}

// What tells one listed message from another across store openings.
std::string Identity(const State& s, std::int32_t index) {
    if (index == 0) return {};
    const auto i = static_cast<std::size_t>(index);
    return s.list.Mode == StoreMode::WindowsMail
               ? "w" + s.list.Wm[i].FilePath
               : "o" + s.dbx.ChosenPath + "\n" + ToDecimal(s.list.Oe[i].TextOffset) + "\n" +
                     ToDecimal(s.list.Oe[i].RecoveredChain);
}

// "12 octets", "3,4 Ko", "1,2 Mo".
std::string SizeText(std::size_t bytes) {
    if (bytes < 1024) return ToDecimal(static_cast<long long>(bytes)) + " octets";
    const bool mega = bytes >= 1024 * 1024;
    const double v = static_cast<double>(bytes) / (mega ? 1024.0 * 1024.0 : 1024.0);
    const long long tenths = static_cast<long long>(v * 10 + 0.5);
    return ToDecimal(tenths / 10) + "," + ToDecimal(tenths % 10) + (mega ? " Mo" : " Ko");
}

// The end of a command: the completion signal (not after a stop), then the
// one box naming the messages left out or saved cut short.
void EndCommand(State& s) {
    if (!s.CancelRequested) SignalDone(s);
    ShowLeftOut(s);
}

// The messages chosen, in selection order.
std::vector<std::int32_t> ChosenOrder(const State& s) {
    const auto& order = s.selection.SelectionOrder;
    const std::size_t end = std::min<std::size_t>(order.size(),
                                                  static_cast<std::size_t>(std::max(s.selection.SelectionCount, 0)) + 1);
    return end > 1 ? std::vector<std::int32_t>(order.begin() + 1, order.begin() + static_cast<std::ptrdiff_t>(end))
                   : std::vector<std::int32_t>();
}

// Runs `each` over the chosen messages with the bar and «Annuler», which is
// heard between two messages.
template <typename Each>
void OverChosen(State& s, const Each& each) {
    const std::vector<std::int32_t> order = ChosenOrder(s);
    s.window->SetProgress(0);
    s.window->ShowProgress(true);
    for (std::size_t k = 0; k < order.size() && !s.CancelRequested && !s.Quitting; ++k) {
        each(order[k]);
        s.window->SetProgress(100.0 * static_cast<double>(k + 1) / static_cast<double>(order.size()));
        s.window->DoEvents();
    }
    s.window->ShowProgress(false);
}

}  // namespace

void RefreshAttachments(State& s, bool messageShown) {
    const std::int32_t index = messageShown ? ShownMessage(s) : 0;
    std::string id = Identity(s, index);
    if (id == s.ui.AttachmentsOf) return;
    s.ui.AttachmentsOf = std::move(id);
    std::vector<AttachmentRow> rows;
    if (index != 0) {
        try {
            const CompleteText whole = ReadComplete(s, index);
            const AttachmentScan scan = FindAttachments(whole.bytes);
            for (std::size_t k = 0; k < scan.items.size(); ++k) {
                const Attachment& a = scan.items[k];
                rows.push_back({AttachmentFileName(a, k + 1), a.type, SizeText(a.bytes.size())});
            }
        } catch (...) {
            // A message that cannot be looked through lists nothing; saving
            // it says why.
            rows.clear();
        }
    }
    s.window->SetAttachmentRows(rows);
}

void cmdAllComplete_Click(State& s) {
    RunGuarded(s, "cmdAllComplete_Click", [&] {
        if (s.EditorUpdate) return;
        CollectSelection(s);
        ClearLeftOut(s);
        s.CancelRequested = false;
        s.window->SetEnabled("cmdDown", false);
        s.window->SetEnabled("cmdUp", false);
        s.ops.SaveAllComplete = true;
        s.ops.BatchRunning = true;
        OverChosen(s, [&](std::int32_t index) {
            OutputMode mode = kAlone;
            MsgEnd(s, index, mode);
        });
        s.ops.BatchRunning = false;
        s.ops.SaveAllComplete = false;
        EndCommand(s);
    });
}

void cmdSaveAttachments_Click(State& s) {
    RunGuarded(s, "cmdSaveAttachments_Click", [&] {
        if (s.EditorUpdate) return;
        ClearLeftOut(s);
        s.CancelRequested = false;
        const std::int32_t shown = ShownMessage(s);
        const std::vector<int> picked = s.window->SelectedAttachmentRows();
        if (shown != 0 && !picked.empty()) {
            std::vector<std::size_t> only(picked.begin(), picked.end());
            SaveAttachments(s, shown, &only);
        } else {
            CollectSelection(s);
            OverChosen(s, [&](std::int32_t index) { SaveAttachments(s, index); });
        }
        EndCommand(s);
    });
}

}  // namespace pelicard
