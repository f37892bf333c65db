// Files and folders of a mailbox export, made through descriptors below the
// storage folder: created exclusively, never through a symbolic link,
// built under a temporary name and renamed without replacing anything but
// an empty file.
#pragma once
#include <string>
#include <string_view>

namespace pelicard::mailbox_io {

// A folder descriptor closed with the object (-1: none).
struct FolderFd {
    int fd = -1;
    explicit FolderFd(int f) : fd(f) {}
    ~FolderFd();
    FolderFd(const FolderFd&) = delete;
    FolderFd& operator=(const FolderFd&) = delete;
};

// The storage folder (created with its parents when missing), opened as a
// folder; -1 with errno set on failure.
int OpenStorageFolder(const std::string& path);
// Sub-folder `name` of dirFd, made when missing, opened without following
// a link; -1 with errno set on failure.
int MakeFolderAt(int dirFd, const std::string& name);
// Writes all bytes; 0 or the errno of the failing write.
int WriteFully(int fd, std::string_view bytes);
// The French words for a system error.
std::string SystemErrorText(int err);

// One file or folder name from a name taken from a store (UTF-8): control
// characters, "/" and "\" become "_", a name of dots only becomes "_", cut
// at a character boundary to leave room for the extensions added to it.
std::string SafeComponent(std::string_view utf8);

// A mailbox under construction: "." + stem + ext + ".part" (numbered when
// taken), a file opened for writing or a folder opened.
struct TempEntry {
    std::string name;
    int fd = -1;
    bool folder = false;
};
TempEntry MakeTempEntry(int dirFd, const std::string& stem, const std::string& ext, bool folder);
// Closes the entry and gives it the first free name of stem + ext,
// stem-1 + ext, …; an empty regular file of that name is replaced. Returns
// 0 (final receives the name) or an errno.
int CommitTempEntry(int dirFd, TempEntry& entry, const std::string& stem, const std::string& ext, std::string& final);
// Closes and removes an unfinished entry.
void DiscardTempEntry(const std::string& dirPath, TempEntry& entry);

// Is `path` the folder `folder` or inside it (links resolved)?
bool IsInsideFolder(const std::string& path, const std::string& folder);

}  // namespace pelicard::mailbox_io
