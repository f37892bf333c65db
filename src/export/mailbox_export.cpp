#include "export/mailbox_export.hpp"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

#include "common/civil_time.hpp"
#include "common/fault.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "content/complete.hpp"
#include "dbx/dates.hpp"
#include "export/envelope.hpp"
#include "export/maildir.hpp"
#include "export/mailbox_files.hpp"
#include "export/mbox.hpp"
#include "export/safe_files.hpp"

namespace pelicard {
namespace {

constexpr std::size_t kFlushBytes = 1 << 20;

bool StopRequested(const State& s) { return s.Quitting || s.CancelRequested; }

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
    Progress(State& s, std::size_t total, const MailboxStep* step) : s_(s), total_(total), step_(step) {
        if (step_) return;
        s_.window->ShowProgress(true);
        s_.window->SetProgress(0);
    }
    ~Progress() {
        if (!step_) s_.window->ShowProgress(false);
    }
    void Step(std::size_t done) {
        if (step_) {
            (*step_)(done, total_);
            return;
        }
        const int percent = total_ == 0 ? 100 : static_cast<int>(done * 100 / total_);
        if (percent != shown_) s_.window->SetProgress(shown_ = percent);
        if (done % 16 == 0) s_.window->DoEvents();
    }

private:
    State& s_;
    std::size_t total_;
    const MailboxStep* step_;
    int shown_ = -1;
};

std::string Host() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
    return name;
}

// What was read of the messages: those without text are left out, those
// cut short go in as far as they could be read; both are told at the end.
struct Tally {
    MailboxOutcome& out;
    const MailboxStep* step = nullptr;
    std::vector<ExportState::LeftOutMessage> told;

    // The text of `index` into `text`; false when it has none.
    bool Take(State& s, std::int32_t index, std::string& text) {
        CompleteText c = ReadComplete(s, index);
        text = std::move(c.bytes);
        const bool some = !text.empty();
        if (!c.problem.empty()) {
            const bool wm = s.list.Mode == StoreMode::WindowsMail;
            const auto k = static_cast<std::size_t>(index);
            told.push_back({index, wm ? s.list.Wm[k].Subject : s.list.Oe[k].Subject, c.problem, some});
        }
        if (!some) ++out.failed;
        return some;
    }
};

// ---- The two forms ----

// Writes the messages into the open temporary file, flushing about every
// megabyte. Stops between two messages when asked.
void FillMbox(State& s, const PendingMailbox& p, const std::vector<std::int32_t>& indices, Tally& t) {
    const std::string shown = p.shownDir + "/" + p.tempName;
    std::string buffer, text;
    buffer.reserve(kFlushBytes + 65536);
    Progress progress(s, indices.size(), t.step);
    std::size_t done = 0;
    for (std::int32_t index : indices) {
        if (StopRequested(s)) {
            t.out.cancelled = true;
            break;
        }
        if (t.Take(s, index, text)) {
            const Envelope e = MessageEnvelope(s, index, text);
            AppendMboxMessage(buffer, text, e.address, e.utc);
            ++t.out.written;
        }
        if (buffer.size() >= kFlushBytes) {
            WriteAllFd(p.fd.get(), buffer, shown);
            buffer.clear();
        }
        progress.Step(++done);
    }
    WriteAllFd(p.fd.get(), buffer, shown);
}

void FillMaildir(State& s, const PendingMailbox& p, const std::vector<std::int32_t>& indices, Tally& t) {
    const std::string shown = p.shownDir + "/" + p.tempName;
    const UniqueFd cur = OpenSubFolder(p.fd.get(), "cur", shown + "/cur");
    const UniqueFd fresh = OpenSubFolder(p.fd.get(), "new", shown + "/new");
    const UniqueFd tmp = OpenSubFolder(p.fd.get(), "tmp", shown + "/tmp");
    struct timeval now {};
    ::gettimeofday(&now, nullptr);
    const std::string host = Host();
    const long pid = static_cast<long>(::getpid());
    std::string text, buffer;
    Progress progress(s, indices.size(), t.step);
    std::uint64_t delivery = 0;
    std::size_t done = 0;
    for (std::int32_t index : indices) {
        if (StopRequested(s)) {
            t.out.cancelled = true;
            break;
        }
        if (t.Take(s, index, text)) {
            const Envelope e = MessageEnvelope(s, index, text);
            const std::string unique =
                MaildirUniqueName(now.tv_sec, static_cast<long>(now.tv_usec), pid, ++delivery, host);
            DeliverToMaildir(tmp.get(), cur.get(), unique, text, e.flags, e.utc, buffer, shown);
            ++t.out.written;
        }
        progress.Step(++done);
    }
}

// The messages left out or cut short join the record of the command, told
// at its end with those of every other export.
void TellLeftOut(State& s, const std::vector<ExportState::LeftOutMessage>& told) {
    s.exp.LeftOut.insert(s.exp.LeftOut.end(), told.begin(), told.end());
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
                            const std::string& stem, const std::vector<std::int32_t>& indices,
                            const MailboxStep* step) {
    MailboxOutcome out;
    const std::string ext = MailboxExtension(form);
    const std::string name = MailboxStem(stem);
    Tally t{out, step, {}};
    try {
        PendingMailbox p = BeginMailbox(dirFd, dirPath, name, ext, form == MailboxForm::Maildir);
        if (form == MailboxForm::Maildir) FillMaildir(s, p, indices, t);
        else FillMbox(s, p, indices, t);
        out.path = dirPath + "/" + CommitMailbox(p, name, ext);
    } catch (const Fault& f) {
        ShowFault(s, "", f, MsgIcon::Critical);
        return {};
    }
    TellLeftOut(s, t.told);
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
    try {
        const UniqueFd dir = OpenStorageFolder(storage);
        return WriteMailbox(s, form, dir.get(), storage, StoreFolderStem(s), indices);
    } catch (const Fault& f) {
        ShowFault(s, "", f, MsgIcon::Critical);
        return {};
    }
}

}  // namespace pelicard
