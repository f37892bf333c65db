#include "wm/complete_list_wm.hpp"

#include <algorithm>
#include <new>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/fault.hpp"
#include "common/progress.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "dbx/dates.hpp"

namespace pelicard {
namespace {

// The chain's first element, "<" + subject + ">".
std::string_view FirstToken(std::string_view chain) {
    std::size_t g = chain.find('>');
    return g == npos ? chain : chain.substr(0, g + 1);
}

void CheckRange(const State& s, std::int32_t first, std::int32_t last) {
    if (first < 1 || last >= static_cast<std::int32_t>(s.list.Wm.size()))
        throw Fault(faults::kSubscript);
}

}  // namespace

void ThreadKeysWM(State& s, std::int32_t n) {
    if (n < 1) return;
    CheckRange(s, 1, n);
    auto& t = s.list.Wm;
    WindowPort& w = *s.window;
    const std::size_t count = static_cast<std::size_t>(n) + 1;

    // Seeds: the chain "<subject>" + references, and the parent it names
    // (its last element), looked up among the Message-IDs (first one wins).
    std::vector<std::string> chain(count);
    std::unordered_map<std::string, std::int32_t> byId;
    byId.reserve(count);
    for (std::int32_t j = 1; j <= n; ++j)
        if (!t[j].ThreadKey.empty()) byId.emplace(FoldCase(t[j].ThreadKey), j);
    std::vector<std::int32_t> parent(count, 0);
    for (std::int32_t i = 1; i <= n; ++i) {
        std::string& c = chain[i];
        c = "<" + t[i].Subject + ">" + t[i].References;
        std::size_t last = c.rfind("><");
        std::string_view parentKey = last == npos ? std::string_view(c) : std::string_view(c).substr(last + 1);
        if (parentKey.size() >= 2) {
            auto it = byId.find(FoldCase(parentKey));
            if (it != byId.end()) parent[i] = it->second;
        }
        AdvanceProgress(s, i);
    }
    w.SetPanelText(4, "3");
    w.DoEvents();

    // Reference cycles (a message naming itself, messages naming each
    // other) are cut at their lowest entry, which becomes a top message.
    std::vector<std::int32_t> walk(count, 0);
    for (std::int32_t i = 1; i <= n; ++i) {
        std::int32_t x = i;
        while (x != 0 && walk[x] == 0) {
            walk[x] = i;
            x = parent[x];
        }
        if (x != 0 && walk[x] == i) {
            std::int32_t lowest = x;
            for (std::int32_t y = parent[x]; y != x; y = parent[y]) lowest = std::min(lowest, y);
            parent[lowest] = 0;
        }
    }

    // Each chain settles on its parent's chain followed by the parent's
    // identifier, unless it already equals that ignoring case. Chains are
    // not spelled out: `own` marks a chain that kept its seed, `length` is
    // the settled length and `keyFrom` names the entry whose seed begins it.
    std::vector<char> own(count, 0), resolved(count, 0);
    std::vector<std::size_t> length(count, 0);
    std::vector<std::int32_t> keyFrom(count, 0);
    auto equalsSettled = [&](std::string_view v, std::int32_t j) {
        for (;;) {
            if (v.size() != length[j]) return false;
            if (own[j]) return EqualsNoCase(v, chain[j]);
            const std::string& id = t[parent[j]].ThreadKey;
            if (!EqualsNoCase(v.substr(v.size() - id.size()), id)) return false;
            v.remove_suffix(id.size());
            j = parent[j];
        }
    };
    // Whether v equals, ignoring case, the settled chain of p followed by
    // p's identifier.
    auto equalsSettledPlusId = [&](std::string_view v, std::int32_t p) {
        const std::string& id = t[p].ThreadKey;
        if (v.size() < id.size() || !EqualsNoCase(v.substr(v.size() - id.size()), id)) return false;
        return equalsSettled(v.substr(0, v.size() - id.size()), p);
    };
    std::vector<std::int32_t> path;
    for (std::int32_t i = 1; i <= n; ++i) {
        path.clear();
        for (std::int32_t x = i; x != 0 && !resolved[x]; x = parent[x]) path.push_back(x);
        for (auto it = path.rbegin(); it != path.rend(); ++it) {
            std::int32_t x = *it, p = parent[x];
            own[x] = p == 0 || equalsSettledPlusId(chain[x], p);
            if (own[x]) {
                length[x] = chain[x].size();
                keyFrom[x] = x;
            } else {
                length[x] = length[p] + t[p].ThreadKey.size();
                keyFrom[x] = keyFrom[p];
            }
            resolved[x] = 1;
        }
        AdvanceProgress(s, i);
    }
    w.SetPanelText(4, "4");
    w.DoEvents();

    // The key is the first element of the settled chain.
    std::vector<std::string> keys(count);
    for (std::int32_t i = 1; i <= n; ++i) keys[i] = FirstToken(chain[keyFrom[i]]);
    for (std::int32_t i = 1; i <= n; ++i) {
        t[i].ThreadKey = std::move(keys[i]);
        AdvanceProgress(s, i);
    }
}

void SortWMByID(State& s, std::int32_t first, std::int32_t last) {
    try {
        if (first >= last) return;
        CheckRange(s, first, last);
        auto& t = s.list.Wm;
        struct SortKey {
            std::string primary, folded;
            std::int32_t index;
        };
        std::vector<SortKey> keys;
        keys.reserve(static_cast<std::size_t>(last - first + 1));
        for (std::int32_t i = first; i <= last; ++i)
            keys.push_back({CollationPrimaryKey(t[i].ThreadKey), FoldCase(t[i].ThreadKey), i});
        // The order of CollateCompare: letters, then accents, then case
        // (small letters first), then the bytes.
        std::stable_sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
            if (int r = a.primary.compare(b.primary)) return r < 0;
            if (int r = a.folded.compare(b.folded)) return r < 0;
            return t[a.index].ThreadKey.compare(t[b.index].ThreadKey) > 0;
        });
        std::vector<WmMessageEntry> sorted;
        sorted.reserve(keys.size());
        for (const SortKey& k : keys) sorted.push_back(std::move(t[k.index]));
        std::move(sorted.begin(), sorted.end(), t.begin() + first);
    } catch (const Fault& f) {
        ShowFault(s, "SortWMByID", f);
    } catch (const std::bad_alloc&) {
        ShowFault(s, "SortWMByID", Fault(faults::kOutOfMemory));
    }
}

void CompleteListWM(State& s) {
    WindowPort& w = *s.window;
    try {
        w.ShowProgress(true);
        w.SetPanelText(3, "  Phases de construction");
        w.DoEvents();
        const std::int32_t n = s.wm.WmFileCount;
        s.list.Count = n;
        ThreadKeysWM(s, n);
        w.SetPanelText(4, "5");
        w.DoEvents();
        if (s.CancelRequested) return;  // the opener empties the list
        SortWMByID(s, 1, n);

        w.ListSetSorting(false, 0, false);
        for (std::int32_t i = 1; i <= n; ++i) {
            WmMessageEntry& e = s.list.Wm[i];
            e.DateKey = DateSort(s, e.DateText);
            int row = w.ListAddRow(e.Subject);
            w.ListAddSubItem(row, e.Sender);
            w.ListAddSubItem(row, e.DateText);
            w.ListAddSubItem(row, e.DateKey);
            w.ListAddSubItem(row, ToDecimal(i));
            AdvanceProgress(s, i);
        }
        w.ListSetSelected(1, false);
        w.SetPanelText(3, "  Messages s\xE9lectionn\xE9s");
        w.SetPanelText(4, "");
        w.ShowProgress(false);
    } catch (const Fault& f) {
        EndOnFault(s, "CompleteListWM", f);
    } catch (const std::bad_alloc&) {
        EndOnFault(s, "CompleteListWM", Fault(faults::kOutOfMemory));
    }
}

}  // namespace pelicard
