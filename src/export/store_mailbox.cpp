#include "export/store_mailbox.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "app/whole_store.hpp"
#include "common/fault.hpp"
#include "common/text.hpp"
#include "export/mailbox_files.hpp"
#include "export/safe_files.hpp"

namespace pelicard {
namespace {

const char* const kIncomplete = ".incomplet";

std::string LastComponent(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const std::size_t slash = p.find_last_of('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string Count(std::int64_t n, const char* what) { return ToDecimal(n) + " message(s) " + what; }

// Where the mailboxes are being made: the root folder (still under its
// temporary name) and, per folder, the name of its ".sbd" folder.
struct Tree {
    const StoreTree& t;
    int rootFd;
    std::string rootShown;
    std::vector<std::string> sbd;

    // The folder that holds folder k's mailbox, created when missing: the
    // root, or the ".sbd" folder of its parent within those of its
    // ancestors. `shown` receives its path.
    UniqueFd Holder(std::int32_t k, std::string& shown) const {
        std::vector<std::int32_t> chain;
        const auto n = static_cast<std::int32_t>(t.Folders.size());
        for (std::int32_t p = t.Folders[static_cast<std::size_t>(k)].Parent;
             p >= 0 && p < n && chain.size() < t.Folders.size(); p = t.Folders[static_cast<std::size_t>(p)].Parent)
            chain.push_back(p);
        shown = rootShown;
        UniqueFd dir(::fcntl(rootFd, F_DUPFD_CLOEXEC, 0));
        if (!dir.valid()) throw SystemFault(Utf8ToCp1252("Impossible d'ouvrir le dossier"), shown, errno);
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            const std::string& name = sbd[static_cast<std::size_t>(*it)];
            shown += "/" + name;
            dir = OpenSubFolder(dir.get(), name, shown);
        }
        return dir;
    }
};

// One folder's mailbox written; its account added to the report.
struct FolderRun {
    State& s;
    MailboxForm form;
    StoreSaveReport& r;
    std::vector<std::string>& written;  // paths of the mailboxes, below the root

    // False when the run must stop (the mailbox could not be written).
    bool Write(Tree& tree, std::int32_t k, const std::vector<std::int32_t>& indices) {
        StoreTree& t = s.store;
        const std::string path = t.Folders[static_cast<std::size_t>(k)].PathOfNames;
        const std::string name = Cp1252ToUtf8(t.Folders[static_cast<std::size_t>(k)].Name);
        const auto listed = static_cast<std::int64_t>(indices.size());
        std::string shown;
        UniqueFd holder;
        try {
            holder = tree.Holder(k, shown);
        } catch (const Fault& f) {
            r.Skipped.push_back(path + " : " + f.Description());
            r.MessagesSkipped += listed;
            return false;
        }
        const MailboxStep step = [&t](std::size_t done, std::size_t total) {
            t.ProgressMessage = static_cast<std::int64_t>(done);
            t.ProgressMessages = static_cast<std::int64_t>(total);
            if (t.OnProgress) t.OnProgress(t);
        };
        const std::size_t leftBefore = s.exp.LeftOut.size();
        MailboxOutcome out;
        bool ended = false;
        {
            HoldProgramEnd hold(s);
            try {
                out = WriteMailbox(s, form, holder.get(), shown, name, indices, &step);
            } catch (const ProgramEnding&) {
                ended = true;
            }
        }
        // A fault that ended the folder without unwinding stopped its loop.
        const bool quit = s.Quitting;
        s.Quitting = false;
        if (ended) {
            // What the folder's mailbox held is dropped with its temporary name.
            r.MessagesSkipped += listed;
            r.Skipped.push_back(path + " : " + Count(listed, Utf8ToCp1252("non exporté(s), ").c_str()) +
                                kFolderEndedText);
            return true;
        }
        if (out.path.empty()) {  // told in a box by WriteMailbox
            r.MessagesSkipped += listed;
            r.Skipped.push_back(path + " : " + Utf8ToCp1252("boîte aux lettres non écrite, export arrêté"));
            return false;
        }
        ++r.FoldersSaved;
        const std::string ext = MailboxExtension(form);
        std::string file = LastComponent(out.path);
        written.push_back(shown.substr(tree.rootShown.size()) + "/" + file);
        if (file.size() > ext.size()) file.resize(file.size() - ext.size());
        tree.sbd[static_cast<std::size_t>(k)] = file + ".sbd";
        for (std::size_t m = leftBefore; m < s.exp.LeftOut.size(); ++m)
            s.exp.LeftOut[m].Reason = "dans " + path + ", " + s.exp.LeftOut[m].Reason;
        r.MessagesSaved += out.written;
        r.MessagesSkipped += out.failed;
        if (out.cancelled) {
            const std::int64_t rest = listed - out.written - out.failed;
            r.MessagesSkipped += rest;
            r.Stopped = r.Stopped || !quit;
            r.Skipped.push_back(path + " : " + Count(rest, Utf8ToCp1252("non exporté(s), ").c_str()) +
                                (quit ? kFolderEndedText : Utf8ToCp1252("export arrêté").c_str()));
        }
        return true;
    }
};

}  // namespace

std::string StoreMailboxExtension(MailboxForm form) {
    return form == MailboxForm::Mbox ? ".magasin-mbox" : ".magasin-maildir";
}

StoreMailboxOutcome ExportStoreToMailboxes(State& s, MailboxForm form, const StoreFolderOpener& open) {
    StoreMailboxOutcome o;
    StoreTree& t = s.store;
    StoreSaveReport& r = o.report;
    std::string storage = s.settings.StorageFolder;
    while (storage.size() > 1 && storage.back() == '/') storage.pop_back();
    if (t.Folders.empty()) {
        o.refusal = Utf8ToCp1252("Aucun magasin n'est ouvert.");
        return o;
    }
    if (IsInsideFolder(storage, t.Root)) {
        o.refusal = Utf8ToCp1252("Le dossier de stockage se trouve dans le magasin lu : rien n'y sera écrit.\r\n"
                                 "Choisissez un autre dossier de stockage.");
        return o;
    }
    std::vector<std::int32_t> todo;
    for (std::size_t k = 0; k < t.Folders.size(); ++k) {
        const StoreFolder& f = t.Folders[k];
        if (f.Available) todo.push_back(static_cast<std::int32_t>(k));
        else r.Skipped.push_back(f.PathOfNames + " : " + f.Reason);
    }
    r.Folders = static_cast<std::int32_t>(t.Folders.size());

    const std::string rootExt = StoreMailboxExtension(form);
    const std::string stem = MailboxStem(LastComponent(t.Root));
    std::vector<std::string> written;
    // The final paths are told once the root has its name.
    auto onWritten = std::move(s.exp.OnFileWritten);
    s.exp.OnFileWritten = nullptr;
    try {
        const UniqueFd top = OpenStorageFolder(storage);
        PendingMailbox root = BeginMailbox(top.get(), storage, stem, rootExt, true);
        Tree tree{t, root.fd.get(), storage + "/" + root.tempName, {}};
        for (const StoreFolder& f : t.Folders) tree.sbd.push_back(MailboxStem(Cp1252ToUtf8(f.Name)) + ".sbd");
        FolderRun run{s, form, r, written};

        t.ProgressFolders = static_cast<std::int32_t>(todo.size());
        t.ProgressFolder = 0;
        for (std::int32_t k : todo) {
            if (s.Quitting || s.CancelRequested) {
                r.Stopped = true;
                break;
            }
            const StoreFolder& f = t.Folders[static_cast<std::size_t>(k)];
            const std::string path = f.PathOfNames;
            const std::int64_t announced = f.Count;
            ++t.ProgressFolder;
            t.ProgressIndex = k;
            t.ProgressMessage = 0;
            t.ProgressMessages = announced;
            if (t.OnProgress) t.OnProgress(t);
            if (s.CancelRequested) {
                r.Stopped = true;
                break;
            }
            std::vector<std::int32_t> indices;
            if (!f.Source.empty() && announced > 0) {
                std::string reason;
                if (!open(s, k, reason)) {
                    r.Skipped.push_back(path + " : " + reason);
                    r.MessagesSkipped += announced;
                    continue;
                }
                t.OpenFolder = k;
                indices = AllListIndices(s);
            }
            if (!run.Write(tree, k, indices)) {
                r.Stopped = true;
                break;
            }
            // Messages the folder file announces but whose text it does not hold.
            const auto listed = static_cast<std::int64_t>(indices.size());
            if (announced > listed && !indices.empty()) {
                r.MessagesSkipped += announced - listed;
                r.Skipped.push_back(path + " : " + ToDecimal(announced - listed) +
                                    (t.Kind == StoreKind::OutlookExpress
                                         ? " message(s) incomplet(s) (texte absent du fichier)"
                                         : " fichier(s) de message vide(s) ou illisible(s)"));
            }
        }
        const std::string name = CommitMailbox(root, stem, r.Stopped ? rootExt + kIncomplete : rootExt);
        o.path = storage + "/" + name;
    } catch (const Fault& f) {
        o.refusal = f.Description();
    }
    s.exp.OnFileWritten = std::move(onWritten);
    if (!o.path.empty() && s.exp.OnFileWritten)
        for (const std::string& w : written) s.exp.OnFileWritten(o.path + w);
    return o;
}

std::string StoreMailboxSummary(const StoreMailboxOutcome& o) {
    const StoreSaveReport& r = o.report;
    std::string out = "Dossiers : " + ToDecimal(r.Folders) + " (" + ToDecimal(r.FoldersSaved) +
                      Utf8ToCp1252(" exportés)\r\nMessages exportés : ") + ToDecimal(r.MessagesSaved) +
                      Utf8ToCp1252("\r\nMessages non exportés : ") + ToDecimal(r.MessagesSkipped) + "\r\n";
    if (r.Stopped) out += Utf8ToCp1252("Export arrêté avant la fin : le dossier porte le suffixe « .incomplet »\r\n");
    for (const std::string& line : r.Skipped) out += "  " + line + "\r\n";
    if (!o.path.empty()) out += Utf8ToCp1252("Boîtes aux lettres dans ") + Utf8ToCp1252(o.path) + "\r\n";
    return out;
}

}  // namespace pelicard
