// pelicard-extract exporte MAGASIN --texte|--brut: every message of every
// folder of a whole store, in sub-folders of the storage folder that mirror
// the store's tree, with the progress and a summary on standard error.
#include <unistd.h>

#include <iostream>

#include "cli/open_store.hpp"
#include "cli/store_export.hpp"
#include "common/text.hpp"
#include "export/left_out.hpp"
#include "export/store_mailbox.hpp"
#include "export/store_save.hpp"

namespace pelicard::cli {

namespace {

void TellProgress(StoreTree& t) {
    const bool live = ::isatty(2) != 0;
    t.OnProgress = [live](const StoreTree& p) {
        if (p.ProgressMessage == 0) {
            if (live) std::cerr << '\n';
            const StoreFolder& f = p.Folders[static_cast<std::size_t>(p.ProgressIndex)];
            std::cerr << "dossier " << p.ProgressFolder << " sur " << p.ProgressFolders << " : "
                      << Cp1252ToUtf8(f.PathOfNames) << " (" << f.Count << " messages)\n";
        } else if (live && (p.ProgressMessage % 50 == 0 || p.ProgressMessage == p.ProgressMessages)) {
            std::cerr << "\rdossier " << p.ProgressFolder << " sur " << p.ProgressFolders << ", message "
                      << p.ProgressMessage << " sur " << p.ProgressMessages << std::flush;
        }
    };
}

// A Windows-1252 summary on standard error, without its CRs.
void PrintSummary(const std::string& summary) {
    if (::isatty(2)) std::cerr << '\n';
    std::string text;
    for (char c : summary)
        if (c != '\r') text += c;
    std::cerr << Cp1252ToUtf8(text);
}

}  // namespace

int ExportWholeStore(Session& session, bool raw) {
    State& s = session.state;
    StoreTree& t = s.store;
    const bool live = ::isatty(2) != 0;
    TellProgress(t);
    StoreSaveReport report;
    SaveWholeStore(
        s, raw, [&session](State&, std::int32_t k, std::string& reason) { return OpenFolderOfStore(session, k, reason); },
        report);
    t.OnProgress = nullptr;
    std::cout.flush();
    if (live) std::cerr << '\n';
    std::string summary = StoreSaveSummary(report);
    std::string text;
    for (char c : summary)
        if (c != '\r') text += c;
    std::cerr << Cp1252ToUtf8(text);
    return report.MessagesSkipped > 0 || report.Skipped.size() > 0 ? 3 : 0;
}

int ExportWholeStoreToMailboxes(Session& session, MailboxForm form) {
    State& s = session.state;
    TellProgress(s.store);
    ClearLeftOut(s);
    const StoreMailboxOutcome o = ExportStoreToMailboxes(
        s, form, [&session](State&, std::int32_t k, std::string& reason) { return OpenFolderOfStore(session, k, reason); });
    s.store.OnProgress = nullptr;
    std::cout.flush();
    if (o.path.empty()) return RefuseText(o.refusal);
    PrintSummary(StoreMailboxSummary(o));
    for (const auto& m : s.exp.LeftOut)
        std::cerr << "pelicard-extract : message " << Cp1252ToUtf8(LeftOutLine(m))
                  << (m.Cut ? " (enregistré tronqué)" : " (non enregistré)") << '\n';
    return o.report.MessagesSkipped > 0 || !o.report.Skipped.empty() || !s.exp.LeftOut.empty() ? 3 : 0;
}

}  // namespace pelicard::cli
