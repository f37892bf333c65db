#include "wm/wm_tree.hpp"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "common/text.hpp"

namespace pelicard {
namespace {

constexpr int kMaxDepth = 64;
constexpr std::size_t kMaxDirectories = 100000;

std::string Reason(int err) {
    switch (err) {
        case EACCES:
        case EPERM: return "Dossier illisible : permission refus\xE9" "e";
        case ENOENT: return "Dossier introuvable";
        case ELOOP: return "Boucle de liens symboliques";
        case -1: return "Dossier d\xE9j\xE0 lu par un autre chemin (lien symbolique)";
        default: return "Dossier illisible : " + Utf8ToCp1252(std::strerror(err));
    }
}

bool IsMessageName(const std::string& name) {
    if (name.size() < 5) return false;
    const std::string ext = FoldCase(name.substr(name.size() - 4));
    return ext == ".eml" || ext == ".nws";
}

struct Node {
    std::string path;       // native
    std::int32_t parent;    // index in the scan's folders, -1 top level
    int depth;
};

}  // namespace

StoreTree ScanWmTree(const std::string& dirIn) {
    std::string root = dirIn;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    StoreTree t;
    t.Kind = StoreKind::WindowsMail;
    t.Root = root;

    // Every folder met, then pruned of the branches without any message.
    std::vector<StoreFolder> all;
    std::vector<char> holds;
    std::set<std::pair<dev_t, ino_t>> seen;
    std::vector<Node> stack{{root, -2, 0}};  // -2: the chosen directory itself
    while (!stack.empty()) {
        Node n = std::move(stack.back());
        stack.pop_back();
        const bool chosen = n.parent == -2;
        StoreFolder f;
        const auto slash = n.path.find_last_of('/');
        f.Name = Utf8ToCp1252(slash == std::string::npos ? n.path : n.path.substr(slash + 1));
        if (f.Name.empty()) f.Name = "/";
        f.Source = n.path;
        f.Parent = chosen ? -1 : n.parent;
        const auto index = static_cast<std::int32_t>(all.size());

        struct stat st {};
        DIR* d = nullptr;
        int err = 0;
        if (::stat(n.path.c_str(), &st) != 0) err = errno;
        else if (!seen.insert({st.st_dev, st.st_ino}).second) err = -1;
        else if (!(d = ::opendir(n.path.c_str()))) err = errno;
        if (err != 0) {
            f.Available = false;
            f.Reason = Reason(err);
            all.push_back(std::move(f));
            holds.push_back(1);
            continue;
        }
        std::vector<std::string> subdirs;
        while (dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            const std::string full = n.path + "/" + name;
            unsigned char type = e->d_type;
            if (type == DT_UNKNOWN || type == DT_LNK) {
                struct stat es {};
                type = ::stat(full.c_str(), &es) != 0 ? DT_UNKNOWN : S_ISDIR(es.st_mode) ? DT_DIR : S_ISREG(es.st_mode) ? DT_REG : DT_UNKNOWN;
                // A link that leads nowhere (or round itself) is a folder we cannot read.
                if (type == DT_UNKNOWN && e->d_type == DT_LNK && errno == ELOOP) type = DT_DIR;
            }
            if (type == DT_DIR) subdirs.push_back(full);
            else if (type == DT_REG && IsMessageName(name)) ++f.Count;
        }
        ::closedir(d);
        all.push_back(std::move(f));
        holds.push_back(all.back().Count > 0);
        // The chosen directory's sub-folders are top-level folders.
        const std::int32_t parentOfSubs = chosen ? -1 : index;
        if (n.depth >= kMaxDepth || all.size() + stack.size() >= kMaxDirectories) {
            if (!subdirs.empty()) {
                StoreFolder deep;
                deep.Name = "\x85";
                deep.Parent = parentOfSubs;
                deep.Available = false;
                deep.Reason = "Arborescence trop profonde ou trop grande : dossiers suivants non lus";
                all.push_back(std::move(deep));
                holds.push_back(1);
            }
            continue;
        }
        std::sort(subdirs.begin(), subdirs.end(), std::greater<>());
        for (std::string& sub : subdirs) stack.push_back({std::move(sub), parentOfSubs, n.depth + 1});
    }

    // Keep a folder that holds messages, is unavailable, or lies above one.
    std::vector<char> keep(all.size(), 0);
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (!holds[i]) continue;
        for (std::int32_t k = static_cast<std::int32_t>(i); k >= 0 && !keep[static_cast<std::size_t>(k)];
             k = all[static_cast<std::size_t>(k)].Parent)
            keep[static_cast<std::size_t>(k)] = 1;
    }
    std::vector<std::int32_t> newIndex(all.size(), -1);
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (!keep[i]) continue;
        newIndex[i] = static_cast<std::int32_t>(t.Folders.size());
        StoreFolder f = std::move(all[i]);
        f.Parent = f.Parent < 0 ? -1 : newIndex[static_cast<std::size_t>(f.Parent)];
        t.Folders.push_back(std::move(f));
    }
    // The scan already visits depth-first in name order; the chosen
    // directory comes first.
    CompleteStorePaths(t);
    return t;
}

bool IsWmTree(const StoreTree& t) {
    for (const StoreFolder& f : t.Folders)
        if (f.Source != t.Root) return true;
    return false;
}

}  // namespace pelicard
