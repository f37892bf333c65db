// Reading a message: the attachment cut (which marker decides, where the text
// ends, where the kept text goes), the block chain of a folder file (lengths,
// links, damaged chains, the cut across blocks) and a Windows Mail entry.
#include <gtest/gtest.h>

#include "common/byte_file.hpp"
#include "common/fault.hpp"
#include "content/attachments.hpp"
#include "content/read_msg.hpp"
#include "support/dbx_builder.hpp"
#include "support/fake_window.hpp"

using namespace pelicard;
using pelicard::testing::Le32;

namespace {

TEST(Attached, MarkersCutsAndStores) {
    const std::string part = "Subject: x\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\nSalut";
    const std::vector<std::pair<std::string, std::string>> cases = {  // text, kept (same when nothing is cut)
        {"Bonjour\r\nbegin 666 photo.jpg\r\nM9V%T\r\n", "Bonjour\r\n"},
        {part + "\r\n--b\r\nCONTENT-TYPE: IMAGE/jpeg\r\n\r\n/9j/", part},
        {part + "\r\n--b\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment\r\n", part},
        {"a\r\n--b\r\nContent-Description: header.htm\r\n", "a"},
        // The first marker of the table decides, wherever the others stand.
        {"a\r\n--b\r\nContent-Disposition: attachment\r\n\r\nx\r\n--b\r\nContent-Type: video/mp4\r\n",
         "a\r\n--b\r\nContent-Disposition: attachment\r\n\r\nx"},
        {"a\r\n--b\r\nContent-Type: image/png\r\n\r\nz\r\nbegin 666 f\r\n", "a\r\n--b\r\nContent-Type: image/png\r\n\r\nz\r\n"},
        // Without a delimiter line, or with one at the very start, the cut
        // stays at the line break before the marker; markers begin a line.
        {"a\r\nContent-Type: image/png\r\n", "a\r\n"}, {"\r\n--b\r\nContent-Type: audio/x\r\n", "\r\n--b\r\n"},
        {"\r\nbegin 666 f", ""}, {"voir Content-Type: image/ ici\r\nbegin 66 x", "voir Content-Type: image/ ici\r\nbegin 66 x"},
        // The first occurrence of a marker cuts; one that ends the text counts.
        {"a\r\n--b\r\nContent-Type: image/x\r\n\r\nq\r\n--b\r\nContent-Type: image/y", "a"},
        {"a\r\nContent-Disposition: attachment", "a\r\n"}, {"a\r\nContent-Disposition: attachmen", "a\r\nContent-Disposition: attachmen"},
        {"x\r", "x\r"},
    };
    for (const auto& [in, kept] : cases) {
        SCOPED_TRACE(in);
        // Outlook Express keeps the cut in RawText; Windows Mail cuts the text.
        for (StoreMode mode : {StoreMode::OutlookExpress, StoreMode::WindowsMail}) {
            const bool oe = mode == StoreMode::OutlookExpress, cut = kept != in;
            State s;
            s.list.Mode = mode;
            s.texts.RawText = "before";
            std::string text = in;
            Attached(s, text);
            EXPECT_EQ(std::tuple(s.texts.AttachmentCut, s.texts.RawText, text),
                      std::tuple(cut, oe && cut ? kept : "before", oe ? in : kept));
        }
        // A caller re-checking a growing text may skip a prefix it found
        // clean; a marker that straddles the old end is still found.
        for (std::size_t clean = 0; clean <= in.size(); ++clean) {
            State skip, probe;
            skip.list.Mode = probe.list.Mode = StoreMode::WindowsMail;
            std::string text = in, prefix = in.substr(0, clean);
            Attached(probe, prefix);
            if (probe.texts.AttachmentCut) break;
            Attached(skip, text, clean);
            ASSERT_EQ(text, kept) << "clean prefix " << clean;
        }
    }
}

std::string Fill(char c, std::size_t n) { return std::string(n, c); }

// Each chain is written to a file, opened as the folder file, and read from
// its first block at 0x100. A block: offset, length (read for the last block
// only), next link, and the text stored after its 16-byte header.
TEST(BlockChain, LengthsLinksDamageAndAttachmentCut) {
    using Blocks = std::vector<std::tuple<std::uint32_t, std::uint16_t, std::uint32_t, std::string>>;
    struct Case { const char* name; Blocks blocks; std::string expected; bool box = false, cut = false; };  // box: read past end
    const std::string a = Fill('a', 512), b = Fill('b', 512), c = Fill('c', 300);
    std::vector<Case> cases = {
        {"single block takes its length field", {{0x100, 300, 0, c + Fill('z', 212)}}, c},
        // A linked block gives 512 whatever its length says; the last one its length.
        {"links, not file order", {{0x600, 2, 0, "fin"}, {0x100, 9, 0x800, a}, {0x800, 0, 0x600, b}}, a + b + "fi"},
        {"loop back to the first block", {{0x100, 0, 0x400, a}, {0x400, 0, 0x100, b}}, a + b},
        {"block linked to itself", {{0x100, 0, 0x100, a}}, a},
        {"next block past the end of the file", {{0x100, 0, 0x9000, a}}, a, true},
        {"next offset beyond 2^31", {{0x100, 0, 0x80000000u, a}}, a, true},
        {"last block longer than the file", {{0x100, 0, 0x400, a}, {0x400, 4000, 0, "bb"}}, a, true},
        {"first block outside the file", {{0x10, 0, 0, ""}}, "", true},
    };
    // RawText + the new block is checked, so a marker line split between two
    // blocks is found; once cut, nothing is appended and no further block is
    // read (a third block outside the file would show a box).
    const std::string part = "Bonjour\r\n\r\n--XYZ\r\nContent-Type: image/jpeg\r\n\r\n/9j/";
    for (std::size_t split : {part.size(), std::size_t{17}, std::size_t{28}}) {
        const std::string head = Fill('h', 512 - split);
        cases.push_back({"split marker", {{0x100, 0, 0x400, head + part.substr(0, split)},
                                          {0x400, 0, 0x700, part.substr(split) + Fill('j', 512 - (part.size() - split))},
                                          {0x700, 0, 0x9000, Fill('k', 512)}},
                         head + "Bonjour\r\n", false, true});
    }
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        std::string data;
        for (const auto& [offset, length, next, text] : k.blocks) {
            data.resize(std::max<std::size_t>(data.size(), offset + 16 + text.size()), '\0');
            data.replace(offset + 8, 2, Le32(length).substr(0, 2));
            data.replace(offset + 12, 4, Le32(next));
            data.replace(offset + 16, text.size(), text);
        }
        pelicard::testing::TempFile file(data);
        pelicard::testing::FakeWindow window;
        State s;
        s.window = &window;
        ASSERT_TRUE(OpenByteFile(s.dbx.File, file.path));
        s.list.Oe = {MessageEntry{}, MessageEntry{0x100, "", "", "", "", ""}};
        EXPECT_EQ(ReadBlocksOE(s, 1), !k.expected.empty());  // something was read
        EXPECT_EQ(s.texts.RawText, k.expected);
        EXPECT_EQ(s.texts.AttachmentCut, k.cut);
        EXPECT_EQ(window.BoxTexts(), k.box ? std::vector<std::string>{faults::kReadPastEnd} : std::vector<std::string>{});
        if (k.box) { EXPECT_EQ(window.boxes[0].title, "ReadTxtMsg"); }
        EXPECT_FALSE(s.Quitting);
        CloseByteFile(s.dbx.File);
    }
}

// A Windows Mail entry already holds its body: it reaches the editors in every mode.
TEST(ReadMsgWm, EntryFillsTextsAndEditorsInEveryMode) {
    for (OutputMode mode : {kAlone, kFollowing}) {
        State s;
        pelicard::testing::FakeWindow w;
        s.window = &w;
        s.list.Mode = StoreMode::WindowsMail;
        s.list.Wm = {WmMessageEntry{}, {"", "Corps", "R\xE9union", "Agn\xE8s", "03/12/2007 14:05:09", "", "", ""}};
        ReadMsg(s, 1, mode);
        EXPECT_EQ(s.texts.SubjectLine + s.texts.DateSenderBlock + s.texts.BodyText,
                  "Objet : R\xE9union\r\nDate : lundi 3 d\xE9" "cembre 2007 14:05\r\nExp\xE9" "diteur : Agn\xE8s\r\n\r\nCorps");
        EXPECT_EQ(w.texts["txtBody"] + w.texts["txtSubject"], "CorpsR\xE9union");
        EXPECT_FALSE(s.EditorUpdate);
    }
}

}  // namespace
