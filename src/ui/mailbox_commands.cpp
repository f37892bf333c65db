#include "ui/mailbox_commands.hpp"

#include <algorithm>

#include "app/services.hpp"
#include "app/whole_store.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "export/left_out.hpp"
#include "export/mailbox_export.hpp"
#include "export/store_mailbox.hpp"
#include "ui/store_commands.hpp"
#include "ui/window_logic.hpp"

namespace pelicard {
namespace {

void ExportSelection(State& s, MailboxForm form) {
    if (s.EditorUpdate) return;
    CollectSelection(s);
    const std::vector<std::int32_t> indices = SelectedListIndices(s);
    if (indices.empty()) {
        ShowMessage(s, Utf8ToCp1252("Sélectionnez les messages à exporter"), MsgIcon::Information);
        return;
    }
    s.CancelRequested = false;
    ClearLeftOut(s);
    const MailboxOutcome out = ExportToMailbox(s, form, indices);
    if (out.path.empty()) return;
    std::string text = ToDecimal(out.written) + " message(s) écrit(s) dans\r\n" + out.path;
    if (out.cancelled) text += "\r\nExport arrêté à la demande : la boîte aux lettres contient les messages écrits.";
    ShowMessage(s, Utf8ToCp1252(text), MsgIcon::Information);
    ShowLeftOut(s);
    if (!out.cancelled) SignalDone(s);
}

// Every folder of the open store, with the whole-store progress in the bar
// and the label; «Annuler» stops it between two messages.
void ExportStore(State& s, MailboxForm form) {
    WindowPort& w = *s.window;
    if (s.store.Folders.empty()) return;
    const std::int32_t shown = s.store.OpenFolder;
    s.CancelRequested = false;
    ClearLeftOut(s);
    std::int64_t ticks = 0;
    s.store.OnProgress = [&w, &ticks](const StoreTree& p) {
        const double part = p.ProgressMessages > 0 ? static_cast<double>(p.ProgressMessage) / p.ProgressMessages : 0;
        const double value = p.ProgressFolders > 0 ? 100.0 * (p.ProgressFolder - 1 + part) / p.ProgressFolders : 0;
        w.SetProgress(std::clamp(value, 0.0, 100.0));
        if (p.ProgressMessage == 0 || ++ticks % 25 == 0 || p.ProgressMessage == p.ProgressMessages) {
            w.SetText("lblLvw", Utf8ToCp1252("Export du magasin : dossier ") + ToDecimal(p.ProgressFolder) + " sur " +
                                    ToDecimal(p.ProgressFolders) + ", message " + ToDecimal(p.ProgressMessage) +
                                    " sur " + ToDecimal(p.ProgressMessages));
            w.DoEvents();
        }
    };
    w.SetProgress(0);
    w.ShowProgress(true);
    w.SetHourglass(true);
    const StoreMailboxOutcome o = ExportStoreToMailboxes(
        s, form, [](State& st, std::int32_t k, std::string& reason) { return OpenStoreFolder(st, k, reason); });
    s.store.OnProgress = nullptr;
    w.ShowProgress(false);
    w.SetHourglass(false);
    ShowStoreFolderAgain(s, shown);
    if (o.path.empty()) {
        ShowMessage(s, o.refusal, MsgIcon::Exclamation);
        return;
    }
    const std::string heading = Utf8ToCp1252(o.report.Stopped ? "Export du magasin arrêté : les boîtes aux lettres écrites sont gardées\r\n"
                                                               : "Export de tout le magasin terminé\r\n");
    ShowMessage(s, heading + StoreMailboxSummary(o),
                o.report.Skipped.empty() ? MsgIcon::Information : MsgIcon::Exclamation);
    ShowLeftOut(s);
    if (!o.report.Stopped) SignalDone(s);
}

}  // namespace

void mnuMailboxStore_Click(State& s, bool maildir) {
    RunGuarded(s, "mnuMailboxStore_Click",
               [&] { ExportStore(s, maildir ? MailboxForm::Maildir : MailboxForm::Mbox); });
}

void mnuMailboxMbox_Click(State& s) {
    RunGuarded(s, "mnuMailboxMbox_Click", [&] { ExportSelection(s, MailboxForm::Mbox); });
}

void mnuMailboxMaildir_Click(State& s) {
    RunGuarded(s, "mnuMailboxMaildir_Click", [&] { ExportSelection(s, MailboxForm::Maildir); });
}

}  // namespace pelicard
