#include "export/safe_files.hpp"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "common/text.hpp"

namespace pelicard {
namespace {

constexpr std::size_t kNameBytes = 255;
constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Appends `utf8` to `out` with every control character as "_".
void AppendWithoutControls(std::string& out, std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x20 || c == 0x7F) {
            out += '_';
        } else if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            out += '_';  // U+0080-U+009F
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
}

std::string TempNameFor(const std::string& finalName) {
    static thread_local std::mt19937_64 rng{std::random_device{}() ^ static_cast<std::uint64_t>(::getpid())};
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string tag;
    for (std::uint64_t v = rng(), k = 0; k < 8; ++k, v /= 36) tag += kDigits[v % 36];
    // The final name cut so that the temporary one still fits.
    std::string_view stem = finalName;
    const std::size_t room = kNameBytes - (1 + 1 + tag.size() + 4);
    if (stem.size() > room) {
        std::size_t n = room;
        while (n > 0 && IsContinuation(static_cast<unsigned char>(stem[n]))) --n;
        stem = stem.substr(0, n);
    }
    return "." + std::string(stem) + "." + tag + ".tmp";
}

// What holds `name` in `dir`, without following a link.
bool StatAt(int dir, const std::string& name, struct stat& st) {
    return ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

bool IsEmptyRegular(const struct stat& st) { return S_ISREG(st.st_mode) && st.st_size == 0; }

// Replaces the empty regular file `name` of `dir` by the new file `temp`,
// checking after the swap that what it displaced was indeed empty.
bool SwapIntoEmpty(int dir, const std::string& temp, const std::string& name) {
    if (::renameat2(dir, temp.c_str(), dir, name.c_str(), RENAME_EXCHANGE) == 0) {
        struct stat st {};
        if (StatAt(dir, temp, st) && IsEmptyRegular(st)) {
            ::unlinkat(dir, temp.c_str(), 0);
            return true;
        }
        // Something else got there meanwhile: put it back.
        ::renameat2(dir, temp.c_str(), dir, name.c_str(), RENAME_EXCHANGE);
        return false;
    }
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without exchange: check, then replace.
    struct stat st {};
    return StatAt(dir, name, st) && IsEmptyRegular(st) && ::renameat(dir, temp.c_str(), dir, name.c_str()) == 0;
}

// The nearest existing path at or above `path`, resolved.
std::string ResolveExisting(std::string path) {
    for (int guard = 0; guard < 4096; ++guard) {
        if (path.empty()) path = ".";
        if (char* r = ::realpath(path.c_str(), nullptr)) {
            std::string out(r);
            std::free(r);
            return out;
        }
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos) path = ".";
        else if (slash == 0) path = "/";
        else path.resize(slash);
    }
    return "/";
}

}  // namespace

std::string SafeComponent(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    AppendWithoutControls(out, utf8);
    for (char& c : out)
        if (c == '/' || c == '\\') c = '_';
    if (out.find_first_not_of('.') == std::string::npos) return "_";
    if (out.size() > kNameBytes) {
        std::size_t n = kNameBytes;
        while (n > 0 && IsContinuation(static_cast<unsigned char>(out[n]))) --n;
        out.resize(n);
    }
    return out;
}

std::string WithoutControls(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    AppendWithoutControls(out, utf8);
    return out;
}

UniqueFd& UniqueFd::operator=(UniqueFd&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
}

void UniqueFd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

UniqueFd OpenStorageFolder(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) throw SystemFault("Impossible d'ouvrir le dossier", path, errno);
    return fd;
}

UniqueFd OpenSubFolder(int parent, const std::string& name, const std::string& shown) {
    const char* what = "Impossible de créer le dossier";
    if (::mkdirat(parent, name.c_str(), 0777) != 0 && errno != EEXIST) throw SystemFault(what, shown, errno);
    UniqueFd fd(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.valid()) return fd;
    const int err = errno;
    struct stat st {};
    if (StatAt(parent, name, st) && S_ISLNK(st.st_mode))
        throw NamedFault(what, shown, "Un lien symbolique porte ce nom");
    throw SystemFault(what, shown, err == ELOOP ? ENOTDIR : err);
}

Created CreateFileAt(int dir, const std::string& name, const std::string& shown, UniqueFd& out) {
    out.reset();
    // A name that comes and goes meanwhile is tried again, a few times.
    for (int attempt = 0; attempt < 8; ++attempt) {
        out.reset(::openat(dir, name.c_str(), kCreateFlags, 0666));
        if (out.valid()) return Created::New;
        if (errno != EEXIST) throw SystemFault("Impossible de créer le fichier", shown, errno);
        struct stat st {};
        if (!StatAt(dir, name, st)) {
            if (errno == ENOENT) continue;
            return Created::Taken;
        }
        if (!IsEmptyRegular(st)) return Created::Taken;
        // The empty file is replaced by a new one, never written into.
        const std::string temp = TempNameFor(name);
        UniqueFd fresh(::openat(dir, temp.c_str(), kCreateFlags, 0666));
        if (!fresh.valid()) {
            if (errno == EEXIST) continue;
            throw SystemFault("Impossible de créer le fichier", shown, errno);
        }
        if (SwapIntoEmpty(dir, temp, name)) {
            out = std::move(fresh);
            return Created::ReplacedEmpty;
        }
        ::unlinkat(dir, temp.c_str(), 0);
        return Created::Taken;
    }
    return Created::Taken;
}

void WriteAllFd(int fd, std::string_view bytes, const std::string& shown) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw SystemFault("Impossible d'écrire dans le fichier", shown, errno);
        }
        if (n == 0) throw SystemFault("Impossible d'écrire dans le fichier", shown, ENOSPC);
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

PendingFile::~PendingFile() { AbandonPending(*this); }

PendingFile BeginPending(int dir, const std::string& finalName, const std::string& shown) {
    PendingFile p;
    p.dir = dir;
    p.finalName = finalName;
    p.shown = shown;
    for (int attempt = 0; attempt < 64; ++attempt) {
        std::string temp = TempNameFor(finalName);
        // Read and write: the caller may check what was written before the rename.
        p.fd.reset(::openat(dir, temp.c_str(), (kCreateFlags & ~O_WRONLY) | O_RDWR, 0666));
        if (p.fd.valid()) {
            p.tempName = std::move(temp);
            return p;
        }
        if (errno != EEXIST) break;
    }
    throw SystemFault("Impossible de créer le fichier", shown, errno);
}

bool CommitPending(PendingFile& p, bool replaceConfirmed) {
    if (p.tempName.empty()) return false;
    if (p.fd.valid()) {
        const int fd = p.fd.release();
        const bool synced = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
        const int err = errno;
        if (::close(fd) != 0 || !synced) {
            AbandonPending(p);
            throw SystemFault("Impossible d'écrire dans le fichier", p.shown, synced ? errno : err);
        }
    }
    const char* temp = p.tempName.c_str();
    const char* name = p.finalName.c_str();
    bool done = ::renameat2(p.dir, temp, p.dir, name, RENAME_NOREPLACE) == 0;
    if (!done && (errno == EINVAL || errno == ENOSYS)) {
        // Without the no-replace rename: a new link fails on an existing name.
        done = ::linkat(p.dir, temp, p.dir, name, 0) == 0;
        if (done) ::unlinkat(p.dir, temp, 0);
    }
    if (done) {
        p.tempName.clear();
        return true;
    }
    const int err = errno;
    if (err != EEXIST) {
        AbandonPending(p);
        throw SystemFault("Impossible de renommer le fichier", p.shown, err);
    }
    struct stat st {};
    if (StatAt(p.dir, p.finalName, st) && S_ISREG(st.st_mode) && (st.st_size == 0 || replaceConfirmed)) {
        const bool replaced = st.st_size == 0 ? SwapIntoEmpty(p.dir, p.tempName, p.finalName)
                                              : ::renameat(p.dir, temp, p.dir, name) == 0;
        if (replaced) {
            p.tempName.clear();
            return true;
        }
    }
    AbandonPending(p);
    return false;
}

void AbandonPending(PendingFile& p) {
    p.fd.reset();
    if (!p.tempName.empty() && p.dir >= 0) ::unlinkat(p.dir, p.tempName.c_str(), 0);
    p.tempName.clear();
}

void SetModificationTime(int fd, std::int64_t unixSeconds) {
    struct timespec times[2];
    times[0].tv_sec = static_cast<time_t>(unixSeconds);
    times[0].tv_nsec = 0;
    times[1] = times[0];
    ::futimens(fd, times);
}

bool IsInsideFolder(const std::string& path, const std::string& folder) {
    struct stat f {};
    if (::stat(folder.c_str(), &f) != 0) return false;
    std::string p = ResolveExisting(path);
    for (;;) {
        struct stat st {};
        if (::stat(p.c_str(), &st) == 0 && st.st_dev == f.st_dev && st.st_ino == f.st_ino) return true;
        if (p == "/" || p.empty()) return false;
        const std::size_t slash = p.rfind('/');
        p = slash == 0 || slash == std::string::npos ? "/" : p.substr(0, slash);
    }
}

bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace pelicard
