#include "export/batch.hpp"

#include <algorithm>
#include <vector>

#include "app/services.hpp"
#include "common/text.hpp"
#include "content/read_msg.hpp"
#include "export/msg_end.hpp"
#include "export/printer_port.hpp"

namespace pelicard {
namespace {

struct Item {
    std::int32_t index;
    const std::string* dateKey;
    const std::string* threadKey;
};

void ReadAs(State& s, MessageReader read, std::int32_t index, OutputMode mode) {
    OutputMode m = mode;
    read(s, index, m);
}

// Reads a group of messages as one combined output, in date order.
void ReadGroup(State& s, MessageReader read, std::vector<Item>::iterator first, std::vector<Item>::iterator last) {
    std::stable_sort(first, last, [](const Item& a, const Item& b) { return *a.dateKey < *b.dateKey; });
    const auto n = last - first;
    if (n == 1) {
        if (!s.CancelRequested) ReadAs(s, read, first->index, kAlone);
        return;
    }
    for (auto it = first; it != last && !s.CancelRequested; ++it)
        ReadAs(s, read, it->index, it == first ? kFirst : (it + 1 == last ? kLast : kFollowing));
}

// A command stopped inside a combined output: the file or print job holds
// the messages so far and is ended as if its last message had come.
void EndStoppedOutput(State& s) {
    CloseOutput(s);
    if (s.exp.JobOpen) {
        s.exp.JobOpen = false;
        s.printer->EndDoc();
    }
}

}  // namespace

void BatchDriver(State& s, MessageReader read) {
    if (read == nullptr) read = ReadMsg;
    const Selection& sel = s.selection;
    const std::int32_t count =
        std::min<std::int32_t>(sel.SelectionCount, static_cast<std::int32_t>(sel.SelectionOrder.size()) - 1);
    const bool bySelection = s.settings.SelectionOption != 0;
    const bool byConversation = s.settings.GroupingOption != 0;

    if ((!bySelection && !byConversation) || count <= 1) {
        for (std::int32_t i = 1; i <= count && !s.CancelRequested; ++i)
            ReadAs(s, read, sel.SelectionOrder[static_cast<std::size_t>(i)], kAlone);
    } else {
        const bool wm = s.list.Mode == StoreMode::WindowsMail;
        const auto size = static_cast<std::int32_t>(wm ? s.list.Wm.size() : s.list.Oe.size());
        std::vector<Item> items;
        items.reserve(static_cast<std::size_t>(count));
        for (std::int32_t i = 1; i <= count; ++i) {
            const std::int32_t index = sel.SelectionOrder[static_cast<std::size_t>(i)];
            if (index < 1 || index >= size) continue;  // not a row of the current table
            const auto k = static_cast<std::size_t>(index);
            if (wm)
                items.push_back({index, &s.list.Wm[k].DateKey, &s.list.Wm[k].ThreadKey});
            else
                items.push_back({index, &s.list.Oe[k].DateKey, &s.list.Oe[k].ThreadKey});
        }
        std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.index < b.index; });
        if (!items.empty()) {
            if (bySelection) {
                ReadGroup(s, read, items.begin(), items.end());
            } else {
                // Runs of adjacent entries with equal conversation keys.
                auto run = items.begin();
                while (run != items.end() && !s.CancelRequested) {
                    auto end = run + 1;
                    while (end != items.end() && EqualsNoCase(*end->threadKey, *run->threadKey)) ++end;
                    ReadGroup(s, read, run, end);
                    run = end;
                }
            }
        }
    }
    if (s.CancelRequested) EndStoppedOutput(s);
    if (s.ops.PrintSelected) s.printer->Finish();
    // A stopped command is not announced as done.
    if (!s.CancelRequested) SignalDone(s);
}

}  // namespace pelicard
