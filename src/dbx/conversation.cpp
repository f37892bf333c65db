#include "dbx/conversation.hpp"

#include <algorithm>
#include <numeric>
#include <unordered_map>
#include <vector>

#include "common/fault.hpp"
#include "common/progress.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "common/two_threads.hpp"

namespace pelicard {

const std::string& EmptyConversationSubject() {
    static const std::string kEmpty = "(Objet non pr\xE9" "cis\xE9) ";
    return kEmpty;
}

std::string StandardSubject(std::string t) {
    // Trimmed in place: no second copy.
    const std::size_t first = t.find_first_not_of(' ');
    if (first == std::string::npos) return EmptyConversationSubject();
    t.erase(t.find_last_not_of(' ') + 1);
    t.erase(0, first);
    if (t.size() > 50) t.resize(50);
    std::replace(t.begin(), t.end(), '<', '_');
    std::replace(t.begin(), t.end(), '>', '_');
    return t;
}

// Entries from which the conversations are seeded by two threads.
constexpr std::int64_t kEntriesForTwoThreads = 8192;

void SeedConversations(State& s) {
    DbxState& d = s.dbx;
    const std::int32_t n = s.list.Count;
    d.ParentKeyStart.assign(static_cast<std::size_t>(n) + 1, 0);
    // Each entry's chain is seeded from its own values only.
    const std::int64_t fewest = d.OneReader ? std::int64_t{n} + 1 : kEntriesForTwoThreads;
    ForEachOnTwoThreads(1, n, fewest, [&d](std::int64_t i) {
        const auto k = static_cast<std::size_t>(i);
        // No record value leaves the subject empty; StandardSubject never does.
        std::string subject = std::move(d.ConversationSubject[k]);
        if (subject.empty()) subject = EmptyConversationSubject();
        if (EqualsNoCase(subject, EmptyConversationSubject())) {
            std::string number = ToDecimal(i);
            if (number.size() < 5) number.insert(0, 5 - number.size(), '0');
            subject += number;
        }
        std::string& chain = d.ReferenceChain[k];
        std::string seeded;
        seeded.reserve(subject.size() + 2 + chain.size());
        seeded.append(1, '<').append(subject).append(1, '>').append(chain);
        chain = std::move(seeded);
        const std::size_t last = chain.rfind("><");
        d.ParentKeyStart[k] = last == std::string::npos ? 0 : last + 1;
    });
    for (std::int32_t i = 1; i <= n; ++i) AdvanceProgress(s, i);
    s.window->SetPanelText(4, "3");
    s.window->DoEvents();
    d.ConversationSubject.clear();
    d.ConversationSubject.shrink_to_fit();
}

namespace {

// Hashing and equality of texts ignoring letter case, without folded copies.
struct FoldTable {
    unsigned char fold[256];
    FoldTable() {
        for (int c = 0; c < 256; ++c) fold[c] = static_cast<unsigned char>(FoldCase(static_cast<char>(c)));
    }
};
const FoldTable& Folds() {
    static const FoldTable table;
    return table;
}
struct NoCaseHash {
    std::size_t operator()(std::string_view t) const {
        const unsigned char* fold = Folds().fold;
        std::size_t h = 1469598103934665603ull;
        for (char c : t) h = (h ^ fold[static_cast<unsigned char>(c)]) * 1099511628211ull;
        return h;
    }
};
struct NoCaseEqual {
    bool operator()(std::string_view a, std::string_view b) const {
        if (a.size() != b.size()) return false;
        const unsigned char* fold = Folds().fold;
        for (std::size_t k = 0; k < a.size(); ++k)
            if (fold[static_cast<unsigned char>(a[k])] != fold[static_cast<unsigned char>(b[k])]) return false;
        return true;
    }
};

// Cuts the parent links that close a loop (a message answering itself, or
// messages answering each other): in each loop the message with the smallest
// index keeps its own chain, as if its parent were not in the file.
void CutLoops(std::vector<std::int32_t>& parent) {
    const std::size_t n = parent.size();
    std::vector<std::uint8_t> state(n, 0);  // 0 new, 1 on the current path, 2 done
    std::vector<std::int32_t> path;
    for (std::size_t start = 1; start < n; ++start) {
        if (state[start] != 0) continue;
        path.clear();
        std::size_t at = start;
        while (at != 0 && state[at] == 0) {
            state[at] = 1;
            path.push_back(static_cast<std::int32_t>(at));
            at = static_cast<std::size_t>(parent[at]);
        }
        if (at != 0 && state[at] == 1) {
            auto first = std::find(path.begin(), path.end(), static_cast<std::int32_t>(at));
            std::int32_t smallest = *std::min_element(first, path.end());
            parent[static_cast<std::size_t>(smallest)] = 0;
        }
        for (std::int32_t p : path) state[static_cast<std::size_t>(p)] = 2;
    }
}

}  // namespace

void PropagateConversations(State& s) {
    DbxState& d = s.dbx;
    auto& list = s.list.Oe;
    const std::int32_t n = s.list.Count;
    auto& chain = d.ReferenceChain;

    // Each parent key is looked up once: the smallest entry whose ThreadKey
    // equals it, ignoring case, placeholders included. Keys never change
    // during the passes, so the parent of each message is fixed. A parent
    // that is not a message of the file gets a placeholder entry after the
    // messages; placeholders only ever match themselves, so their keys are
    // all that is kept of them.
    std::vector<std::int32_t> parent(static_cast<std::size_t>(n) + 1, 0);
    std::int32_t entries = n;
    {
        // An open-addressing table of entry numbers (0 = free slot), at most
        // half full: the messages and at most one placeholder per message.
        // A placeholder's key is the parent key of the message that made it,
        // seen in that message's chain, which does not change before the
        // passes.
        std::size_t capacity = 16;
        while (capacity < static_cast<std::size_t>(n) * 4) capacity *= 2;
        const std::size_t mask = capacity - 1;
        std::vector<std::int32_t> slots(capacity, 0);
        std::vector<std::string_view> placeholderKey;
        auto keyOf = [&](std::int32_t e) -> std::string_view {
            return e <= n ? std::string_view(list[static_cast<std::size_t>(e)].ThreadKey)
                          : placeholderKey[static_cast<std::size_t>(e - n - 1)];
        };
        // The entry already holding key, or `e` entered for it.
        auto find = [&](std::string_view key, std::int32_t e) {
            std::size_t h = NoCaseHash{}(key) & mask;
            while (slots[h] != 0) {
                if (NoCaseEqual{}(keyOf(slots[h]), key)) return slots[h];
                h = (h + 1) & mask;
            }
            slots[h] = e;
            return e;
        };
        for (std::int32_t j = 1; j <= n; ++j) find(list[static_cast<std::size_t>(j)].ThreadKey, j);
        for (std::int32_t i = 1; i <= n; ++i) {
            const auto k = static_cast<std::size_t>(i);
            const std::string_view key = std::string_view(chain[k]).substr(d.ParentKeyStart[k]);
            if (key.size() < 2) continue;
            const std::int32_t found = find(key, entries + 1);
            if (found == entries + 1) {
                ++entries;
                placeholderKey.push_back(key);
            }
            if (found <= n) parent[k] = found;
        }
    }
    d.PlaceholderCount = entries - n;
    CutLoops(parent);

    // Passes in index order, each using the chains updated earlier in the
    // same pass, until one changes nothing. A message is compared again only
    // when its parent's chain changed since its last comparison.
    std::vector<std::uint32_t> version(static_cast<std::size_t>(n) + 1, 0);
    std::vector<std::int64_t> seen(static_cast<std::size_t>(n) + 1, -1);
    bool changed = true;
    d.PropagationPasses = 0;
    while (changed) {
        changed = false;
        ++d.PropagationPasses;
        for (std::int32_t i = 1; i <= n; ++i) {
            const auto k = static_cast<std::size_t>(i);
            const auto j = static_cast<std::size_t>(parent[k]);
            if (j != 0 && seen[k] != version[j]) {
                seen[k] = version[j];
                const std::string& pk = list[j].ThreadKey;
                const std::string& pc = chain[j];
                const bool same = chain[k].size() == pc.size() + pk.size() &&
                                  EqualsNoCase(std::string_view(chain[k]).substr(0, pc.size()), pc) &&
                                  EqualsNoCase(std::string_view(chain[k]).substr(pc.size()), pk);
                if (!same) {
                    std::string next;
                    next.reserve(pc.size() + pk.size());
                    next.append(pc).append(pk);
                    chain[k] = std::move(next);
                    ++version[k];
                    changed = true;
                }
            }
            AdvanceProgress(s, i);
        }
        s.window->SetPanelText(4, "4");
        s.window->DoEvents();
    }
    for (std::int32_t i = 1; i <= n; ++i) {
        const std::string& c = chain[static_cast<std::size_t>(i)];
        const std::size_t close = c.find('>');
        list[static_cast<std::size_t>(i)].ThreadKey = close == std::string::npos ? c : c.substr(0, close + 1);
        AdvanceProgress(s, i);
    }
    d.ParentKeyStart.clear();
    d.ParentKeyStart.shrink_to_fit();
}

void SortOEByID(State& s, std::int32_t lo, std::int32_t hi) {
    try {
        if (lo >= hi) return;
        auto& list = s.list.Oe;
        if (lo < 0 || static_cast<std::size_t>(hi) >= list.size()) throw Fault(faults::kSubscript);
        const auto count = static_cast<std::size_t>(hi - lo + 1);
        // Keys equal ignoring case sort together, so each distinct key is
        // collated once; the entries then go to their key's place in one
        // stable pass: no recursion, no comparison per entry.
        std::unordered_map<std::string_view, std::size_t, NoCaseHash, NoCaseEqual> groupOf;
        std::vector<std::string> folded;
        std::vector<std::size_t> group(count);
        for (std::size_t k = 0; k < count; ++k) {
            auto [it, added] = groupOf.emplace(list[static_cast<std::size_t>(lo) + k].ThreadKey, folded.size());
            if (added) folded.push_back(FoldCase(it->first));
            group[k] = it->second;
        }
        std::vector<std::string> primary(folded.size());
        for (std::size_t g = 0; g < folded.size(); ++g) primary[g] = CollationPrimaryKey(folded[g]);
        std::vector<std::size_t> byKey(folded.size());
        std::iota(byKey.begin(), byKey.end(), std::size_t{0});
        std::sort(byKey.begin(), byKey.end(), [&](std::size_t a, std::size_t b) {
            if (int r = primary[a].compare(primary[b])) return r < 0;
            return folded[a] < folded[b];
        });
        // Start position of each group in the sorted range.
        std::vector<std::size_t> size(folded.size(), 0), start(folded.size(), 0);
        for (std::size_t g : group) ++size[g];
        for (std::size_t k = 0, at = 0; k < byKey.size(); ++k) {
            start[byKey[k]] = at;
            at += size[byKey[k]];
        }
        // Each entry goes to its place by following the cycles of the
        // permutation, in place: no second table of entries. The entries a
        // cycle reaches next are fetched ahead, so that the swaps do not
        // wait on memory one after the other.
        std::vector<std::size_t> to(count);
        for (std::size_t k = 0; k < count; ++k) to[k] = start[group[k]]++;
        MessageEntry* const base = list.data() + lo;
        constexpr int kAhead = 4;
        for (std::size_t k = 0; k < count; ++k) {
            while (to[k] != k) {
                std::size_t ahead = to[k];
                for (int a = 0; a < kAhead && ahead != k; ++a) ahead = to[ahead];
                const char* line = reinterpret_cast<const char*>(base + ahead);
                for (std::size_t b = 0; b < sizeof(MessageEntry); b += 64) __builtin_prefetch(line + b, 1);
                const std::size_t t = to[k];
                std::swap(base[k], base[t]);
                std::swap(to[k], to[t]);
            }
        }
    } catch (const Fault& e) {
        ShowFault(s, "SortOEByID", e);
    }
}

}  // namespace pelicard
