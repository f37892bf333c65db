// Reading a selected message: the block chain of an Outlook Express folder
// file, or the fields of a Windows Mail entry, into the working texts.
#include "content/read_msg.hpp"

#include <algorithm>
#include <climits>
#include <new>
#include <string_view>
#include <unordered_set>

#include "common/byte_file.hpp"
#include "common/fault.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "content/attachments.hpp"
#include "content/full_decode.hpp"
#include "content/mime.hpp"
#include "dbx/conversions.hpp"
#include "dbx/dates.hpp"
#include "dbx/recover.hpp"
#include "export/left_out.hpp"
#include "export/msg_end.hpp"

namespace pelicard {
namespace {

constexpr std::size_t kBlockHeader = 16;
constexpr std::size_t kFullBlock = 512;

// Every attachment line that Attached recognises begins with one of these
// after its line break. The full check only runs when the newly read text
// holds one of them; otherwise it could not cut either.
bool MayHoldMarker(std::string_view window) {
    return FindNoCase(window, "\r\ncontent-") != npos || FindNoCase(window, "\r\nbegin 666") != npos;
}

// The attachment check on RawText + BlockText. RawText held no attachment
// line before this block (it would have been cut), so only a line that
// reaches into the new block can be found: look at the seam first, and
// check the whole text only when something there may match. The whole text
// is RawText itself, lent and given back, so no block costs a copy of the
// text read before it.
void CheckAttachment(State& s) {
    WorkingTexts& t = s.texts;
    const std::size_t reach = LongestAttachmentMarker() - 1;
    const std::size_t before = t.RawText.size();
    const std::size_t keep = std::min(before, reach);
    std::string window = t.RawText.substr(before - keep);
    window += t.BlockText;
    if (!MayHoldMarker(window)) return;
    std::string whole = std::move(t.RawText);
    t.RawText.clear();
    whole += t.BlockText;
    Attached(s, whole, before);  // on a cut, RawText receives the kept text
    if (t.AttachmentCut) return;
    whole.resize(before);
    t.RawText = std::move(whole);
}

// A message of the recovery scan: its rebuilt chain, with the lost bytes of
// freed blocks marked, cut before the first attachment.
bool ReadRecoveredBlocks(State& s, std::int32_t index) {
    WorkingTexts& t = s.texts;
    DbxRecovery& r = s.dbx.Recovery;
    t.BlockText.clear();
    t.RawText.clear();
    t.AttachmentCut = false;
    t.ChainFault.clear();
    r.MarksEntry = index;
    r.Marks.clear();
    std::string whole = RecoveredChainText(s, s.list.Oe[index].RecoveredChain, &r.Marks);
    if (whole.empty()) return false;
    Attached(s, whole);
    if (!t.AttachmentCut) t.RawText = std::move(whole);
    return true;
}

// A message whose text could not be read is no part of the command's output.
void LeftOutUnread(State& s, std::int32_t index) {
    const std::string& why = s.texts.ChainFault;
    NoteLeftOut(s, index, why.empty() ? std::string("aucun texte lisible") : "texte illisible : " + why);
}

}  // namespace

bool ReadTxtMsg(State& s, std::int32_t offset) {
    if (offset == 0) return false;
    WorkingTexts& t = s.texts;
    try {
        // A block's header and the most text a block holds (fewer bytes at
        // the end of the file), through the file's read window: the blocks
        // of texts read in file order come from a few large reads.
        const std::int64_t left = s.dbx.File.size - offset;
        if (left < static_cast<std::int64_t>(kBlockHeader)) throw Fault(faults::kReadPastEnd);
        const std::string_view block =
            DbxReadView(s, offset, static_cast<std::size_t>(std::min<std::int64_t>(left, kBlockHeader + kFullBlock)));
        const std::uint32_t next = LoadU32(block.data() + 12);
        // An offset past 2^31 cannot lie in a folder file: the chain ends after
        // this block, as it does for any next block outside the file.
        const bool nextOutside = next > static_cast<std::uint32_t>(INT32_MAX);
        t.NextBlock = nextOutside ? -1 : static_cast<std::int32_t>(next);
        std::size_t length = kFullBlock;
        if (next == 0)
            length = static_cast<unsigned char>(block[8]) | static_cast<unsigned char>(block[9]) << 8;
        if (kBlockHeader + length > block.size()) throw Fault(faults::kReadPastEnd);
        t.BlockText.assign(block.substr(kBlockHeader, length));
        if (nextOutside) {
            ShowFault(s, "ReadTxtMsg", Fault(faults::kReadPastEnd));
            t.ChainFault = faults::kReadPastEnd;
        }
        if (t.AttachmentCut) {
            t.NextBlock = -1;
            return true;
        }
        CheckAttachment(s);
        return true;
    } catch (const Fault& f) {
        ShowFault(s, "ReadTxtMsg", f);
        t.ChainFault = f.Description();
    } catch (const std::bad_alloc&) {
        ShowFault(s, "ReadTxtMsg", Fault(faults::kOutOfMemory));
        t.ChainFault = faults::kOutOfMemory;
    }
    return false;
}

bool ReadBlocksOE(State& s, std::int32_t index) {
    if (index < 1 || index >= static_cast<std::int32_t>(s.list.Oe.size())) throw Fault(faults::kSubscript);
    if (s.list.Oe[index].Recovery != RecoveryState::Indexed) return ReadRecoveredBlocks(s, index);
    WorkingTexts& t = s.texts;
    const std::int32_t first = s.list.Oe[index].TextOffset;
    t.BlockText.clear();
    t.RawText.clear();
    t.AttachmentCut = false;
    t.ChainFault.clear();
    if (!ReadTxtMsg(s, first)) return false;
    if (!t.AttachmentCut) t.RawText = t.BlockText;

    // A damaged chain may point back to a block already read, or wander
    // through overlapping blocks: every offset is read once, and no more
    // blocks than the file could hold side by side.
    std::unordered_set<std::int32_t> visited{first};
    const std::int64_t maxBlocks = s.dbx.File.size / (kBlockHeader + kFullBlock) + 1;
    std::int64_t blocks = 1;
    while (t.NextBlock >= 1) {
        if (!visited.insert(t.NextBlock).second || ++blocks > maxBlocks) {
            t.ChainFault = "Cha\xEEne de blocs endommag\xE9" "e";
            break;
        }
        if (!ReadTxtMsg(s, t.NextBlock)) break;
        if (!t.AttachmentCut) t.RawText += t.BlockText;
    }
    return true;
}

void ReadMsg(State& s, std::int32_t index, OutputMode& mode) {
    RunGuarded(s, "ReadMsg", [&] {
        if (s.list.Mode == StoreMode::WindowsMail) {
            if (index < 1 || index >= static_cast<std::int32_t>(s.list.Wm.size()))
                throw Fault(faults::kSubscript);
            const WmMessageEntry& e = s.list.Wm[index];
            s.EditorUpdate = true;
            s.texts.SubjectLine = "Objet : " + e.Subject + "\r\n";
            s.texts.DateSenderBlock = "Date : " + LongDateText(e.DateText) + "\r\nExp\xE9" "diteur : " +
                                      e.Sender + "\r\n\r\n";
            s.texts.BodyText = e.Body;
            s.content.BodyU8 = e.BodyU8;
            SetCompanions(s, e.SubjectU8, e.Sender, e.SenderU8);
            ShowInEditors(s, e.Body, e.Subject);
            MsgEnd(s, index, mode);
            s.EditorUpdate = false;
            return;
        }
        if (!ReadBlocksOE(s, index)) return LeftOutUnread(s, index);
        MsgProcessing(s, index, mode);
        MsgEnd(s, index, mode);
    });
}

void ReadRawMsg(State& s, std::int32_t index, OutputMode& mode) {
    if (s.list.Mode == StoreMode::WindowsMail) {
        ReadMsg(s, index, mode);
        return;
    }
    RunGuarded(s, "ReadMsg", [&] {
        if (ReadBlocksOE(s, index))
            MsgEnd(s, index, mode);
        else
            LeftOutUnread(s, index);
    });
}

}  // namespace pelicard
