#include "ui/mailbox_commands.hpp"

#include "app/services.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "export/left_out.hpp"
#include "export/mailbox_export.hpp"
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

}  // namespace

void mnuMailboxMbox_Click(State& s) {
    RunGuarded(s, "mnuMailboxMbox_Click", [&] { ExportSelection(s, MailboxForm::Mbox); });
}

void mnuMailboxMaildir_Click(State& s) {
    RunGuarded(s, "mnuMailboxMaildir_Click", [&] { ExportSelection(s, MailboxForm::Maildir); });
}

}  // namespace pelicard
