#include "export/attachment_files.hpp"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "common/fault.hpp"
#include "common/text.hpp"
#include "content/complete.hpp"
#include "content/mime_parts.hpp"
#include "export/file_dates.hpp"
#include "export/msg_end.hpp"
#include "export/safe_files.hpp"

namespace pelicard {
namespace {

constexpr std::size_t kNameBytes = 255;
// Past this many names taken, a collision is given up (the folder is full
// of copies already).
constexpr unsigned kMaxNumber = 100000;

std::string FitBytes(std::string_view s, std::size_t bytes) {
    if (s.size() <= bytes) return std::string(s);
    std::size_t i = bytes;
    while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
    return std::string(s.substr(0, i));
}

// `stem` + "-n" + `ext`, cut so that it fits one file name.
std::string Numbered(const std::string& stem, const std::string& ext, unsigned n) {
    const std::string counter = n == 0 ? std::string() : "-" + std::to_string(n);
    const std::string tail = FitBytes(ext, kNameBytes / 2) ;
    return FitBytes(stem, kNameBytes - counter.size() - tail.size()) + counter + tail;
}

bool IsEmptyFolder(int fd) {
    const int copy = ::dup(fd);
    if (copy < 0) return false;
    DIR* d = ::fdopendir(copy);
    if (!d) {
        ::close(copy);
        return false;
    }
    bool empty = true;
    while (const dirent* e = ::readdir(d)) {
        const std::string_view n = e->d_name;
        if (n != "." && n != "..") {
            empty = false;
            break;
        }
    }
    ::closedir(d);
    return empty;
}

// The message's own folder: `name`, or name-1, name-2 … when a file or a
// folder that already holds something has it; an empty folder is taken.
UniqueFd OpenMessageFolder(int parent, const std::string& name, const std::string& shownParent, std::string& shown) {
    for (unsigned n = 0; n < kMaxNumber; ++n) {
        const std::string candidate = Numbered(name, "", n);
        shown = shownParent + candidate;
        if (::mkdirat(parent, candidate.c_str(), 0777) != 0 && errno != EEXIST)
            throw SystemFault("Impossible de cr\xC3\xA9" "er le dossier", shown, errno);
        UniqueFd fd(::openat(parent, candidate.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (fd.valid() && IsEmptyFolder(fd.get())) return fd;
    }
    throw Fault(Utf8ToCp1252("Trop de dossiers du m\xC3\xAAme nom dans " + shownParent));
}

// An attachment's file name split before its extension ("photo" ".jpg").
void SplitName(const std::string& name, std::string& stem, std::string& ext) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || name.size() - dot > 16) {
        stem = name;
        ext.clear();
    } else {
        stem = name.substr(0, dot);
        ext = name.substr(dot);
    }
}

// A name of nothing but dots and spaces says nothing: the part is unnamed.
std::string MeaningfulName(const std::string& name) {
    const std::size_t first = name.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const std::string trimmed = name.substr(first, name.find_last_not_of(" \t") - first + 1);
    return trimmed.find_first_not_of(". ") == std::string::npos ? std::string() : trimmed;
}

void WriteOne(State& s, int dir, const std::string& shownDir, const std::string& name, const std::string& bytes,
              bool dated, std::int64_t when) {
    std::string stem, ext;
    SplitName(name, stem, ext);
    for (unsigned n = 0; n < kMaxNumber; ++n) {
        const std::string candidate = Numbered(stem, ext, n);
        const std::string shown = shownDir + candidate;
        UniqueFd out;
        if (CreateFileAt(dir, candidate, shown, out) == Created::Taken) continue;
        try {
            WriteAllFd(out.get(), bytes, shown);
        } catch (const Fault&) {
            out.reset();
            ::unlinkat(dir, candidate.c_str(), 0);
            throw;
        }
        if (dated) SetModificationTime(out.get(), when);
        if (::close(out.release()) != 0) throw SystemFault("Impossible d'\xC3\xA9" "crire dans le fichier", shown, errno);
        if (s.exp.OnFileWritten) s.exp.OnFileWritten(shown);
        return;
    }
    throw Fault(Utf8ToCp1252("Trop de fichiers du m\xC3\xAAme nom dans " + shownDir));
}

// Whether the message may hold an attachment at all: a text without any of
// these holds none, and GMime need not look at it.
bool MayHoldAttachment(std::string_view text) {
    return FindNoCase(text, "multipart/") != npos || FindNoCase(text, "name") != npos ||
           FindNoCase(text, "attachment") != npos || FindNoCase(text, "begin ") != npos ||
           FindNoCase(text, "message/") != npos;
}

}  // namespace

std::size_t SaveAttachments(State& s, std::int32_t index, const std::vector<std::size_t>* only) {
    const bool wm = s.list.Mode == StoreMode::WindowsMail;
    const std::size_t size = wm ? s.list.Wm.size() : s.list.Oe.size();
    if (index < 1 || static_cast<std::size_t>(index) >= size) throw Fault(faults::kSubscript);
    const auto i = static_cast<std::size_t>(index);
    const std::string& subject = wm ? s.list.Wm[i].Subject : s.list.Oe[i].Subject;
    const std::string& dateKey = wm ? s.list.Wm[i].DateKey : s.list.Oe[i].DateKey;
    auto leaveOut = [&](const std::string& reason, bool someSaved) {
        s.exp.LeftOut.push_back({index, subject, reason, someSaved});
    };

    std::size_t written = 0;
    try {
        CompleteText whole = ReadComplete(s, index);
        if (whole.bytes.empty()) {
            leaveOut(whole.problem, false);
            return 0;
        }
        if (!MayHoldAttachment(whole.bytes)) return 0;
        AttachmentScan scan = FindAttachments(whole.bytes);
        whole = {};
        if (!scan.problem.empty()) leaveOut(Utf8ToCp1252("pi\xC3\xA8" "ces jointes : " + scan.problem), true);
        std::vector<std::size_t> chosen;
        for (std::size_t k = 0; k < scan.items.size(); ++k)
            if (!only || std::find(only->begin(), only->end(), k) != only->end()) chosen.push_back(k);
        if (chosen.empty()) return 0;

        std::string directory = s.settings.StorageFolder;
        if (directory.empty() || directory.back() != '/') directory += '/';
        const std::string folder = StorageSubFolder(s, index);
        directory += folder + '/';
        if (StorageInsideStore(s, index, directory)) {
            leaveOut(Utf8ToCp1252("dossier de stockage situ\xC3\xA9 dans le dossier lu"), false);
            return 0;
        }
        UniqueFd top = OpenStorageFolder(s.settings.StorageFolder.empty() ? "." : s.settings.StorageFolder);
        UniqueFd store = OpenSubFolder(top.get(), folder, directory.substr(0, directory.size() - 1));
        // Named like the message's text file, without its extension.
        const std::string base =
            SafeComponent(WithoutControls(Cp1252ToUtf8(StandardName(subject))) + "_" + Cp1252ToUtf8(dateKey));
        std::string shown;
        UniqueFd own = OpenMessageFolder(store.get(), base, directory, shown);
        shown += '/';

        std::int64_t when = 0;
        const bool dated = MessageUnixTime(s, index, when);
        for (std::size_t k : chosen) {
            const Attachment& a = scan.items[k];
            Attachment named{MeaningfulName(a.name), a.type, {}};
            WriteOne(s, own.get(), shown, SafeComponent(AttachmentFileName(named, k + 1)), a.bytes, dated, when);
            ++written;
        }
        if (dated) SetModificationTime(own.get(), when);
    } catch (const Fault& f) {
        leaveOut(f.Description(), written > 0);
    } catch (const std::bad_alloc&) {
        leaveOut(faults::kOutOfMemory, written > 0);
    }
    return written;
}

}  // namespace pelicard
