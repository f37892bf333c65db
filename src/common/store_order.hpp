// The tree-order sort of a store's folders (template part of store.hpp).
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/store.hpp"

namespace pelicard {

template <typename Less>
void OrderStoreTree(StoreTree& t, Less before) {
    const auto n = static_cast<std::int32_t>(t.Folders.size());
    std::vector<std::vector<std::int32_t>> children(static_cast<std::size_t>(n) + 1);
    auto slot = [n](std::int32_t parent) { return static_cast<std::size_t>(parent < 0 || parent >= n ? n : parent); };
    for (std::int32_t i = 0; i < n; ++i) children[slot(t.Folders[static_cast<std::size_t>(i)].Parent)].push_back(i);
    for (auto& c : children)
        std::stable_sort(c.begin(), c.end(), [&](std::int32_t a, std::int32_t b) {
            return before(t.Folders[static_cast<std::size_t>(a)], t.Folders[static_cast<std::size_t>(b)]);
        });
    // Depth-first, with an explicit stack; parents are acyclic by now, and
    // a folder is placed once at most.
    std::vector<StoreFolder> ordered;
    ordered.reserve(static_cast<std::size_t>(n));
    std::vector<std::int32_t> newIndex(static_cast<std::size_t>(n), -1);
    std::vector<std::pair<std::int32_t, std::size_t>> stack{{-1, 0}};
    while (!stack.empty()) {
        auto& [parent, next] = stack.back();
        const auto& kids = children[slot(parent)];
        if (next >= kids.size()) {
            stack.pop_back();
            continue;
        }
        const std::int32_t k = kids[next++];
        if (newIndex[static_cast<std::size_t>(k)] >= 0) continue;
        newIndex[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(ordered.size());
        ordered.push_back(t.Folders[static_cast<std::size_t>(k)]);
        stack.push_back({k, 0});
    }
    for (StoreFolder& f : ordered)
        f.Parent = f.Parent < 0 || f.Parent >= n ? -1 : newIndex[static_cast<std::size_t>(f.Parent)];
    t.Folders.swap(ordered);
    CompleteStorePaths(t);
}

}  // namespace pelicard
