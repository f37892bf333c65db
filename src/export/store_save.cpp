#include "export/store_save.hpp"

#include "app/ports.hpp"
#include "app/services.hpp"
#include "app/whole_store.hpp"
#include "common/fault.hpp"
#include "common/text.hpp"
#include "content/read_msg.hpp"
#include "export/batch.hpp"
#include "export/msg_end.hpp"

namespace pelicard {
namespace {

void Tick(State& s) {
    StoreTree& t = s.store;
    ++t.ProgressMessage;
    if (t.OnProgress) t.OnProgress(t);
}

void CountedRead(State& s, std::int32_t index, OutputMode& mode) {
    if (s.Quitting) return;
    Tick(s);
    ReadMsg(s, index, mode);
}

// Every row of the list selected, in list order, as after "select all".
void SelectEveryRow(State& s) {
    Selection& sel = s.selection;
    const auto n = static_cast<std::size_t>(s.list.Count);
    sel.RowFlags.assign(n + 1, true);
    sel.RowFlags[0] = false;
    sel.SelectionOrder.resize(n + 1);
    for (std::size_t i = 0; i <= n; ++i) sel.SelectionOrder[i] = static_cast<std::int32_t>(i);
    sel.SelectionCount = static_cast<std::int32_t>(n);
    sel.CurrentPosition = n > 0 ? 1 : 0;
    sel.SubjectModified = false;
    sel.BodyModified = false;
    s.ops = {};
}

class SilentSound : public SoundPort {};

}  // namespace

void SaveWholeStore(State& s, bool raw, const StoreFolderOpener& open, StoreSaveReport& r) {
    StoreTree& t = s.store;
    r = {};
    std::vector<std::int32_t> todo;
    for (std::size_t k = 0; k < t.Folders.size(); ++k) {
        const StoreFolder& f = t.Folders[k];
        if (!f.Available) {
            r.Skipped.push_back(f.PathOfNames + " : " + f.Reason);
            ++r.Folders;
        } else if (!f.Source.empty() && f.Count > 0) {
            todo.push_back(static_cast<std::int32_t>(k));
        }
    }
    r.Folders += static_cast<std::int32_t>(todo.size());
    t.ProgressFolders = static_cast<std::int32_t>(todo.size());
    t.ProgressFolder = 0;

    // One completion signal for the whole store, not one per folder.
    SilentSound silent;
    SoundPort* sound = s.sound;
    s.sound = &silent;
    for (std::int32_t k : todo) {
        if (s.Quitting || s.CancelRequested) {
            r.Stopped = true;
            break;
        }
        const std::string path = t.Folders[static_cast<std::size_t>(k)].PathOfNames;
        ++t.ProgressFolder;
        t.ProgressIndex = k;
        t.ProgressMessage = 0;
        t.ProgressMessages = t.Folders[static_cast<std::size_t>(k)].Count;
        if (t.OnProgress) t.OnProgress(t);
        std::string reason;
        if (!open(s, k, reason)) {
            r.Skipped.push_back(path + " : " + reason);
            r.MessagesSkipped += t.Folders[static_cast<std::size_t>(k)].Count;
            continue;
        }
        t.OpenFolder = k;
        t.ProgressMessages = s.list.Count;
        const std::int32_t listed = s.list.Count;
        const std::size_t leftBefore = s.exp.LeftOut.size();
        bool ended = false;
        {
            HoldProgramEnd hold(s);
            try {
                SelectEveryRow(s);
                s.ops.BatchRunning = true;
                if (raw) {
                    s.ops.SaveAllRaw = true;
                    for (std::int32_t i = 1; i <= s.selection.SelectionCount && !s.Quitting && !s.CancelRequested; ++i) {
                        Tick(s);
                        OutputMode mode = kAlone;
                        ReadRawMsg(s, s.selection.SelectionOrder[static_cast<std::size_t>(i)], mode);
                    }
                } else {
                    s.ops.SaveAllText = true;
                    BatchDriver(s, CountedRead);
                }
                CloseOutput(s);
            } catch (const ProgramEnding&) {
                ended = true;
            }
            s.ops.BatchRunning = false;
            if (ended) {
                s.Quitting = false;
                try {
                    CloseOutput(s);
                } catch (const Fault&) {
                }
            }
        }
        ++r.FoldersSaved;
        // Stopped between two messages: those read are saved, the rest not.
        const bool stopped = !ended && s.CancelRequested && t.ProgressMessage < listed;
        const std::int64_t done = ended ? t.ProgressMessage - 1 : stopped ? t.ProgressMessage : listed;
        // The messages the save left out or cut, each with its reason.
        std::int64_t notSaved = 0;
        for (std::size_t m = leftBefore; m < s.exp.LeftOut.size(); ++m) {
            const ExportState::LeftOutMessage& l = s.exp.LeftOut[m];
            notSaved += l.Cut ? 0 : 1;
            r.Skipped.push_back(path + " : message " + ToDecimal(l.Id) + " « " + l.Subject + " » " +
                                (l.Cut ? "enregistré tronqué, " : "non enregistré, ") + l.Reason);
        }
        r.MessagesSaved += std::max<std::int64_t>(0, done - notSaved);
        r.MessagesSkipped += notSaved;
        if (stopped) {
            r.Stopped = true;
            r.MessagesSkipped += listed - done;
            r.Skipped.push_back(path + " : " + ToDecimal(listed - done) + " message(s) non enregistr\xE9(s), commande arr\xEAt\xE9" "e");
        }
        if (ended) {
            r.MessagesSkipped += listed - done;
            r.Skipped.push_back(path + " : " + ToDecimal(listed - done) + " message(s) non enregistr\xE9(s), " +
                                kFolderEndedText);
        }
        // Messages the folder file announces but whose text it does not hold.
        const std::int64_t announced = t.Folders[static_cast<std::size_t>(k)].Count;
        if (announced > listed) {
            r.MessagesSkipped += announced - listed;
            r.Skipped.push_back(path + " : " + ToDecimal(announced - listed) +
                                (t.Kind == StoreKind::OutlookExpress
                                     ? " message(s) incomplet(s) (texte absent du fichier)"
                                     : " fichier(s) de message vide(s) ou illisible(s)"));
        }
    }
    s.sound = sound;
    SignalDone(s);
}

std::string StoreSaveSummary(const StoreSaveReport& r) {
    std::string out = "Dossiers : " + ToDecimal(r.Folders) + " (" + ToDecimal(r.FoldersSaved) +
                      " enregistr\xE9s)\r\nMessages enregistr\xE9s : " + ToDecimal(r.MessagesSaved) +
                      "\r\nMessages non enregistr\xE9s : " + ToDecimal(r.MessagesSkipped) + "\r\n";
    if (r.Stopped) out += "Enregistrement arr\xEAt\xE9 avant la fin\r\n";
    for (const std::string& line : r.Skipped) out += "  " + line + "\r\n";
    return out;
}

}  // namespace pelicard
