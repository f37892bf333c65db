// pelicard-extract exporte SOURCE --texte|--brut|--complet|--pieces-jointes|--pdf FICHIER.pdf|--mbox|--maildir
//     [--par-conversation|--par-selection] [--ids 1,4,7-9] [--stockage DOSSIER]
//     [--dossier CHEMIN]
// A whole store as SOURCE, without --ids and --dossier, is saved whole
// (--mbox/--maildir: one mailbox per folder, see export/store_mailbox.hpp).
// Runs the window's save and print commands over the chosen messages (all by
// default, as after "select all") and prints the path of each file written.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <new>
#include <optional>
#include <unistd.h>

#include "app/linux_folders.hpp"
#include "app/services.hpp"
#include "cli/commands.hpp"
#include "cli/console_window.hpp"
#include "cli/open_store.hpp"
#include "cli/store_export.hpp"
#include "app/whole_store.hpp"
#include "cli/text_options.hpp"
#include "common/fault.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "content/read_msg.hpp"
#include "export/attachment_files.hpp"
#include "export/batch.hpp"
#include "export/left_out.hpp"
#include "export/mailbox_export.hpp"
#include "export/msg_end.hpp"
#include "export/pdf_target.hpp"
#include "export/safe_files.hpp"

#ifdef PELICARD_WITH_QT
#include <QGuiApplication>

#include "ui/qt/qt_printer.hpp"
#endif

namespace pelicard::cli {
namespace {

enum class Output { None, Text, Raw, Pdf, Complete, Attachments, Mbox, Maildir };

struct Options {
    std::string source;
    Output output = Output::None;
    std::string pdfPath;
    bool byConversation = false;
    bool bySelection = false;
    std::optional<std::string> ids;
    std::string storage;
    bool recover = false;
    std::optional<std::string> folder;  // --dossier: one folder of a whole store
    bool wholeStore = false;            // --magasin: a Windows Mail folder with its sub-folders
};

const char* const kOneOutput =
    "choisissez une seule sortie parmi --texte, --brut, --complet, --pieces-jointes, --pdf, --mbox et --maildir";

int Refuse(const std::string& what) {
    std::cerr << "pelicard-extract : " << what << "\n";
    return 1;
}

// Parses "1,4,7-9" into flags over 1..count. Returns an error text, empty
// when the list is sound; `malformed` tells a list that is no list of IDs
// (a usage error) from IDs outside the list.
std::string ParseIds(const std::string& text, std::int32_t count, std::vector<bool>& flags, bool& malformed) {
    malformed = true;
    flags.assign(static_cast<std::size_t>(count) + 1, false);
    auto number = [](const std::string& t, long long& n) {
        if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos) return false;
        n = ParseLeadingNumber(t);
        return true;
    };
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        const std::string item = text.substr(start, comma - start);
        const std::size_t dash = item.find('-');
        long long first = 0, last = 0;
        if (dash == std::string::npos) {
            if (!number(item, first)) return "ID incorrect : « " + item + " »";
            last = first;
        } else if (!number(item.substr(0, dash), first) || !number(item.substr(dash + 1), last) || first > last) {
            return "intervalle d'ID incorrect : « " + item + " »";
        }
        if (first < 1 || last > count) {
            malformed = false;
            return "aucun message d'ID " + item + " (la liste compte " + ToDecimal(count) + " messages)";
        }
        for (long long i = first; i <= last; ++i) flags[static_cast<std::size_t>(i)] = true;
        start = comma + 1;
    }
    return {};
}

// The selection as the window's CollectSelection leaves it after the rows
// were selected: the IDs in list order.
void SelectRows(State& s, const std::vector<bool>& flags) {
    Selection& sel = s.selection;
    sel.RowFlags = flags;
    sel.SelectionOrder.assign(1, 0);
    for (std::size_t i = 1; i < flags.size(); ++i)
        if (flags[i]) sel.SelectionOrder.push_back(static_cast<std::int32_t>(i));
    sel.SelectionCount = static_cast<std::int32_t>(sel.SelectionOrder.size()) - 1;
    sel.CurrentPosition = sel.SelectionCount > 0 ? 1 : 0;
    sel.SubjectModified = false;
    sel.BodyModified = false;
    s.ops = {};
}

// Exports of a Windows Mail folder go to <storage>/<folder name>: refused
// when that lies in the folder being read (the copies would join the store).
int RefuseTargetInStore(State& s, const std::string& storage) {
    if (s.list.Mode != StoreMode::WindowsMail || s.list.Wm.size() < 2) return 0;
    const std::string& file = s.list.Wm[1].FilePath;
    const std::string folder = file.substr(0, file.rfind('/') + 1);
    std::string name = folder.substr(0, folder.size() - 1);
    name = SafeComponent(name.substr(name.rfind('/') + 1));
    const std::string target = storage + "/" + name;
    if (!IsInsideFolder(target, folder.empty() ? "." : folder)) return 0;
    return Refuse("le dossier de stockage " + target + " se trouve dans le dossier lu " + folder +
                  " : choisissez un autre dossier avec --stockage");
}

// One line per message left out or cut, then the count; 3 when anything was
// left out, cut, or the index could not be read whole.
int TellLeftOut(State& s, int indexFaults) {
    for (const auto& m : s.exp.LeftOut)
        std::cerr << "pelicard-extract : message " << ForTerminal(LeftOutLine(m))
                  << (m.Cut ? " (enregistré tronqué)" : " (non enregistré)") << '\n';
    if (indexFaults > 0)
        std::cerr << "pelicard-extract : l'index du fichier n'a pas pu être lu en entier (" << indexFaults
                  << " erreur(s) de lecture) : des messages peuvent manquer\n";
    if (s.exp.LeftOut.empty() && indexFaults == 0) return 0;
    if (!s.exp.LeftOut.empty()) std::cerr << "pelicard-extract : " << Cp1252ToUtf8(LeftOutHeading(s)) << '\n';
    return 3;
}

int ParseArgs(const std::vector<std::string>& argsIn, Options& o) {
    std::vector<std::string> args = argsIn;
    if (int rc = TakeFolderOption(args, o.folder); rc != 0) return rc;
    std::vector<std::string> positional;
    auto setOutput = [&o](Output out) {
        if (o.output != Output::None) return false;
        o.output = out;
        return true;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        if (a == "--texte" || a == "--brut") {
            if (!setOutput(a == "--texte" ? Output::Text : Output::Raw))
                return UsageError(kOneOutput);
        } else if (a == "--complet" || a == "--pieces-jointes") {
            if (!setOutput(a == "--complet" ? Output::Complete : Output::Attachments))
                return UsageError(kOneOutput);
        } else if (a == "--pdf") {
            if (!setOutput(Output::Pdf)) return UsageError(kOneOutput);
            if (!value(o.pdfPath) || o.pdfPath.empty()) return UsageError("--pdf attend le nom du fichier PDF");
        } else if (a == "--recuperer") {
            o.recover = true;
        } else if (a == "--mbox" || a == "--maildir") {
            if (!setOutput(a == "--mbox" ? Output::Mbox : Output::Maildir))
                return UsageError(kOneOutput);
        } else if (a == "--par-conversation") {
            o.byConversation = true;
        } else if (a == "--magasin") {
            o.wholeStore = true;
        } else if (a == "--par-selection") {
            o.bySelection = true;
        } else if (a == "--ids") {
            std::string v;
            if (!value(v)) return UsageError("--ids attend une liste d'ID, par exemple 1,4,7-9");
            o.ids = v;
        } else if (a == "--stockage") {
            if (!value(o.storage) || o.storage.empty()) return UsageError("--stockage attend un dossier");
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            return UsageError("option inconnue : " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 1) return UsageError("exporte attend une SOURCE");
    o.source = positional[0];
    if (o.output == Output::None) return UsageError("choisissez une sortie : --texte, --brut, --complet, --pieces-jointes, --pdf FICHIER.pdf, --mbox ou --maildir");
    if (o.wholeStore && (o.ids || o.folder || o.output == Output::Pdf))
        return UsageError("--magasin enregistre tout le magasin : sans --ids, --dossier ni --pdf");
    if (o.byConversation && o.bySelection)
        return UsageError("--par-conversation et --par-selection s'excluent");
    return 0;
}

// Makes the storage folder when missing; false when it cannot be.
bool MakeStorage(const std::string& storage) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(storage, ec);
    return fs::is_directory(storage, ec);
}

int Run(Session& session, const Options& o) {
    State& s = session.state;
    // A whole store saved at once: text or raw copies of every message, or
    // one mailbox per folder.
    const bool toMailbox = o.output == Output::Mbox || o.output == Output::Maildir;
    if (!o.folder && !o.ids && (o.output == Output::Text || o.output == Output::Raw || toMailbox) &&
        IsWholeStore(o.source, s.store, o.wholeStore)) {
        const std::string storage = o.storage.empty() ? DocumentsFolderPath() + "/Documents Pelicard" : o.storage;
        if (IsInsideFolder(storage, s.store.Root))
            return Refuse("le dossier de stockage ne peut pas se trouver dans le magasin lu");
        if (!MakeStorage(storage)) return Refuse("impossible de créer le dossier de stockage " + storage);
        s.settings.StorageFolder = storage;
        s.settings.GroupingOption = o.byConversation ? 1 : 0;
        s.settings.SelectionOption = o.bySelection ? 1 : 0;
        s.exp.OnFileWritten = [](const std::string& path) { std::cout << path << '\n'; };
        if (toMailbox)
            return ExportWholeStoreToMailboxes(session, o.output == Output::Mbox ? MailboxForm::Mbox : MailboxForm::Maildir);
        return ExportWholeStore(session, o.output == Output::Raw);
    }
    s.store = {};
    std::string label;
    if (int rc = OpenStoreOrFolder(session, o.source, o.folder, label); rc != 0) return rc;

    std::vector<bool> flags(static_cast<std::size_t>(s.list.Count) + 1, true);
    flags[0] = false;
    if (o.ids) {
        bool malformed = false;
        if (std::string err = ParseIds(*o.ids, s.list.Count, flags, malformed); !err.empty())
            return malformed ? UsageError(err) : Refuse(err);
    }
    const int indexFaults = session.window.faultBoxes;

    const std::string storage = o.storage.empty() ? DocumentsFolderPath() + "/Documents Pelicard" : o.storage;
    if (!MakeStorage(storage)) return Refuse("impossible de créer le dossier de stockage " + storage);
    s.settings.StorageFolder = storage;
    if (int rc = RefuseTargetInStore(s, storage); rc != 0) return rc;
    s.settings.GroupingOption = o.byConversation ? 1 : 0;
    s.settings.SelectionOption = o.bySelection ? 1 : 0;
    s.exp.OnFileWritten = [](const std::string& path) { std::cout << path << '\n'; };

    SelectRows(s, flags);
    ClearLeftOut(s);
    switch (o.output) {
        case Output::Text:
            s.ops.SaveAllText = true;
            s.ops.BatchRunning = true;
            BatchDriver(s);
            s.ops.BatchRunning = false;
            break;
        case Output::Raw:
        case Output::Complete:
            (o.output == Output::Raw ? s.ops.SaveAllRaw : s.ops.SaveAllComplete) = true;
            s.ops.BatchRunning = true;
            for (std::int32_t i = 1; i <= s.selection.SelectionCount && !s.Quitting; ++i) {
                OutputMode mode = kAlone;
                const std::int32_t index = s.selection.SelectionOrder[static_cast<std::size_t>(i)];
                // A complete copy needs no reading of its own: MsgEnd reads the whole text.
                if (o.output == Output::Raw)
                    ReadRawMsg(s, index, mode);
                else
                    MsgEnd(s, index, mode);
            }
            s.ops.BatchRunning = false;
            SignalDone(s);
            break;
        case Output::Attachments:
            s.ops.BatchRunning = true;
            for (std::int32_t i = 1; i <= s.selection.SelectionCount && !s.Quitting; ++i)
                SaveAttachments(s, s.selection.SelectionOrder[static_cast<std::size_t>(i)]);
            s.ops.BatchRunning = false;
            SignalDone(s);
            break;
        case Output::Pdf: {
#ifdef PELICARD_WITH_QT
            if (std::string why = PdfTargetRefusal(s, o.pdfPath, false); !why.empty())
                return Refuse(ForTerminal(why));
            if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
            int argc = 1;
            char name[] = "pelicard-extract";
            char* argv[] = {name, nullptr};
            QGuiApplication app(argc, argv);
            QtPrinter printer(o.pdfPath);
            printer.WatchStore(&s);
            PrinterPort* previous = s.printer;
            s.printer = &printer;
            s.ops.PrintSelected = true;
            BatchDriver(s);
            s.printer->Finish();
            s.printer = previous;
            std::error_code pdfError;
            if (!s.Quitting && std::filesystem::exists(o.pdfPath, pdfError)) std::cout << o.pdfPath << '\n';
            break;
#else
            return Refuse("l'impression en PDF n'est pas disponible dans cette version");
#endif
        }
        case Output::Mbox:
        case Output::Maildir: {
            const MailboxOutcome out = ExportToMailbox(
                s, o.output == Output::Mbox ? MailboxForm::Mbox : MailboxForm::Maildir, SelectedListIndices(s));
            std::cout.flush();
            if (out.path.empty()) return 1;
            if (!s.exp.LeftOut.empty()) return 3;
            break;
        }
        default:
            break;
    }
    CloseOutput(s);
    std::cout.flush();
    if (s.Quitting) return 1;
    return TellLeftOut(s, indexFaults);
}

#if defined(PELICARD_PDF_TWIN) && !defined(PELICARD_WITH_QT)
// The twin program beside this one, built with the Qt printer, runs the
// command in this process's place; 1 when it cannot be found or started.
int RunPdfTwin(const char* twin, const std::vector<std::string>& args) {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::string path = (self.parent_path() / twin).string();
    std::vector<std::string> all{path, "exporte"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::cout.flush();
    std::cerr.flush();
    if (!ec) ::execv(path.c_str(), argv.data());
    return Refuse("l'impression en PDF n'est pas disponible : " + path + " ne peut pas \xC3\xAAtre lanc\xC3\xA9");
}
#endif

}  // namespace

int CmdExporte(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    const TextOptions options = TakeTextOptions(args, true);
    Options o;
    if (int rc = ParseArgs(args, o); rc != 0) return rc;
#if defined(PELICARD_PDF_TWIN) && !defined(PELICARD_WITH_QT)
    if (o.output == Output::Pdf) return RunPdfTwin(PELICARD_PDF_TWIN, given);
#endif
    Session session;
    session.recover = o.recover;
    State& s = session.state;
    options.ApplyTo(s);
    try {
        return Run(session, o);
    } catch (const ProgramEnding&) {
        std::cout.flush();
        return 1;
    } catch (const Fault& f) {
        ShowFault(s, "MsgEnd", f);
        return 1;
    } catch (const std::bad_alloc&) {
        ShowFault(s, "MsgEnd", Fault(faults::kOutOfMemory));
        return 1;
    }
}

}  // namespace pelicard::cli
