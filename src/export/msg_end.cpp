// Saving one message: the file's name and place under the storage folder,
// the collision numbering, and the bytes written for each command.
#include "export/msg_end.hpp"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/byte_file.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "content/complete.hpp"
#include "dbx/recover.hpp"
#include "export/file_dates.hpp"
#include "export/left_out.hpp"
#include "export/print.hpp"
#include "export/safe_files.hpp"
#include "export/utf8_files.hpp"

namespace pelicard {
namespace {

constexpr std::size_t kPathBudget = 255;  // characters of the whole path
constexpr std::size_t kNameBytes = 255;   // bytes of the file-name part on disk
constexpr std::string_view kCrLf = "\r\n";

// ---- UTF-8 lengths and prefixes (paths on disk are UTF-8) ----

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

std::size_t Utf8Length(std::string_view s) {
    std::size_t n = 0;
    for (unsigned char c : s)
        if (!IsContinuation(c)) ++n;
    return n;
}

// The first `chars` characters of s.
std::string_view Utf8Prefix(std::string_view s, std::size_t chars) {
    std::size_t i = 0;
    while (i < s.size()) {
        if (!IsContinuation(static_cast<unsigned char>(s[i]))) {
            if (chars == 0) break;
            --chars;
        }
        ++i;
    }
    return s.substr(0, i);
}

// s cut at a character boundary so that it has at most `bytes` bytes.
std::string_view Utf8FitBytes(std::string_view s, std::size_t bytes) {
    if (s.size() <= bytes) return s;
    std::size_t i = bytes;
    while (i > 0 && IsContinuation(static_cast<unsigned char>(s[i]))) --i;
    return s.substr(0, i);
}

// ---- System errors in French ----

[[noreturn]] void ThrowSystem(const char* what, const std::string& path, int err) {
    throw SystemFault(what, path, err);
}

void ShowPathTooLong(State& s) {
    ShowMessage(s, Utf8ToCp1252("Chemin trop long\r\nCe message ne sera pas enregistré"),
                MsgIcon::Critical);
}

// ---- The store's folder name ----

std::string LastComponent(std::string_view path) {
    while (!path.empty() && path.back() == '/') path.remove_suffix(1);
    std::size_t slash = path.rfind('/');
    return std::string(slash == npos ? path : path.substr(slash + 1));
}

// Native (UTF-8) folder of the current store's messages.
std::string StoreFolderPath(State& s, std::int32_t index) {
    const std::string& file = s.list.Mode == StoreMode::OutlookExpress
                                  ? s.dbx.ChosenPath
                                  : s.list.Wm[static_cast<std::size_t>(index)].FilePath;
    std::size_t slash = file.rfind('/');
    return slash == npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
}

// Native (UTF-8) folder name of the current store, made one safe name
// (a file named "...dbx" or a source folder given as "dir/.." gives "_").
std::string StoreFolderName(State& s, std::int32_t index) {
    // A folder of a whole store: its path in the store's tree.
    if (s.store.OpenFolder >= 0 && static_cast<std::size_t>(s.store.OpenFolder) < s.store.Folders.size())
        return StorageSubFolder(s.store, s.store.OpenFolder);
    if (s.list.Mode == StoreMode::OutlookExpress) {
        std::string name = LastComponent(s.dbx.ChosenPath);
        // Without its last four characters (".dbx").
        std::size_t chars = Utf8Length(name);
        return SafeComponent(Utf8Prefix(name, chars >= 4 ? chars - 4 : 0));
    }
    // Every message of a Windows Mail store lies in the one folder read.
    return SafeComponent(LastComponent(StoreFolderPath(s, index)));
}

// A Windows Mail store is the folder read: a storage sub-folder that is it,
// or lies inside it, would add files to the store. Checked once per folder.
bool TargetInsideStore(State& s, std::int32_t index, const std::string& directory) {
    if (s.list.Mode != StoreMode::WindowsMail) return false;
    ExportState& ex = s.exp;
    const std::string store = StoreFolderPath(s, index);
    if (directory + '\n' + store != ex.CheckedDirectory) {
        ex.CheckedDirectory = directory + '\n' + store;
        ex.DirectoryInsideStore = IsInsideFolder(directory, store);
        if (ex.DirectoryInsideStore)
            ShowMessage(s,
                        Utf8ToCp1252("Le dossier de stockage " + directory +
                                     " se trouve dans le dossier lu : rien n'y sera enregistré"),
                        MsgIcon::Critical);
    }
    return ex.DirectoryInsideStore;
}

// ---- Opening the output file ----

enum class OpenResult { Opened, Taken };

// Opens `name` in `dir` for writing without ever overwriting and without
// following a link: a new file is created exclusively; an existing empty
// regular file is replaced by a new one; anything else there is a collision.
OpenResult OpenExclusive(State& s, UniqueFd& dir, const std::string& name, const std::string& path) {
    UniqueFd fd;
    const Created c = CreateFileAt(dir.get(), name, path, fd);
    if (c == Created::Taken) return OpenResult::Taken;
    s.exp.OutputFd = fd.release();
    s.exp.OutputDirFd = dir.release();
    s.exp.OutputName = name;
    s.exp.OutputPath = path;
    s.exp.OutputCreated = c == Created::New;
    return OpenResult::Opened;
}

// Opens the store's folder below the storage folder, creating it on first use.
UniqueFd OpenStoreFolder(State& s, const std::string& folder, const std::string& directory) {
    std::string shown = directory;
    while (shown.size() > 1 && shown.back() == '/') shown.pop_back();
    UniqueFd top(::open(s.settings.StorageFolder.empty() ? "." : s.settings.StorageFolder.c_str(),
                        O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!top.valid()) ThrowSystem("Impossible de créer le dossier", shown, errno);
    // A folder of a whole store is a path of components, opened one by one.
    std::size_t from = 0;
    for (std::size_t slash; (slash = folder.find('/', from)) != std::string::npos; from = slash + 1)
        top = OpenSubFolder(top.get(), folder.substr(from, slash - from), shown);
    return OpenSubFolder(top.get(), folder.substr(from), shown);
}

// Names and opens the output file: directory + base name (cut to the
// budget, numbered on collision) + tail. False when the path would be too
// long (the box has been shown).
bool OpenOutput(State& s, const std::string& folder, const std::string& directory, const std::string& base,
                const std::string& tail) {
    const std::size_t f = Utf8Length(directory) + Utf8Length(tail);
    if (f >= kPathBudget) {
        ShowPathTooLong(s);
        return false;
    }
    UniqueFd dir = OpenStoreFolder(s, folder, directory);
    for (unsigned long n = 0;; ++n) {
        std::string counter;
        if (n > 0) counter.append("-").append(ToDecimal(static_cast<long long>(n)));
        const std::size_t f2 = f + counter.size();
        if (f2 >= kPathBudget) {
            ShowPathTooLong(s);
            return false;
        }
        std::string fixed = counter + tail;
        std::string_view stem = Utf8Prefix(base, kPathBudget - f2);
        stem = Utf8FitBytes(stem, kNameBytes - fixed.size());
        std::string name(stem);
        name.append(fixed);
        if (OpenExclusive(s, dir, name, directory + name) == OpenResult::Opened) return true;
    }
}

// Closes the output's descriptors.
void ReleaseOutput(ExportState& ex) {
    if (ex.OutputFd >= 0) ::close(ex.OutputFd);
    if (ex.OutputDirFd >= 0) ::close(ex.OutputDirFd);
    ex.OutputFd = ex.OutputDirFd = -1;
    ex.OutputPath.clear();
    ex.OutputName.clear();
}

// Drops the output after a failed write: the file is removed; where it had
// replaced an empty file, an empty file is left again.
void AbandonOutput(State& s) {
    ExportState& ex = s.exp;
    if (ex.OutputFd < 0 && ex.OutputDirFd < 0) return;
    if (ex.OutputDirFd >= 0) {
        ::unlinkat(ex.OutputDirFd, ex.OutputName.c_str(), 0);
        if (!ex.OutputCreated) {
            const int fd = ::openat(ex.OutputDirFd, ex.OutputName.c_str(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd >= 0) ::close(fd);
        }
    }
    ReleaseOutput(ex);
}

void WriteAll(State& s, std::string_view bytes) {
    try {
        WriteAllFd(s.exp.OutputFd, bytes, s.exp.OutputPath);
    } catch (const Fault&) {
        AbandonOutput(s);
        throw;
    }
}

// The parts of one message go out in one write.
template <typename... Parts>
void Write(State& s, const Parts&... parts) {
    if constexpr (sizeof...(parts) == 1) {
        (WriteAll(s, std::string_view(parts)), ...);
    } else {
        std::string joined;
        joined.reserve((std::string_view(parts).size() + ...));
        (joined.append(std::string_view(parts)), ...);
        WriteAll(s, joined);
    }
}

// Where the header of a message text ends (after the line end of its last
// line); the whole text when it has no blank line.
std::size_t HeaderEnd(std::string_view raw) {
    std::size_t p = raw.find("\r\n\r\n");
    if (p != npos) return p + 2;
    p = raw.find("\n\n");
    return p != npos ? p + 1 : raw.size();
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Position of the line end (CR LF or LF) at or after `from`, within [0, limit).
std::size_t LineEndFrom(std::string_view raw, std::size_t from, std::size_t limit) {
    std::size_t nl = raw.find('\n', from);
    if (nl == npos || nl >= limit) return limit;
    return (nl > from && raw[nl - 1] == '\r') ? nl - 1 : nl;
}

enum class Command { None, AllText, AllRaw, ModText, ModRaw, Print, AllComplete };

// The piece in which a Windows Mail message file is copied.
constexpr std::size_t kCopyPiece = 1 << 20;

Command RunningCommand(const OperationKind& ops) {
    if (ops.PrintSelected) return Command::Print;
    if (ops.SaveAllText) return Command::AllText;
    if (ops.SaveAllRaw) return Command::AllRaw;
    if (ops.SaveAllComplete) return Command::AllComplete;
    if (ops.SaveModifiedText) return Command::ModText;
    if (ops.SaveModifiedRaw) return Command::ModRaw;
    return Command::None;
}

struct RecordView {
    const std::string* subject;
    const std::string* dateKey;
};

RecordView Record(State& s, std::int32_t index) {
    const bool wm = s.list.Mode == StoreMode::WindowsMail;
    const std::size_t size = wm ? s.list.Wm.size() : s.list.Oe.size();
    if (index < 1 || static_cast<std::size_t>(index) >= size) throw Fault(faults::kSubscript);
    const auto i = static_cast<std::size_t>(index);
    // The date key is DateSort of the record's DateText, kept in the record.
    if (wm) return {&s.list.Wm[i].Subject, &s.list.Wm[i].DateKey};
    return {&s.list.Oe[i].Subject, &s.list.Oe[i].DateKey};
}

// A message of the command that is not saved.
void LeaveOut(State& s, std::int32_t index, const std::string& reason) {
    ++s.exp.SkippedCount;
    NoteLeftOut(s, index, reason);
}

// A text whose block chain ended early is written as far as it was read,
// and told as cut.
void NoteIfCut(State& s, std::int32_t index) {
    if (s.list.Mode == StoreMode::OutlookExpress && !s.texts.ChainFault.empty())
        NoteLeftOut(s, index, "texte incomplet : " + s.texts.ChainFault, true);
}

// The complete text of a message for its complete copy, into `whole`. A
// text cut by a damaged chain is kept and recorded as cut; false (recorded
// as left out) when nothing could be read.
bool CompleteReadable(State& s, std::int32_t index, const std::string& subject, CompleteText& whole) {
    whole = ReadComplete(s, index);
    if (whole.problem.empty()) return true;
    if (whole.bytes.empty()) {
        LeaveOut(s, index, whole.problem);
        return false;
    }
    s.exp.LeftOut.push_back({index, subject, whole.problem, true});
    return true;
}

void SaveMessage(State& s, Command cmd, std::int32_t index, OutputMode mode) {
    ExportState& ex = s.exp;
    RecordView rec = Record(s, index);
    const bool complete = cmd == Command::AllComplete;
    const bool raw = cmd == Command::AllRaw || cmd == Command::ModRaw || complete;
    const bool wm = s.list.Mode == StoreMode::WindowsMail;

    bool opening = mode == kAlone || mode == kFirst;
    if (opening) {
        CloseOutput(s);  // a combined output left unfinished ends here
        ex.SkipCombined = false;
    } else if (ex.SkipCombined) {
        if (mode == kLast) ex.SkipCombined = false;
        LeaveOut(s, index, ex.SkipReason);
        return;
    } else if (ex.OutputFd < 0) {
        // The output's first message wrote nothing (no text): this one
        // begins the file in its place.
        opening = true;
    }
    const bool startsFile = opening;

    // A raw copy of a Windows Mail message is the message file itself: its
    // head names the file, and the copy streams it (a message of any size
    // is copied in bounded memory). A header longer than the head, or the
    // copy whose subject is replaced, reads the whole file.
    std::string wmRaw;
    bool streamWm = false;
    if (raw && wm && !complete) {
        const std::string& path = s.list.Wm[static_cast<std::size_t>(index)].FilePath;
        if (cmd == Command::AllRaw) {
            wmRaw = ReadFileHead(path, kCopyPiece);
            // The first blank line in the head is the file's own header end.
            streamWm = wmRaw.size() < kCopyPiece || wmRaw.find("\r\n\r\n") != npos;
        }
        if (!streamWm) wmRaw = ReadWholeFile(path);
    }
    CompleteText whole;
    if (complete && !CompleteReadable(s, index, *rec.subject, whole)) return;
    std::string unmarked;  // a deleted message's text without the marks of its lost bytes
    const std::string& rawText = complete ? whole.bytes
                                 : wm && raw ? wmRaw
                                 : raw       ? RawCopyText(s, index, unmarked)
                                             : s.texts.RawText;

    if (opening) {
        std::string tail;
        if (cmd == Command::ModText || cmd == Command::ModRaw) tail = "_m";
        if (mode == kAlone) tail.append("_").append(Cp1252ToUtf8(*rec.dateKey));
        tail += ".";
        tail += raw ? RawExtension(rawText) : "txt";

        std::string folder = StoreFolderName(s, index);
        std::string directory = s.settings.StorageFolder;
        if (directory.empty() || directory.back() != '/') directory += '/';
        directory += folder;
        directory += '/';

        if (TargetInsideStore(s, index, directory)) {
            ex.SkipCombined = mode == kFirst || mode == kFollowing;
            ex.SkipReason = Utf8ToCp1252("dossier de stockage situé dans le dossier lu");
            LeaveOut(s, index, ex.SkipReason);
            return;
        }
        // File names on disk hold no control character.
        std::string base = (s.settings.SelectionOption != 0 && s.selection.SelectionCount >= 2)
                               ? LastComponent(folder)
                               : WithoutControls(Cp1252ToUtf8(StandardName(*rec.subject)));
        if (!OpenOutput(s, folder, directory, base, tail)) {
            ex.SkipCombined = mode == kFirst || mode == kFollowing;
            ex.SkipReason = "chemin trop long";
            LeaveOut(s, index, ex.SkipReason);
            return;
        }
        ex.OutputDated = false;
    }

    WorkingTexts& t = s.texts;
    ContentState& c = s.content;
    switch (cmd) {
        case Command::AllText:
            if (startsFile) {
                Write(s, FileText(s, t.SubjectLine, c.SubjectLineU8), FileText(s, t.DateSenderBlock, c.DateSenderBlockU8),
                      FileText(s, t.BodyText, c.BodyU8));
            } else {
                static const std::string kSeparator = "\r\n\r\n" + std::string(71, '-') + "\r\n";
                Write(s, kSeparator);
                if (s.settings.SelectionOption != 0) Write(s, FileText(s, t.SubjectLine, c.SubjectLineU8));
                Write(s, FileText(s, t.DateSenderBlock, c.DateSenderBlockU8), FileText(s, t.BodyText, c.BodyU8));
            }
            break;
        case Command::AllRaw:
        case Command::AllComplete:
            if (streamWm && wmRaw.size() == kCopyPiece) {
                try {
                    ReadFileInPieces(s.list.Wm[static_cast<std::size_t>(index)].FilePath, kCopyPiece,
                                     [&](std::string_view piece) { WriteAll(s, piece); });
                } catch (const Fault&) {
                    AbandonOutput(s);  // no cut copy under the message's name
                    throw;
                }
            } else {
                Write(s, rawText);
            }
            break;
        case Command::ModText: {
            const bool updating = s.EditorUpdate;
            s.EditorUpdate = true;
            if (s.selection.SubjectModified) {
                t.SubjectLine = "Objet : " + s.window->GetText("txtSubject") + "\r\n";
                if (c.Utf8Files) c.SubjectLineU8 = "Objet : " + s.window->GetTextUtf8("txtSubject") + "\r\n";
            }
            if (s.selection.BodyModified) {
                t.BodyText = s.window->GetText("txtBody");
                if (c.Utf8Files) c.BodyU8 = s.window->GetTextUtf8("txtBody");
            }
            s.EditorUpdate = updating;
            Write(s, FileText(s, t.SubjectLine, c.SubjectLineU8), FileText(s, t.DateSenderBlock, c.DateSenderBlockU8),
                  FileText(s, t.BodyText, c.BodyU8));
            break;
        }
        case Command::ModRaw:
            Write(s, ReplaceRawSubject(rawText, s.window->GetText("txtSubject")));
            break;
        default:
            break;
    }
    if (std::int64_t when = 0; MessageUnixTime(s, index, when)) {
        ex.OutputDated = true;
        ex.OutputTime = when;
    }
    if (!complete) NoteIfCut(s, index);  // a complete copy told its own cut above
    if (mode == kAlone || mode == kLast) CloseOutput(s);
}

}  // namespace

std::string StandardName(std::string_view text) {
    static constexpr std::string_view kFind[] = {" : ", " ? ", " :", " ?", ":", "?", "*",
                                                 "/",   "\\",  ">",  "<",  "|", "'", "\""};
    std::string name(text);
    for (std::string_view f : kFind) ReplaceExactInPlace(name, f, "_");
    std::size_t keep = name.find_last_not_of('_');
    if (keep != npos) name.resize(keep + 1);
    return name;
}

std::string RawExtension(std::string_view raw) {
    std::string_view header = raw.substr(0, HeaderEnd(raw));
    return FindNoCase(header, "\nNewsgroups:") != npos ? "nws" : "eml";
}

bool SubjectSpan(std::string_view raw, std::size_t& start, std::size_t& end) {
    const std::size_t headerEnd = HeaderEnd(raw);
    std::string_view header = raw.substr(0, headerEnd);
    // "Subject:" at the start of a header line.
    std::size_t k = StartsWithNoCase(header, "Subject:") ? 0 : npos;
    if (k == npos) {
        k = FindNoCase(header, "\nSubject:");
        if (k == npos) return false;
        ++k;
    }
    start = k + 8;
    if (start < headerEnd && !IsLineEnd(raw[start])) ++start;  // the one character after the colon
    end = LineEndFrom(raw, start, headerEnd);
    // A folded subject goes on over the lines that begin with a space or tab.
    while (end < headerEnd) {
        std::size_t next = raw.find('\n', end) + 1;
        if (next >= headerEnd || (raw[next] != ' ' && raw[next] != '\t')) break;
        end = LineEndFrom(raw, next, headerEnd);
    }
    return true;
}

std::string ReplaceRawSubject(std::string_view raw, std::string_view subject) {
    std::size_t start = 0, end = 0;
    std::string out;
    out.reserve(raw.size() + subject.size() + 11);
    if (!SubjectSpan(raw, start, end)) {
        // No Subject line: one is put at the head of the header.
        out.append("Subject: ").append(subject).append(kCrLf).append(raw);
        return out;
    }
    out.append(raw.substr(0, start)).append(subject).append(raw.substr(end));
    return out;
}

std::string StorageSubFolder(State& s, std::int32_t index) { return StoreFolderName(s, index); }

bool StorageInsideStore(State& s, std::int32_t index, const std::string& directory) {
    return TargetInsideStore(s, index, directory);
}

void CloseOutput(State& s) {
    ExportState& ex = s.exp;
    if (ex.OutputFd < 0) return;
    int fd = ex.OutputFd;
    std::string path = std::move(ex.OutputPath);
    ex.OutputFd = -1;
    if (ex.OutputDated) SetModificationTime(fd, ex.OutputTime);
    ex.OutputDated = false;
    const bool closed = ::close(fd) == 0;
    const int err = errno;
    if (!closed) {
        AbandonOutput(s);
        ThrowSystem("Impossible d'écrire dans le fichier", path, err);
    }
    ReleaseOutput(ex);
    if (ex.OnFileWritten) ex.OnFileWritten(path);
}

void MsgEnd(State& s, std::int32_t index, OutputMode& mode) {
    const Command cmd = RunningCommand(s.ops);
    if (cmd == Command::None) return;
    try {
        if (cmd == Command::Print) {
            PrintMessage(s, mode);
            NoteIfCut(s, index);
            return;
        }
        SaveMessage(s, cmd, index, mode);
    } catch (const Fault& f) {
        // The program ends: the output is closed as far as it was written.
        ReleaseOutput(s.exp);
        EndOnFault(s, "MsgEnd", f);
    }
}

}  // namespace pelicard
