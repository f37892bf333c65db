#include "export/mailbox_export.hpp"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <unordered_set>

#include "common/byte_file.hpp"
#include "common/civil_time.hpp"
#include "common/fault.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "dbx/dates.hpp"
#include "export/envelope.hpp"
#include "export/maildir.hpp"
#include "export/mailbox_files.hpp"
#include "export/mbox.hpp"

namespace pelicard {
namespace {

using namespace mailbox_io;

constexpr std::size_t kFlushBytes = 1 << 20;

bool StopRequested(const State& s) { return s.Quitting; }

// ---- The complete stored text of a list entry ----

// Every block of the chain from the entry's text position, each block's
// own length (at most 512 bytes); a damaged chain keeps what was read.
bool DbxCompleteText(State& s, std::int32_t index, std::string& out) {
    constexpr std::size_t kHeader = 16, kFull = 512;
    const std::int64_t first = s.list.Oe[static_cast<std::size_t>(index)].TextOffset;
    const std::int64_t maxBlocks = s.dbx.File.size / static_cast<std::int64_t>(kHeader + kFull) + 1;
    std::unordered_set<std::int64_t> seen;
    out.clear();
    bool any = false;
    for (std::int64_t at = first; at > 0 && static_cast<std::int64_t>(seen.size()) < maxBlocks;) {
        if (!seen.insert(at).second) break;
        const std::string block = ReadBytesUpTo(s.dbx.File, at, kHeader + kFull);
        if (block.size() < kHeader) break;
        any = true;
        std::size_t length = static_cast<unsigned char>(block[8]) | static_cast<unsigned char>(block[9]) << 8;
        if (length > kFull) length = kFull;
        if (kHeader + length > block.size()) length = block.size() - kHeader;
        out.append(block, kHeader, length);
        at = LoadU32(block.data() + 12);
    }
    return any;
}

bool CompleteText(State& s, std::int32_t index, std::string& out) {
    try {
        if (s.list.Mode == StoreMode::WindowsMail) {
            if (index < 1 || static_cast<std::size_t>(index) >= s.list.Wm.size()) return false;
            out = ReadWholeFile(s.list.Wm[static_cast<std::size_t>(index)].FilePath);
            return true;
        }
        if (index < 1 || static_cast<std::size_t>(index) >= s.list.Oe.size() || !IsOpen(s.dbx.File)) return false;
        return DbxCompleteText(s, index, out);
    } catch (const Fault&) {
        return false;
    }
}

// ---- What the mailbox keeps beside the text ----

struct Envelope {
    std::string address;
    std::int64_t utc = 0;
    std::string flags;  // Maildir info letters
};

// A list date (local time, "dd/mm/yyyy hh:nn:ss") back to UTC.
std::optional<std::int64_t> ListDateUtc(State& s, const std::string& dateText) {
    CivilTime c;
    if (!ParseDateText(dateText, c)) return std::nullopt;
    const std::int64_t local = ToUnixSeconds(c);
    const std::int64_t guess = local - s.timeZone->UtcOffsetAt(local);
    return local - s.timeZone->UtcOffsetAt(guess);
}

Envelope MessageEnvelope(State& s, std::int32_t index, std::string_view text) {
    Envelope e;
    for (const char* field : {"From", "Sender", "Return-Path"}) {
        if (auto v = HeaderField(text, field)) e.address = EnvelopeAddress(*v);
        if (!e.address.empty()) break;
    }
    const bool wm = s.list.Mode == StoreMode::WindowsMail;
    const auto k = static_cast<std::size_t>(index);
    std::optional<std::int64_t> date;
    if (auto v = HeaderField(text, "Date")) date = DateFieldUtc(*v);
    if (!date) date = ListDateUtc(s, wm ? s.list.Wm[k].DateText : s.list.Oe[k].DateText);
    e.utc = date.value_or(0);
    if (wm) e.flags = "S";  // the messages of a Windows Mail folder are taken as read
    else if (s.list.Oe[k].HasIndexFlags) e.flags = MaildirFlagsFromOe(s.list.Oe[k].IndexFlags);
    return e;
}

// ---- Progress ----

class Progress {
public:
    Progress(State& s, std::size_t total) : s_(s), total_(total) {
        s_.window->ShowProgress(true);
        s_.window->SetProgress(0);
    }
    ~Progress() { s_.window->ShowProgress(false); }
    void Step(std::size_t done) {
        const int percent = total_ == 0 ? 100 : static_cast<int>(done * 100 / total_);
        if (percent != shown_) s_.window->SetProgress(shown_ = percent);
        if (done % 16 == 0) s_.window->DoEvents();
    }

private:
    State& s_;
    std::size_t total_;
    int shown_ = -1;
};

std::string Host() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
    return name;
}

void TellFailure(State& s, const std::string& utf8What, int err) {
    ShowMessage(s, Utf8ToCp1252(utf8What + "\r\n" + SystemErrorText(err)), MsgIcon::Critical);
}

// ---- The two forms ----

// Writes the messages into the open temporary file; false on a write error
// (told). Stops between two messages when asked.
bool FillMbox(State& s, int fd, const std::vector<std::int32_t>& indices, MailboxOutcome& out,
              std::vector<std::int32_t>& unread, const std::string& where) {
    std::string buffer, text;
    buffer.reserve(kFlushBytes + 65536);
    Progress progress(s, indices.size());
    std::size_t done = 0;
    for (std::int32_t index : indices) {
        if (StopRequested(s)) {
            out.cancelled = true;
            break;
        }
        if (CompleteText(s, index, text)) {
            const Envelope e = MessageEnvelope(s, index, text);
            AppendMboxMessage(buffer, text, e.address, e.utc);
            ++out.written;
        } else {
            unread.push_back(index);
        }
        if (buffer.size() >= kFlushBytes) {
            if (int err = WriteFully(fd, buffer); err != 0) {
                TellFailure(s, "Impossible d'écrire dans le fichier " + where, err);
                return false;
            }
            buffer.clear();
        }
        progress.Step(++done);
    }
    if (int err = WriteFully(fd, buffer); err != 0) {
        TellFailure(s, "Impossible d'écrire dans le fichier " + where, err);
        return false;
    }
    return true;
}

bool FillMaildir(State& s, int dirFd, const std::vector<std::int32_t>& indices, MailboxOutcome& out,
                 std::vector<std::int32_t>& unread, const std::string& where) {
    FolderFd cur(MakeFolderAt(dirFd, "cur")), fresh(MakeFolderAt(dirFd, "new")), tmp(MakeFolderAt(dirFd, "tmp"));
    if (cur.fd < 0 || fresh.fd < 0 || tmp.fd < 0) {
        TellFailure(s, "Impossible de créer les dossiers cur, new et tmp dans " + where, errno);
        return false;
    }
    struct timeval now {};
    ::gettimeofday(&now, nullptr);
    const std::string host = Host();
    const long pid = static_cast<long>(::getpid());
    std::string text, buffer;
    Progress progress(s, indices.size());
    std::uint64_t delivery = 0;
    for (std::int32_t index : indices) {
        if (StopRequested(s)) {
            out.cancelled = true;
            break;
        }
        if (CompleteText(s, index, text)) {
            const Envelope e = MessageEnvelope(s, index, text);
            const std::string unique = MaildirUniqueName(now.tv_sec, static_cast<long>(now.tv_usec), pid, ++delivery, host);
            if (int err = DeliverToMaildir(tmp.fd, cur.fd, unique, text, e.flags, e.utc, buffer); err != 0) {
                TellFailure(s, "Impossible d'écrire un message dans " + where, err);
                return false;
            }
            ++out.written;
        } else {
            unread.push_back(index);
        }
        progress.Step(static_cast<std::size_t>(out.written) + unread.size());
    }
    return true;
}

void TellUnread(State& s, const std::vector<std::int32_t>& unread) {
    if (unread.empty()) return;
    std::string ids;
    for (std::size_t i = 0; i < unread.size() && i < 20; ++i) ids += (i ? ", " : "") + ToDecimal(unread[i]);
    if (unread.size() > 20) ids += "…";
    ShowMessage(s, Utf8ToCp1252(ToDecimal(static_cast<long long>(unread.size())) +
                                " message(s) illisible(s), laissé(s) hors de la boîte aux lettres (ID " + ids + ")"),
                MsgIcon::Exclamation);
}

// Native name of the folder the open store shows.
std::string StoreFolderStem(const State& s) {
    const std::string& path = s.list.Mode == StoreMode::WindowsMail ? s.wm.WmFolderPath : s.dbx.ChosenPath;
    std::string name = std::filesystem::path(path).filename().string();
    if (name.empty()) name = std::filesystem::path(path).parent_path().filename().string();
    if (s.list.Mode == StoreMode::OutlookExpress && name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), ".dbx"))
        name.resize(name.size() - 4);
    return name;
}

}  // namespace

const char* MailboxExtension(MailboxForm form) { return form == MailboxForm::Mbox ? ".mbox" : ".maildir"; }

std::vector<std::int32_t> AllListIndices(const State& s) {
    std::vector<std::int32_t> all;
    for (std::int32_t i = 1; i <= s.list.Count; ++i) all.push_back(i);
    return all;
}

std::vector<std::int32_t> SelectedListIndices(const State& s) {
    const Selection& sel = s.selection;
    std::vector<std::int32_t> out;
    for (std::int32_t i = 1; i <= sel.SelectionCount && static_cast<std::size_t>(i) < sel.SelectionOrder.size(); ++i) {
        const std::int32_t index = sel.SelectionOrder[static_cast<std::size_t>(i)];
        if (index >= 1 && index <= s.list.Count) out.push_back(index);
    }
    return out;
}

MailboxOutcome WriteMailbox(State& s, MailboxForm form, int dirFd, const std::string& dirPath,
                            const std::string& stem, const std::vector<std::int32_t>& indices) {
    MailboxOutcome out;
    const std::string ext = MailboxExtension(form);
    const bool folder = form == MailboxForm::Maildir;
    TempEntry temp = MakeTempEntry(dirFd, SafeComponent(stem), ext, folder);
    if (temp.name.empty()) {
        TellFailure(s, "Impossible de créer la boîte aux lettres dans " + dirPath, errno);
        return out;
    }
    const std::string where = dirPath + "/" + temp.name;
    std::vector<std::int32_t> unread;
    const bool ok = folder ? FillMaildir(s, temp.fd, indices, out, unread, where)
                           : FillMbox(s, temp.fd, indices, out, unread, where);
    std::string final;
    int err = 0;
    if (ok) err = CommitTempEntry(dirFd, temp, SafeComponent(stem), ext, final);
    if (!ok || err != 0) {
        if (ok) TellFailure(s, "Impossible de nommer la boîte aux lettres " + where, err);
        DiscardTempEntry(dirPath, temp);
        out.written = 0;
        return out;
    }
    out.path = dirPath + "/" + final;
    out.failed = static_cast<std::int32_t>(unread.size());
    TellUnread(s, unread);
    if (s.exp.OnFileWritten) s.exp.OnFileWritten(out.path);
    return out;
}

MailboxOutcome ExportToMailbox(State& s, MailboxForm form, const std::vector<std::int32_t>& indices) {
    std::string storage = s.settings.StorageFolder;
    while (storage.size() > 1 && storage.back() == '/') storage.pop_back();
    const std::string store = s.list.Mode == StoreMode::WindowsMail ? s.wm.WmFolderPath : std::string();
    if (!store.empty() && IsInsideFolder(storage, store)) {
        ShowMessage(s, Utf8ToCp1252("Le dossier de stockage se trouve dans le dossier lu : rien n'y sera écrit.\r\n"
                                    "Choisissez un autre dossier de stockage."),
                    MsgIcon::Critical);
        return {};
    }
    FolderFd dir(OpenStorageFolder(storage));
    if (dir.fd < 0) {
        TellFailure(s, "Impossible d'ouvrir le dossier de stockage " + storage, errno);
        return {};
    }
    return WriteMailbox(s, form, dir.fd, storage, StoreFolderStem(s), indices);
}

}  // namespace pelicard
