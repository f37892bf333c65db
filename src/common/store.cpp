#include "common/store.hpp"

#include "common/text.hpp"
#include "export/safe_files.hpp"

namespace pelicard {

std::string StoreNameComponent(const std::string& cp1252) { return SafeComponent(Cp1252ToUtf8(cp1252)); }

std::string StorageSubFolder(const StoreTree& t, std::int32_t folder) {
    std::vector<std::int32_t> chain;
    const auto n = static_cast<std::int32_t>(t.Folders.size());
    for (std::int32_t k = folder; k >= 0 && k < n && chain.size() <= static_cast<std::size_t>(n);
         k = t.Folders[static_cast<std::size_t>(k)].Parent)
        chain.push_back(k);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty()) path += '/';
        path += StoreNameComponent(t.Folders[static_cast<std::size_t>(*it)].Name);
    }
    return path;
}

std::int32_t FindStoreFolder(const StoreTree& t, const std::string& path) {
    std::string wanted = path;
    while (!wanted.empty() && wanted.back() == '/') wanted.pop_back();
    for (std::size_t i = 0; i < t.Folders.size(); ++i)
        if (EqualsNoCase(t.Folders[i].PathOfNames, wanted)) return static_cast<std::int32_t>(i);
    return -1;
}

void CompleteStorePaths(StoreTree& t) {
    for (std::size_t i = 0; i < t.Folders.size(); ++i) {
        StoreFolder& f = t.Folders[i];
        // Tree order puts every parent before its children.
        if (f.Parent >= 0 && static_cast<std::size_t>(f.Parent) < i) {
            const StoreFolder& p = t.Folders[static_cast<std::size_t>(f.Parent)];
            f.Depth = p.Depth + 1;
            f.PathOfNames = p.PathOfNames + "/" + f.Name;
        } else {
            f.Parent = -1;
            f.Depth = 0;
            f.PathOfNames = f.Name;
        }
    }
}

}  // namespace pelicard
