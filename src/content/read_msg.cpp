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
#include "content/mime.hpp"
#include "export/msg_end.hpp"

namespace pelicard {
namespace {

constexpr std::int64_t kBlockHeader = 16;
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

std::string LeftPad2(int n) {
    std::string r = ToDecimal(n);
    return r.size() < 2 ? "0" + r : r;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool ReadNumber(std::string_view s, std::size_t pos, std::size_t len, int& out) {
    if (pos + len > s.size()) return false;
    out = 0;
    for (std::size_t i = pos; i < pos + len; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

}  // namespace

std::string LongFrenchDate(const std::string& dateText) {
    static const char* const kDays[] = {"jeudi", "vendredi", "samedi", "dimanche",
                                        "lundi", "mardi",    "mercredi"};  // 1970-01-01 was a Thursday
    static const char* const kMonths[] = {"janvier", "f\xE9vrier", "mars",      "avril",
                                          "mai",     "juin",       "juillet",   "ao\xFBt",
                                          "septembre", "octobre",  "novembre",  "d\xE9" "cembre"};
    int d = 0, m = 0, y = 0, h = 0, n = 0, sec = 0;
    const std::string_view t = dateText;
    bool ok = ReadNumber(t, 0, 2, d) && t.size() >= 10 && t[2] == '/' && ReadNumber(t, 3, 2, m) &&
              t[5] == '/' && ReadNumber(t, 6, 4, y);
    if (ok && t.size() > 10) {
        ok = t.size() >= 16 && t[10] == ' ' && ReadNumber(t, 11, 2, h) && t[13] == ':' &&
             ReadNumber(t, 14, 2, n);
        if (ok && t.size() > 16) ok = t.size() == 19 && t[16] == ':' && ReadNumber(t, 17, 2, sec);
    }
    static const int kMonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (!ok || m < 1 || m > 12 || d < 1 || d > kMonthDays[m - 1] || (m == 2 && d == 29 && !leap) ||
        y < 100 || h > 23 || n > 59 || sec > 59)
        return dateText;
    long long days = DaysFromCivil(y, m, d);
    int wd = static_cast<int>(((days % 7) + 7) % 7);
    return std::string(kDays[wd]) + " " + ToDecimal(d) + " " + kMonths[m - 1] + " " + ToDecimal(y) + " " +
           LeftPad2(h) + ":" + LeftPad2(n);
}

bool ReadTxtMsg(State& s, std::int32_t offset) {
    if (offset == 0) return false;
    WorkingTexts& t = s.texts;
    try {
        const ByteFile& f = s.dbx.File;
        const std::int64_t at = offset;
        const std::uint32_t next = ReadU32(f, at + 12);
        // An offset past 2^31 cannot lie in a folder file: the chain ends after
        // this block, as it does for any next block outside the file.
        const bool nextOutside = next > static_cast<std::uint32_t>(INT32_MAX);
        t.NextBlock = nextOutside ? -1 : static_cast<std::int32_t>(next);
        std::size_t length = kFullBlock;
        if (next == 0) {
            std::string len = ReadBytes(f, at + 8, 2);
            length = static_cast<unsigned char>(len[0]) | static_cast<unsigned char>(len[1]) << 8;
        }
        t.BlockText = ReadBytes(f, at + kBlockHeader, length);
        if (nextOutside) ShowFault(s, "ReadTxtMsg", Fault(faults::kReadPastEnd));
        if (t.AttachmentCut) {
            t.NextBlock = -1;
            return true;
        }
        CheckAttachment(s);
        return true;
    } catch (const Fault& f) {
        ShowFault(s, "ReadTxtMsg", f);
    } catch (const std::bad_alloc&) {
        ShowFault(s, "ReadTxtMsg", Fault(faults::kOutOfMemory));
    }
    return false;
}

bool ReadBlocksOE(State& s, std::int32_t index) {
    if (index < 1 || index >= static_cast<std::int32_t>(s.list.Oe.size())) throw Fault(faults::kSubscript);
    WorkingTexts& t = s.texts;
    const std::int32_t first = s.list.Oe[index].TextOffset;
    t.BlockText.clear();
    t.RawText.clear();
    t.AttachmentCut = false;
    if (!ReadTxtMsg(s, first)) return false;
    if (!t.AttachmentCut) t.RawText = t.BlockText;

    // A damaged chain may point back to a block already read, or wander
    // through overlapping blocks: every offset is read once, and no more
    // blocks than the file could hold side by side.
    std::unordered_set<std::int32_t> visited{first};
    const std::int64_t maxBlocks = s.dbx.File.size / (kBlockHeader + kFullBlock) + 1;
    std::int64_t blocks = 1;
    while (t.NextBlock >= 1) {
        if (!visited.insert(t.NextBlock).second || ++blocks > maxBlocks) break;
        if (!ReadTxtMsg(s, t.NextBlock)) break;
        if (!t.AttachmentCut) t.RawText += t.BlockText;
    }
    return true;
}

void ReadMsg(State& s, std::int32_t index, OutputMode& mode) {
    try {
        if (s.list.Mode == StoreMode::WindowsMail) {
            if (index < 1 || index >= static_cast<std::int32_t>(s.list.Wm.size()))
                throw Fault(faults::kSubscript);
            const WmMessageEntry& e = s.list.Wm[index];
            s.EditorUpdate = true;
            s.texts.SubjectLine = "Objet : " + e.Subject + "\r\n";
            s.texts.DateSenderBlock = "Date : " + LongFrenchDate(e.DateText) + "\r\nExp\xE9" "diteur : " +
                                      e.Sender + "\r\n\r\n";
            s.texts.BodyText = e.Body;
            s.window->SetText("txtBody", e.Body);
            s.window->SetText("txtSubject", e.Subject);
            MsgEnd(s, index, mode);
            s.EditorUpdate = false;
            return;
        }
        if (!ReadBlocksOE(s, index)) return;
        MsgProcessing(s, index, mode);
        MsgEnd(s, index, mode);
    } catch (const Fault& f) {
        EndOnFault(s, "ReadMsg", f);
    } catch (const std::bad_alloc&) {
        EndOnFault(s, "ReadMsg", Fault(faults::kOutOfMemory));
    }
}

}  // namespace pelicard
