#include "export/maildir.hpp"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "export/mbox.hpp"
#include "export/safe_files.hpp"

namespace pelicard {

std::string MaildirUniqueName(std::int64_t seconds, long microseconds, long pid, std::uint64_t delivery,
                              std::string_view host) {
    std::string out = std::to_string(seconds) + ".M" + std::to_string(microseconds) + "P" + std::to_string(pid) +
                      "Q" + std::to_string(delivery) + ".";
    for (char c : host) {
        if (c == '/') out += "\\057";
        else if (c == ':') out += "\\072";
        else out.push_back(c);
    }
    return out;
}

std::string MaildirFlagsFromOe(std::uint32_t flags) {
    std::string out;
    if (flags & kOeFlagMarked) out.push_back('F');
    if (flags & kOeFlagForwarded) out.push_back('P');
    if (flags & kOeFlagAnswered) out.push_back('R');
    if (flags & kOeFlagRead) out.push_back('S');
    return out;
}

void DeliverToMaildir(int tmpFd, int curFd, const std::string& unique, std::string_view text,
                      std::string_view flags, std::int64_t utc, std::string& buffer, const std::string& shown) {
    UniqueFd fd(::openat(tmpFd, unique.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd.valid()) throw SystemFault("Impossible de créer le fichier", shown + "/tmp/" + unique, errno);
    try {
        buffer.clear();
        AppendLfText(buffer, text);
        WriteAllFd(fd.get(), buffer, shown + "/tmp/" + unique);
        SetModificationTime(fd.get(), utc);
        if (::close(fd.release()) != 0)
            throw SystemFault("Impossible d'écrire dans le fichier", shown + "/tmp/" + unique, errno);
        const std::string final = unique + ":2," + std::string(flags);
        if (::renameat2(tmpFd, unique.c_str(), curFd, final.c_str(), RENAME_NOREPLACE) != 0)
            throw SystemFault("Impossible de renommer", shown + "/tmp/" + unique, errno);
    } catch (const Fault&) {
        ::unlinkat(tmpFd, unique.c_str(), 0);
        throw;
    }
}

}  // namespace pelicard
