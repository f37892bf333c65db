#include "export/maildir.hpp"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "export/mbox.hpp"

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

int DeliverToMaildir(int tmpFd, int curFd, const std::string& unique, std::string_view text,
                     std::string_view flags, std::int64_t utc, std::string& buffer) {
    const int fd = ::openat(tmpFd, unique.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    buffer.clear();
    AppendLfText(buffer, text);
    int err = 0;
    const char* p = buffer.data();
    std::size_t left = buffer.size();
    while (left > 0 && err == 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno != EINTR) err = errno;
            continue;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (err == 0) {
        const struct timespec times[2] = {{static_cast<time_t>(utc), 0}, {static_cast<time_t>(utc), 0}};
        ::futimens(fd, times);  // a date the file system cannot hold leaves the file's own
    }
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0) {
        std::string final = unique;
        final.append(":2,").append(flags);
        if (::renameat2(tmpFd, unique.c_str(), curFd, final.c_str(), RENAME_NOREPLACE) != 0) err = errno;
    }
    if (err != 0) ::unlinkat(tmpFd, unique.c_str(), 0);
    return err;
}

}  // namespace pelicard
