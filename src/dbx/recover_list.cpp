// The list entries of the recovered chains: their texts as rebuilt, their
// fields from their own header lines, their conversation order.
#include <algorithm>

#include "common/fault.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "content/decode.hpp"
#include "dbx/conversation.hpp"
#include "dbx/dates.hpp"
#include "dbx/recover.hpp"
#include "wm/dates.hpp"
#include "wm/read_msg_wm.hpp"

namespace pelicard {
namespace {

constexpr std::size_t kHeaderReach = 64 * 1024;  // header lines are looked for this far

// The text of a chain, block by block, until `enough` says it has what it needs.
template <typename Enough>
std::string ChainText(State& s, std::int32_t chain, std::vector<std::size_t>* marks, Enough&& enough) {
    const DbxRecovery& r = s.dbx.Recovery;
    std::string out;
    if (chain < 1 || static_cast<std::size_t>(chain) >= r.ChainStart.size()) return out;
    for (std::uint32_t k = r.ChainStart[static_cast<std::size_t>(chain) - 1];
         k < r.ChainStart[static_cast<std::size_t>(chain)]; ++k) {
        const RecoveredBlock& b = r.Blocks[k];
        if (b.Freed && marks) {
            marks->push_back(out.size());
            out += kLostBytesMark;
        }
        out += ReadBytesUpTo(s.dbx.File, std::int64_t{b.Offset} + (b.Freed ? 20 : 16), b.Length);
        if (enough(out)) break;
    }
    return out;
}

std::string WithoutSpaces(std::string v) {
    std::erase(v, ' ');
    return v;
}

// The list fields from the header lines, read as the Windows Mail reader
// reads them; the conversation subject and references for the key phases.
void TakeHeaderFields(State& s, const std::string& text, MessageEntry& e, std::string& convSubject,
                      std::string& references) {
    WorkingTexts& t = s.texts;
    const std::size_t p = FindExact(text, "\r\n\r\n");
    t.HeaderText.assign(text, 0, p == npos ? text.size() : p);
    // Each message says for itself whether it is UTF-8.
    t.IsUtf8 = FindNoCase(t.HeaderText, "utf-8") != npos;
    e.Sender = TrimSpaces(Decode(s, DecodeWords(ExtracItem(s, "From:"))));
    std::string v = DecodeWords(ExtracItem(s, "Subject:"));
    ReplaceNoCaseInPlace(v, "Re: ", "");
    std::erase(v, '\n');
    std::erase(v, '\r');
    std::string subject = TrimSpaces(Decode(s, std::move(v)));
    convSubject = StandardSubject(subject);
    e.Subject = subject.empty() ? std::string(kNoSubjectWM) : std::move(subject);
    e.DateText = MsgTime(s, ExtracItem(s, "Date:"));
    e.ThreadKey = WithoutSpaces(ExtracItem(s, "Message-ID:"));
    references = WithoutSpaces(ExtracItem(s, "References:"));
    t.HeaderText.clear();
}

}  // namespace

std::string RecoveredChainText(State& s, std::int32_t chain, std::vector<std::size_t>* marks) {
    return ChainText(s, chain, marks, [](const std::string&) { return false; });
}

const std::string& RawCopyText(State& s, std::int32_t index, std::string& scratch) {
    const DbxRecovery& r = s.dbx.Recovery;
    if (s.list.Mode != StoreMode::OutlookExpress || r.Marks.empty() || r.MarksEntry != index) return s.texts.RawText;
    const std::string& raw = s.texts.RawText;
    const std::size_t len = std::char_traits<char>::length(kLostBytesMark);
    scratch.clear();
    scratch.reserve(raw.size());
    std::size_t from = 0;
    for (std::size_t m : r.Marks) {
        if (m < from || m + len > raw.size()) break;
        scratch.append(raw, from, m - from);
        from = m + len;
    }
    scratch.append(raw, from, npos);
    return scratch;
}

const char* RecoveryStateName(RecoveryState r) {
    switch (r) {
        case RecoveryState::Recovered: return "r\xE9" "cup\xE9r\xE9";
        case RecoveryState::Deleted: return "supprim\xE9";
        default: return "index\xE9";
    }
}

std::int32_t RecoverMessages(State& s, const bool* cancel) {
    std::vector<ScannedBlock> blocks;
    s.window->SetPanelText(3, "  Recherche des messages r\xE9" "cup\xE9rables");
    s.window->DoEvents();
    const bool done = ScanTextBlocks(s.dbx.File, blocks, cancel);
    DbxRecovery& r = s.dbx.Recovery;
    r.RecoveredCount = r.DeletedCount = 0;
    r.MarksEntry = 0;
    r.Marks.clear();
    if (!done) {
        r.Blocks.clear();
        r.ChainStart.assign(1, 0);
        return 0;
    }
    BuildRecoveredChains(s, blocks);
    blocks = {};
    r.Scanned = true;
    const auto chains = static_cast<std::int32_t>(r.ChainStart.size()) - 1;
    if (chains == 0) {
        if (s.list.Count == 0)
            ShowMessage(s, "Aucun texte de message n'a \xE9t\xE9 trouv\xE9 dans ce fichier : rien n'a pu \xEAtre r\xE9" "cup\xE9r\xE9.",
                        MsgIcon::Information);
        return 0;
    }

    // The entries are built and ordered in a state of their own, then put
    // behind the indexed ones.
    State part;
    part.timeZone = s.timeZone;
    const auto size = static_cast<std::size_t>(chains) + 1;
    part.list.Oe.assign(size, MessageEntry{});
    part.dbx.ConversationSubject.assign(size, EmptyConversationSubject());
    part.dbx.ReferenceChain.assign(size, std::string());
    const bool utf8 = s.texts.IsUtf8;
    for (std::int32_t k = 1; k <= chains; ++k) {
        const std::string head = ChainText(s, k, nullptr, [](const std::string& t) {
            return t.size() >= kHeaderReach || FindExact(t, "\r\n\r\n") != npos;
        });
        MessageEntry& e = part.list.Oe[static_cast<std::size_t>(k)];
        TakeHeaderFields(s, head, e, part.dbx.ConversationSubject[static_cast<std::size_t>(k)],
                         part.dbx.ReferenceChain[static_cast<std::size_t>(k)]);
        const RecoveredBlock& first = r.Blocks[r.ChainStart[static_cast<std::size_t>(k) - 1]];
        e.TextOffset = static_cast<std::int32_t>(first.Offset);
        e.Recovery = first.Freed ? RecoveryState::Deleted : RecoveryState::Recovered;
        e.RecoveredChain = k;
        ++(first.Freed ? r.DeletedCount : r.RecoveredCount);
    }
    s.texts.IsUtf8 = utf8;
    part.list.Count = chains;
    SeedConversations(part);
    PropagateConversations(part);
    SortOEByID(part, 1, chains);

    const std::int32_t n = s.list.Count;
    s.list.Oe.resize(static_cast<std::size_t>(n) + 1);
    s.list.Oe.reserve(static_cast<std::size_t>(n) + size);
    for (std::int32_t k = 1; k <= chains; ++k) {
        MessageEntry& e = part.list.Oe[static_cast<std::size_t>(k)];
        e.DateKey = DateSort(s, e.DateText);
        s.list.Oe.push_back(std::move(e));
        const MessageEntry& m = s.list.Oe.back();
        const int row = s.window->ListAddRow(m.Subject);
        s.window->ListAddSubItem(row, m.Sender);
        s.window->ListAddSubItem(row, m.DateText);
        s.window->ListAddSubItem(row, m.DateKey);
        s.window->ListAddSubItem(row, ToDecimal(n + k));
    }
    s.list.Count = n + chains;
    s.window->SetPanelText(3, "  Messages s\xE9lectionn\xE9s");
    return chains;
}

}  // namespace pelicard
