// pelicard-extract affiche SOURCE ID [--brut]: one message as the text
// export writes it, or its stored text as read.
#include <cstdio>
#include <iostream>
#include <new>
#include <optional>

#include "cli/commands.hpp"
#include "cli/open_store.hpp"
#include "cli/text_options.hpp"
#include "common/byte_file.hpp"
#include "common/fault.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "content/mime.hpp"
#include "content/read_msg.hpp"
#include "dbx/recover.hpp"

namespace pelicard::cli {
namespace {

void WriteOut(const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

int Refuse(const std::string& what) {
    std::cerr << "pelicard-extract : " << what << "\n";
    return 1;
}

// The stored text: for Outlook Express the block chain cut before the first
// attachment; for Windows Mail the message file itself.
int ShowRaw(Session& session, std::int32_t id) {
    State& s = session.state;
    if (s.list.Mode == StoreMode::WindowsMail) {
        WriteOut(ReadWholeFile(s.list.Wm[id].FilePath));
        return 0;
    }
    if (!ReadBlocksOE(s, id)) return Refuse("le texte du message " + ToDecimal(id) + " n'a pas pu être lu");
    std::string unmarked;
    WriteOut(RawCopyText(s, id, unmarked));
    return 0;
}

int ShowText(Session& session, std::int32_t id) {
    State& s = session.state;
    OutputMode mode = kAlone;
    if (s.list.Mode == StoreMode::WindowsMail) {
        ReadMsg(s, id, mode);
    } else {
        // ReadMsg's own steps, so that an unreadable text is told apart.
        if (!ReadBlocksOE(s, id)) return Refuse("le texte du message " + ToDecimal(id) + " n'a pas pu être lu");
        MsgProcessing(s, id, mode);
    }
    if (s.Quitting) return 1;
    const ContentState& c = s.content;
    WriteOut(Utf8Of(s.texts.SubjectLine, c.SubjectLineU8) + Utf8Of(s.texts.DateSenderBlock, c.DateSenderBlockU8) +
             Utf8Of(s.texts.BodyText, c.BodyU8));
    return 0;
}

}  // namespace

int CmdAffiche(const std::vector<std::string>& argsIn) {
    std::vector<std::string> args = argsIn;
    const TextOptions options = TakeTextOptions(args, false);
    std::optional<std::string> folder;
    if (int rc = TakeFolderOption(args, folder); rc != 0) return rc;
    std::vector<std::string> positional;
    bool raw = false, recover = false;
    for (const std::string& a : args) {
        if (a == "--brut")
            raw = true;
        else if (a == "--recuperer")
            recover = true;
        else if (a.size() > 1 && a[0] == '-' && a[1] == '-')
            return UsageError("option inconnue : " + a);
        else
            positional.push_back(a);
    }
    if (positional.size() != 2) return UsageError("affiche attend SOURCE et ID");
    const std::string& idText = positional[1];
    if (idText.empty() || idText.size() > 9 || idText.find_first_not_of("0123456789") != std::string::npos)
        return UsageError("ID doit être un nombre entier positif : " + idText);
    const auto id = static_cast<std::int32_t>(ParseLeadingNumber(idText));

    Session session;
    session.recover = recover;
    State& s = session.state;
    options.ApplyTo(s);
    try {
        std::string label;
        if (int rc = OpenStoreOrFolder(session, positional[0], folder, label); rc != 0) return rc;
        const std::size_t held = s.list.Mode == StoreMode::WindowsMail ? s.list.Wm.size() : s.list.Oe.size();
        if (id < 1 || id > s.list.Count || static_cast<std::size_t>(id) >= held)
            return Refuse("aucun message d'ID " + idText + " (la liste compte " + ToDecimal(s.list.Count) +
                          " messages)");
        return raw ? ShowRaw(session, id) : ShowText(session, id);
    } catch (const ProgramEnding&) {
        return 1;
    } catch (const Fault& f) {
        ShowFault(s, "ReadMsg", f);
        return 1;
    } catch (const std::bad_alloc&) {
        ShowFault(s, "ReadMsg", Fault(faults::kOutOfMemory));
        return 1;
    }
}

}  // namespace pelicard::cli
