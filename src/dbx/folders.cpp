#include "dbx/folders.hpp"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "common/text.hpp"
#include "dbx/list_oe.hpp"

namespace pelicard {
namespace {

constexpr unsigned char kSignature[] = {0xCF, 0xAD, 0x12, 0xFE};
constexpr unsigned char kMessageKind[] = {0xC5, 0xFD, 0x74, 0x6F};
constexpr unsigned char kFoldersKind[] = {0xC6, 0xFD, 0x74, 0x6F};
constexpr unsigned char kClassId[] = {0x66, 0xE3, 0xD1, 0x11, 0x9A, 0x4E, 0x00, 0xC0, 0x4F, 0xA3,
                                      0x09, 0xD4, 0x05, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
constexpr std::size_t kHeaderBytes = 0xF0;
// A folders file of a real store holds a few thousand records at most.
constexpr std::int64_t kMaxFoldersFile = 256LL << 20;
constexpr std::uint32_t kMaxRecordLength = 1u << 20;
constexpr int kMaxNodeEntries = 0x33;

std::uint32_t U32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(k)]);
    return v;
}

bool Matches(const std::string& b, std::size_t at, const unsigned char* sig, std::size_t n) {
    if (b.size() < at + n) return false;
    return std::memcmp(b.data() + at, sig, n) == 0;
}

std::string SystemReason(int err) {
    switch (err) {
        case ENOENT: return "Fichier introuvable";
        case EACCES:
        case EPERM: return "Permission refus\xE9" "e";
        case EISDIR: return "Un dossier porte ce nom";
        default: return "Erreur d'acc\xE8s au chemin/fichier (" + Utf8ToCp1252(std::strerror(err)) + ")";
    }
}

// Reads at most `limit` bytes from the start of a regular file, never
// following a link at the last component.
bool ReadPrefix(const std::string& path, std::size_t limit, std::string& bytes, std::int64_t& size,
                std::string& reason) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        reason = SystemReason(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        reason = S_ISDIR(st.st_mode) ? SystemReason(EISDIR) : std::string("Ce n'est pas un fichier ordinaire");
        return false;
    }
    size = st.st_size;
    const auto want = static_cast<std::size_t>(std::min<std::int64_t>(size, static_cast<std::int64_t>(limit)));
    bytes.assign(want, '\0');
    std::size_t got = 0;
    while (got < want) {
        const ssize_t r = ::pread(fd, bytes.data() + got, want - got, static_cast<off_t>(got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += static_cast<std::size_t>(r);
    }
    ::close(fd);
    bytes.resize(got);
    return true;
}

// One folder record from the bytes of the folders file; false when the
// record is not one (marker, lengths).
bool ParseRecord(const std::string& b, std::uint32_t at, FolderRecord& out) {
    const std::size_t size = b.size();
    if (at == 0 || static_cast<std::size_t>(at) + 12 > size || U32(b, at) != at) return false;
    const std::uint32_t length = U32(b, at + 4);
    const std::size_t n = static_cast<unsigned char>(b[at + 0x0A]);
    if (length > kMaxRecordLength || length < 4 * n || static_cast<std::size_t>(at) + 12 + length > size) return false;
    const std::size_t table = at + 12, data = table + 4 * n, dataSize = length - 4 * n;
    bool hasId = false;
    for (std::size_t k = 0; k < n; ++k) {
        const auto id = static_cast<unsigned char>(b[table + 4 * k]);
        const std::uint32_t v = U32(b, table + 4 * k) >> 8;
        const bool direct = (id & 0x80) != 0;
        auto number = [&](std::uint32_t& into) {
            if (direct) into = v;
            else if (static_cast<std::size_t>(v) + 4 <= dataSize) into = U32(b, data + v);
            else return false;
            return true;
        };
        auto text = [&](std::string& into) {
            if (direct || v >= dataSize) return;
            const char* p = b.data() + data + v;
            const std::size_t room = dataSize - v;
            const void* nul = std::memchr(p, '\0', room);
            into.assign(p, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - p) : room);
        };
        switch (id & 0x7F) {
            case 0x00: hasId = number(out.Id) || hasId; break;
            case 0x01: number(out.ParentId); break;
            case 0x02: text(out.Name); break;
            case 0x03: text(out.FileName); break;
            case 0x09: number(out.Special); break;
            default: break;
        }
    }
    return hasId;
}

// Every record of the tree at `root` in the walk order of the message
// tree (an entry's record, then its subtree; the node's own child last),
// each node visited once, bounded by what the file can hold.
void WalkTree(const std::string& b, std::uint32_t root, std::unordered_set<std::uint32_t>& nodes,
              std::vector<std::uint32_t>& records) {
    struct Frame {
        std::uint32_t node, child;
        int count, next;
    };
    const std::size_t size = b.size();
    const std::size_t room = size / 12;
    std::vector<Frame> stack;
    auto enter = [&](std::uint32_t at) {
        if (at == 0 || static_cast<std::size_t>(at) + 0x18 > size || U32(b, at) != at) return;
        if (!nodes.insert(at).second) return;
        stack.push_back({at, U32(b, at + 0x08), std::min<int>(static_cast<unsigned char>(b[at + 0x11]), kMaxNodeEntries), 0});
    };
    enter(root);
    while (!stack.empty() && records.size() < room) {
        Frame& f = stack.back();
        const std::size_t e = f.node + 0x18 + 12 * static_cast<std::size_t>(f.next);
        if (f.next >= f.count || e + 8 > size) {
            const std::uint32_t child = f.child;
            stack.pop_back();
            enter(child);
            continue;
        }
        ++f.next;
        if (const std::uint32_t r = U32(b, e); r != 0) records.push_back(r);
        enter(U32(b, e + 4));
    }
}

std::string WithoutDbx(const std::string& name) {
    return name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), ".dbx") ? name.substr(0, name.size() - 4)
                                                                                 : name;
}

// The .dbx files of the folder (native names), keyed by their folded name.
std::map<std::string, std::string> DbxFilesOf(const std::string& dir) {
    std::map<std::string, std::string> files;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return files;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() <= 4 || !EqualsNoCase(name.substr(name.size() - 4), ".dbx")) continue;
        files.emplace(FoldCase(Utf8ToCp1252(name)), name);
    }
    ::closedir(d);
    return files;
}

bool SafeFileName(const std::string& name) {
    return !name.empty() && name.find_first_of("/\\") == std::string::npos && name != "." && name != ".." &&
           name.find('\0') == std::string::npos;
}

// Fills Source, Count and availability of a folder from its file name.
void LocateFile(StoreFolder& f, const std::string& dir, const std::string& storedName,
                const std::map<std::string, std::string>& files) {
    const std::string shown = storedName;  // Windows-1252, as stored
    if (!SafeFileName(storedName)) {
        f.Available = false;
        f.Reason = "Nom de fichier incorrect : " + shown;
        return;
    }
    auto it = files.find(FoldCase(storedName));
    const std::string native = it != files.end() ? it->second : Cp1252ToUtf8(storedName);
    f.Source = dir + "/" + native;
    if (IsRefusedDbxName(Utf8ToCp1252(native))) {
        f.Available = false;
        f.Reason = RefusedDbxText(Utf8ToCp1252(native));
        return;
    }
    if (it == files.end()) {
        f.Available = false;
        f.Reason = "Fichier " + shown + " introuvable";
        return;
    }
    std::string reason;
    if (!ReadFolderFileCount(f.Source, f.Count, reason)) {
        f.Available = false;
        f.Reason = reason;
    }
}

}  // namespace

bool ReadFoldersFile(const std::string& path, std::vector<FolderRecord>& records, std::string& reason) {
    records.clear();
    std::string b;
    std::int64_t size = 0;
    if (!ReadPrefix(path, static_cast<std::size_t>(kMaxFoldersFile), b, size, reason)) return false;
    if (size > kMaxFoldersFile) {
        reason = "Fichier des dossiers trop grand";
        return false;
    }
    if (b.size() < kHeaderBytes || !Matches(b, 0, kSignature, 4) || !Matches(b, 4, kFoldersKind, 4)) {
        reason = "Ce n'est pas un fichier des dossiers d'Outlook Express valide";
        return false;
    }
    std::unordered_set<std::uint32_t> nodes;
    std::vector<std::uint32_t> offsets;
    for (std::size_t root : {0xE4, 0xE8, 0xEC}) WalkTree(b, U32(b, root), nodes, offsets);
    std::unordered_set<std::uint32_t> seenOffsets, seenIds;
    for (std::uint32_t at : offsets) {
        if (!seenOffsets.insert(at).second) continue;
        FolderRecord r;
        if (!ParseRecord(b, at, r) || !seenIds.insert(r.Id).second) continue;
        records.push_back(std::move(r));
    }
    if (records.empty()) {
        reason = "Le fichier des dossiers ne contient aucun dossier lisible";
        return false;
    }
    return true;
}

bool ReadFolderFileCount(const std::string& path, std::int64_t& count, std::string& reason) {
    count = 0;
    std::string b;
    std::int64_t size = 0;
    if (!ReadPrefix(path, kHeaderBytes, b, size, reason)) return false;
    if (!Matches(b, 0, kSignature, 4) || !Matches(b, 8, kClassId, sizeof kClassId) ||
        !Matches(b, 4, kMessageKind, 4) || b.size() < 0xC8) {
        reason = "Ce n'est pas un fichier Outlook Express valide";
        return false;
    }
    const std::uint32_t n = U32(b, 0xC4);
    if (n > 0x7FFFFFFFu) {
        reason = "D\xE9passement de capacit\xE9";
        return false;
    }
    count = n;
    return true;
}

bool IsOeStoreFolder(const std::string& dir) { return !DbxFilesOf(dir).empty(); }

StoreTree ReadOeStore(const std::string& dirIn) {
    std::string dir = dirIn;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    StoreTree t;
    t.Kind = StoreKind::OutlookExpress;
    t.Root = dir;
    const std::map<std::string, std::string> files = DbxFilesOf(dir);
    const auto foldersFile = files.find(FoldCase(std::string(kFoldersFileName)));

    std::vector<FolderRecord> records;
    std::string reason;
    bool fromFile = false;
    if (foldersFile != files.end()) {
        fromFile = ReadFoldersFile(dir + "/" + foldersFile->second, records, reason);
        if (!fromFile) {
            StoreFolder bad;
            bad.Name = kFoldersFileName;
            bad.Source = dir + "/" + foldersFile->second;
            bad.Available = false;
            bad.Reason = "Fichier des dossiers inutilisable : " + reason;
            t.Folders.push_back(bad);
        }
    }

    std::unordered_set<std::string> named;  // folded names of the files the records name
    std::vector<std::uint32_t> special;
    if (fromFile) {
        std::unordered_map<std::uint32_t, std::int32_t> byId;
        const auto first = static_cast<std::int32_t>(t.Folders.size());
        std::vector<std::uint32_t> parentIds;
        for (const FolderRecord& r : records) {
            // The root "Outlook Express" holds the top-level folders.
            if (r.ParentId == 0xFFFFFFFFu && r.FileName.empty()) continue;
            StoreFolder f;
            f.Name = !r.Name.empty() ? r.Name : !r.FileName.empty() ? WithoutDbx(r.FileName) : "(sans nom)";
            if (!r.FileName.empty()) {
                LocateFile(f, dir, r.FileName, files);
                named.insert(FoldCase(r.FileName));
            }
            byId.emplace(r.Id, static_cast<std::int32_t>(t.Folders.size()));
            parentIds.push_back(r.ParentId);
            special.push_back(r.Special);
            t.Folders.push_back(std::move(f));
        }
        for (std::size_t k = 0; k < parentIds.size(); ++k) {
            auto it = byId.find(parentIds[k]);
            t.Folders[static_cast<std::size_t>(first) + k].Parent = it == byId.end() ? -1 : it->second;
        }
        // A parent chain that comes back on itself is cut where it closes:
        // that folder goes to the top level.
        const auto n = t.Folders.size();
        std::vector<char> done(n, 0);
        for (std::size_t i = 0; i < n; ++i) {
            std::unordered_set<std::int32_t> path;
            std::int32_t k = static_cast<std::int32_t>(i);
            while (k >= 0 && !done[static_cast<std::size_t>(k)]) {
                path.insert(k);
                const std::int32_t p = t.Folders[static_cast<std::size_t>(k)].Parent;
                if (p >= 0 && path.count(p)) {
                    t.Folders[static_cast<std::size_t>(k)].Parent = -1;
                    break;
                }
                k = p;
            }
            for (std::int32_t m : path) done[static_cast<std::size_t>(m)] = 1;
        }
        // Containers without any folder file below them (newsgroups not
        // subscribed to, empty accounts) are left out.
        std::vector<char> keep(n, 0);
        for (std::size_t i = 0; i < n; ++i) {
            if (t.Folders[i].Source.empty() && t.Folders[i].Available) continue;
            for (std::int32_t k = static_cast<std::int32_t>(i); k >= 0 && !keep[static_cast<std::size_t>(k)];
                 k = t.Folders[static_cast<std::size_t>(k)].Parent)
                keep[static_cast<std::size_t>(k)] = 1;
        }
        std::vector<std::int32_t> newIndex(n, -1);
        std::vector<StoreFolder> kept;
        std::vector<std::uint32_t> keptSpecial;
        for (std::size_t i = 0; i < n; ++i) {
            if (!keep[i]) continue;
            newIndex[i] = static_cast<std::int32_t>(kept.size());
            kept.push_back(std::move(t.Folders[i]));
            keptSpecial.push_back(i >= static_cast<std::size_t>(first) ? special[i - static_cast<std::size_t>(first)] : 0);
        }
        for (StoreFolder& f : kept) f.Parent = f.Parent < 0 ? -1 : newIndex[static_cast<std::size_t>(f.Parent)];
        t.Folders.swap(kept);
        special.swap(keptSpecial);
    }

    // The .dbx files that no record names (all of them without a usable
    // folders file) are top-level folders named after their file.
    for (const auto& [folded, native] : files) {
        const std::string name = Utf8ToCp1252(native);
        if (IsRefusedDbxName(name) || named.count(folded)) continue;
        StoreFolder f;
        f.Name = WithoutDbx(name);
        LocateFile(f, dir, name, files);
        t.Folders.push_back(std::move(f));
        special.push_back(0);
    }

    // Siblings: the special folders in the client's order, then by name.
    std::unordered_map<const StoreFolder*, std::uint32_t> rank;
    for (std::size_t i = 0; i < t.Folders.size(); ++i) {
        const std::uint32_t sp = i < special.size() ? special[i] : 0;
        rank[&t.Folders[i]] = t.Folders[i].Name == kFoldersFileName && !t.Folders[i].Available ? 0
                              : sp >= 1 && sp <= 5                                             ? sp
                                                                                               : 6;
    }
    OrderStoreTree(t, [&](const StoreFolder& a, const StoreFolder& b) {
        const std::uint32_t ra = rank.at(&a), rb = rank.at(&b);
        if (ra != rb) return ra < rb;
        return CollateCompare(a.Name, b.Name) < 0;
    });
    return t;
}

}  // namespace pelicard
