// Extending the selection from the selected message to its conversation.
#include <algorithm>
#include <new>
#include <string>

#include "common/report.hpp"
#include "common/text.hpp"
#include "ui/commands.hpp"

namespace pelicard {
namespace {

// The conversation key of entry k of the current table; empty for an index
// outside it.
const std::string& KeyOf(const State& s, long long k) {
    static const std::string kNone;
    if (k < 1 || k > s.list.Count) return kNone;
    const auto i = static_cast<std::size_t>(k);
    if (s.list.Mode == StoreMode::WindowsMail)
        return i < s.list.Wm.size() ? s.list.Wm[i].ThreadKey : kNone;
    return i < s.list.Oe.size() ? s.list.Oe[i].ThreadKey : kNone;
}

void Run(State& s) {
    WindowPort& w = *s.window;
    w.SetPanelText(4, "");
    const std::int32_t rows = std::min(s.list.Count, w.ListRowCount());

    std::string key;
    bool found = false;
    for (std::int32_t i = 1; i <= rows && !found; ++i) {
        if (!w.ListIsSelected(i)) continue;
        key = KeyOf(s, ParseLeadingNumber(w.ListCellText(i, 5)));
        found = true;
    }

    auto& flags = s.selection.RowFlags;
    if (static_cast<std::int32_t>(flags.size()) != s.list.Count + 1)
        flags.assign(static_cast<std::size_t>(s.list.Count) + 1, false);
    std::int32_t count = 0;
    // No selected row gives no key, and no row matches it.
    if (found) {
        const std::string folded = FoldCase(key);
        for (std::int32_t i = 1; i <= rows; ++i) {
            const std::string& k = KeyOf(s, ParseLeadingNumber(w.ListCellText(i, 5)));
            if (k.size() != folded.size() || FoldCase(k) != folded) continue;
            w.ListSetSelected(i, true);
            flags[static_cast<std::size_t>(i)] = true;
            ++count;
        }
    }
    w.SetPanelText(4, ToDecimal(count));
    s.selection.SelectionCount = count;
    w.SetEnabled("fraGrouping", count == 1);
    w.SetEnabled("cmdGrouping", count == 1);
}

}  // namespace

void cmdGrouping_Click(State& s) {
    if (s.EditorUpdate) return;
    RunGuarded(s, "cmdGrouping_Click", [&] { Run(s); });
}

}  // namespace pelicard
