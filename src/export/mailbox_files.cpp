#include "export/mailbox_files.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace pelicard::mailbox_io {
namespace {

constexpr std::size_t kNameBytes = 255;
constexpr std::size_t kRoomForSuffixes = 32;  // ".", "-NNNN", ".part-NNNN" and the extension

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

std::string FitBytes(std::string s, std::size_t bytes) {
    if (s.size() <= bytes) return s;
    std::size_t i = bytes;
    while (i > 0 && IsContinuation(static_cast<unsigned char>(s[i]))) --i;
    s.resize(i);
    return s;
}

std::string Numbered(const std::string& stem, int n, const std::string& ext) {
    return n == 0 ? stem + ext : stem + "-" + std::to_string(n) + ext;
}

constexpr int kMaxNumber = 9999;

}  // namespace

FolderFd::~FolderFd() {
    if (fd >= 0) ::close(fd);
}

int OpenStorageFolder(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int MakeFolderAt(int dirFd, const std::string& name) {
    if (::mkdirat(dirFd, name.c_str(), 0777) != 0 && errno != EEXIST) return -1;
    return ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

int WriteFully(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return 0;
}

std::string SystemErrorText(int err) {
    switch (err) {
        case EACCES:
        case EPERM: return "Permission refusée";
        case ENOSPC: return "Disque plein";
        case EDQUOT: return "Quota de disque dépassé";
        case EROFS: return "Système de fichiers en lecture seule";
        case ENOENT: return "Chemin d'accès introuvable";
        case ENOTDIR: return "Un élément du chemin n'est pas un dossier";
        case ELOOP: return "Un lien symbolique se trouve sur le chemin";
        case ENAMETOOLONG: return "Nom de fichier trop long";
        case EEXIST: return "Le nom est déjà pris";
        case EIO: return "Erreur d'entrée/sortie";
        case EMFILE:
        case ENFILE: return "Trop de fichiers ouverts";
        default: return "Erreur système " + std::to_string(err) + " (" + std::strerror(err) + ")";
    }
}

std::string SafeComponent(std::string_view utf8) {
    std::string out;
    for (char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        out.push_back(u < 0x20 || u == 0x7F || c == '/' || c == '\\' ? '_' : c);
    }
    if (out.find_first_not_of('.') == std::string::npos) out = "_";
    return FitBytes(std::move(out), kNameBytes - kRoomForSuffixes);
}

TempEntry MakeTempEntry(int dirFd, const std::string& stem, const std::string& ext, bool folder) {
    TempEntry e;
    e.folder = folder;
    for (int n = 0; n <= kMaxNumber; ++n) {
        const std::string name = "." + stem + ext + (n == 0 ? ".part" : ".part-" + std::to_string(n));
        if (folder) {
            if (::mkdirat(dirFd, name.c_str(), 0777) != 0) {
                if (errno == EEXIST) continue;
                return {};
            }
            e.fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        } else {
            e.fd = ::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (e.fd < 0 && errno == EEXIST) continue;
        }
        if (e.fd < 0) return {};
        e.name = name;
        return e;
    }
    errno = EEXIST;
    return {};
}

int CommitTempEntry(int dirFd, TempEntry& e, const std::string& stem, const std::string& ext, std::string& final) {
    if (e.fd >= 0 && ::close(e.fd) != 0 && !e.folder) {
        e.fd = -1;
        return errno;
    }
    e.fd = -1;
    for (int n = 0; n <= kMaxNumber; ++n) {
        const std::string name = Numbered(stem, n, ext);
        if (::renameat2(dirFd, e.name.c_str(), dirFd, name.c_str(), RENAME_NOREPLACE) == 0) {
            final = name;
            return 0;
        }
        if (errno != EEXIST) return errno;
        struct stat st {};
        if (!e.folder && ::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_size == 0 && ::renameat(dirFd, e.name.c_str(), dirFd, name.c_str()) == 0) {
            final = name;
            return 0;
        }
    }
    return EEXIST;
}

void DiscardTempEntry(const std::string& dirPath, TempEntry& e) {
    if (e.fd >= 0) ::close(e.fd);
    e.fd = -1;
    if (e.name.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(dirPath) / e.name, ec);
}

bool IsInsideFolder(const std::string& path, const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path f = fs::weakly_canonical(folder, ec);
    if (ec) return false;
    fs::path p = fs::weakly_canonical(path, ec);
    if (ec) return false;
    for (int depth = 0; depth < 4096; ++depth) {
        if (p == f) return true;
        if (!p.has_relative_path()) return false;
        p = p.parent_path();
    }
    return false;
}

}  // namespace pelicard::mailbox_io
