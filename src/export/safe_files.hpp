// Safe output files. Everything an export writes goes through here:
//   - names taken from a source (subject, folder name, attachment name) become
//     one harmless file-name component (SafeComponent);
//   - folders and files are created from the storage folder's descriptor,
//     one component at a time, never following a symbolic link
//     (mkdirat + openat(O_DIRECTORY|O_NOFOLLOW), openat(O_CREAT|O_EXCL|O_NOFOLLOW));
//   - an existing EMPTY regular file under the chosen name is replaced by a
//     new file (its other hard links keep their empty file), never written into;
//   - mailboxes and PDF files are written under a temporary name beside the
//     target and renamed onto it when complete, without replacing anything
//     but an empty file (or, when the user confirmed it, a regular file);
//   - targets inside the store being read are refused (IsInsideFolder).
// Failures throw Fault with the French text "<what> <path>\r\n<system reason>"
// (Windows-1252, like every core text).
//
// Typical use (one file under <storage>/<folder>/):
//     UniqueFd top = OpenStorageFolder(storage);            // created when missing
//     UniqueFd dir = OpenSubFolder(top.get(), SafeComponent(folder), storage + "/" + ...);
//     UniqueFd out;
//     for (n = 0;; ++n) if (CreateFileAt(dir.get(), NameFor(n), shownPath, out) != Created::Taken) break;
//     WriteAllFd(out.get(), bytes, shownPath);   // then close; SetModificationTime(out.get(), t) if wanted
// A mailbox or PDF:
//     PendingFile p = BeginPending(dir.get(), "Inbox.mbox", shownPath);
//     WriteAllFd(p.fd.get(), ...);  ...
//     if (!CommitPending(p, /*replaceConfirmed=*/false)) -> the name is taken by a non-empty file
//     (on any failure AbandonPending(p) removes the temporary file; the destructor does it too).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "common/fault.hpp"
#include "common/system_fault.hpp"  // SystemReason, SystemFault

namespace pelicard {

// ---- Names ----

// One file or folder name from a name taken from a source (UTF-8 in and out):
// control characters (0x00-0x1F, 0x7F and U+0080-U+009F) and "/" "\" become
// "_"; "", "." and ".." (any name of dots only) become "_"; the result is cut
// at a character boundary to fit 255 bytes.
std::string SafeComponent(std::string_view utf8);
// Only the control characters of `utf8` replaced by "_" (for a part of a name
// that the caller completes, such as a subject before its date and extension).
std::string WithoutControls(std::string_view utf8);

// ---- Descriptors ----

// Owns one POSIX descriptor; closes it when dropped.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& o) noexcept : fd_(o.release()) {}
    UniqueFd& operator=(UniqueFd&& o) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() {
        int f = fd_;
        fd_ = -1;
        return f;
    }
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

// Opens the storage folder `path` (the user's choice: links along that path
// are followed), creating it and its missing parents.
UniqueFd OpenStorageFolder(const std::string& path);
// Opens the sub-folder `name` (one component, see SafeComponent) of the
// folder `parent`, creating it when missing; a link or a file under that name
// is refused. `shown` is the path told in messages.
UniqueFd OpenSubFolder(int parent, const std::string& name, const std::string& shown);

enum class Created {
    New,            // the name was free
    ReplacedEmpty,  // an empty regular file held it and has been replaced
    Taken,          // anything else holds it (no descriptor)
};
// Creates the file `name` in `dir` for writing (mode 0666 less umask),
// exclusively and without following a link.
Created CreateFileAt(int dir, const std::string& name, const std::string& shown, UniqueFd& out);

// Writes all of `bytes` to `fd`; throws "Impossible d'écrire dans le fichier"
// with the system's reason (a full disk, a file size limit …).
void WriteAllFd(int fd, std::string_view bytes, const std::string& shown);

// A file written under a temporary name in `dir`, renamed when complete.
struct PendingFile {
    int dir = -1;           // not owned
    std::string tempName;   // in dir
    std::string finalName;  // in dir
    std::string shown;      // final path told in messages
    UniqueFd fd;            // open for writing until CommitPending
    PendingFile() = default;
    PendingFile(PendingFile&&) noexcept = default;
    PendingFile& operator=(PendingFile&&) noexcept = default;
    ~PendingFile();
};
// Creates the temporary file ".<finalName>.<random>.tmp" in `dir`.
PendingFile BeginPending(int dir, const std::string& finalName, const std::string& shown);
// Flushes, closes and renames the temporary file onto its final name. The
// name may be free or held by an empty regular file; with `replaceConfirmed`
// a regular file held by it is replaced too (a link under the name is
// replaced as a link, never followed). False (the temporary removed) when
// something else holds the name. Throws on a write or rename failure (the
// temporary removed).
bool CommitPending(PendingFile& p, bool replaceConfirmed = false);
// Removes the temporary file, if still there.
void AbandonPending(PendingFile& p);

// Sets the modification (and access) time of the open file to a Unix time.
void SetModificationTime(int fd, std::int64_t unixSeconds);

// ---- Where a target lies ----

// Whether `path` is `folder` or lies below it, links resolved (a path that
// does not exist yet is judged by its nearest existing parent). False when
// `folder` does not exist.
bool IsInsideFolder(const std::string& path, const std::string& folder);
// Whether both paths name the same existing file (device and inode).
bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace pelicard
