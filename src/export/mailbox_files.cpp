#include "export/mailbox_files.hpp"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace pelicard {
namespace {

constexpr std::size_t kNameBytes = 255;
constexpr std::size_t kRoomForSuffixes = 32;  // ".", "-NNNN", ".part-NNNN" and the extension
constexpr int kMaxNumber = 9999;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

std::string Numbered(const std::string& stem, int n, const std::string& ext) {
    return n == 0 ? stem + ext : stem + "-" + std::to_string(n) + ext;
}

}  // namespace

PendingMailbox::~PendingMailbox() { AbandonMailbox(*this); }

std::string MailboxStem(std::string_view utf8) {
    std::string s = SafeComponent(utf8);
    const std::size_t room = kNameBytes - kRoomForSuffixes;
    if (s.size() > room) {
        std::size_t i = room;
        while (i > 0 && IsContinuation(static_cast<unsigned char>(s[i]))) --i;
        s.resize(i);
    }
    return s;
}

PendingMailbox BeginMailbox(int dir, const std::string& shownDir, const std::string& stem, const std::string& ext,
                            bool folder) {
    PendingMailbox p;
    p.dir = dir;
    p.shownDir = shownDir;
    p.folder = folder;
    for (int n = 0; n <= kMaxNumber; ++n) {
        const std::string name = "." + stem + ext + (n == 0 ? ".part" : ".part-" + std::to_string(n));
        int fd;
        if (folder) {
            if (::mkdirat(dir, name.c_str(), 0777) != 0) {
                if (errno == EEXIST) continue;
                throw SystemFault("Impossible de créer le dossier", shownDir + "/" + name, errno);
            }
            p.tempName = name;
            fd = ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        } else {
            fd = ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd < 0 && errno == EEXIST) continue;
            if (fd >= 0) p.tempName = name;
        }
        if (fd < 0) throw SystemFault("Impossible de créer le fichier", shownDir + "/" + name, errno);
        p.fd.reset(fd);
        return p;
    }
    throw SystemFault("Impossible de créer le fichier", shownDir + "/." + stem + ext + ".part", EEXIST);
}

std::string CommitMailbox(PendingMailbox& p, const std::string& stem, const std::string& ext) {
    const int fd = p.fd.release();
    if (fd >= 0 && ::close(fd) != 0 && !p.folder)
        throw SystemFault("Impossible d'écrire dans le fichier", p.shownDir + "/" + p.tempName, errno);
    for (int n = 0; n <= kMaxNumber; ++n) {
        const std::string name = Numbered(stem, n, ext);
        bool done = ::renameat2(p.dir, p.tempName.c_str(), p.dir, name.c_str(), RENAME_NOREPLACE) == 0;
        if (!done && errno != EEXIST)
            throw SystemFault("Impossible de renommer", p.shownDir + "/" + p.tempName, errno);
        struct stat st {};
        if (!done && !p.folder && ::fstatat(p.dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && st.st_size == 0)
            done = ::renameat(p.dir, p.tempName.c_str(), p.dir, name.c_str()) == 0;
        if (done) {
            p.tempName.clear();
            return name;
        }
    }
    throw SystemFault("Impossible de renommer", p.shownDir + "/" + p.tempName, EEXIST);
}

void AbandonMailbox(PendingMailbox& p) {
    p.fd.reset();
    if (p.tempName.empty()) return;
    if (p.folder) {
        std::error_code ec;
        std::filesystem::remove_all(std::filesystem::path(p.shownDir) / p.tempName, ec);
    } else {
        ::unlinkat(p.dir, p.tempName.c_str(), 0);
    }
    p.tempName.clear();
}

}  // namespace pelicard
