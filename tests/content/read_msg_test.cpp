// Reading a message: the block chain of a folder file (lengths, links,
// damaged chains, the attachment cut across blocks) and a Windows Mail entry.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "common/byte_file.hpp"
#include "common/fault.hpp"
#include "content/read_msg.hpp"
#include "support/dbx_builder.hpp"
#include "support/fake_window.hpp"

using namespace pelicard;
using pelicard::testing::Le32;

namespace {

struct Block {
    std::uint32_t offset;
    std::uint16_t length;  // read for the last block only
    std::uint32_t next;
    std::string text;      // stored after the 16-byte header
};

struct ChainCase {
    const char* name;
    std::vector<Block> blocks;
    std::string expected;
    bool box = false;  // the read-past-end box was shown
    bool cut = false;
};

std::string Fill(char c, std::size_t n) { return std::string(n, c); }

// Each chain is written to a file, opened as the folder file, and read from
// its first block at 0x100.
TEST(BlockChain, LengthsLinksDamageAndAttachmentCut) {
    const std::string a = Fill('a', 512), b = Fill('b', 512), c = Fill('c', 300);
    std::vector<ChainCase> cases = {
        {"single block takes its length field", {{0x100, 300, 0, c + Fill('z', 212)}}, c},
        {"a linked block gives 512 whatever its length says", {{0x100, 100, 0x400, a}, {0x400, 3, 0, "xyz"}}, a + "xyz"},
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
    const auto path = std::filesystem::temp_directory_path() / ("pelicard_chain_" + std::to_string(::getpid()));
    for (const ChainCase& k : cases) {
        SCOPED_TRACE(k.name);
        std::string data;
        for (const Block& bl : k.blocks) {
            data.resize(std::max<std::size_t>(data.size(), bl.offset + 16 + bl.text.size()), '\0');
            data.replace(bl.offset + 8, 2, Le32(bl.length).substr(0, 2));
            data.replace(bl.offset + 12, 4, Le32(bl.next));
            data.replace(bl.offset + 16, bl.text.size(), bl.text);
        }
        std::ofstream(path, std::ios::binary) << data;
        pelicard::testing::FakeWindow window;
        State s;
        s.window = &window;
        ASSERT_TRUE(OpenByteFile(s.dbx.File, path.string()));
        s.list.Oe = {MessageEntry{}, MessageEntry{}};
        s.list.Oe[1].TextOffset = 0x100;
        EXPECT_EQ(ReadBlocksOE(s, 1), !k.expected.empty());  // something was read
        EXPECT_EQ(s.texts.RawText, k.expected);
        EXPECT_EQ(s.texts.AttachmentCut, k.cut);
        EXPECT_EQ(window.BoxTexts(), k.box ? std::vector<std::string>{faults::kReadPastEnd} : std::vector<std::string>{});
        if (k.box) { EXPECT_EQ(window.boxes[0].title, "ReadTxtMsg"); }
        EXPECT_FALSE(s.Quitting);
        CloseByteFile(s.dbx.File);
    }
    std::filesystem::remove(path);
}

// A Windows Mail entry already holds its body: it reaches the editors in every mode.
TEST(ReadMsgWm, EntryFillsTextsAndEditorsInEveryMode) {
    for (OutputMode mode : {kAlone, kFollowing}) {
        State s;
        pelicard::testing::FakeWindow w;
        s.window = &w;
        s.list.Mode = StoreMode::WindowsMail;
        WmMessageEntry e{"", "Corps\r\ndu message", "R\xE9union", "Agn\xE8s", "03/12/2007 14:05:09", "", "", ""};
        s.list.Wm = {WmMessageEntry{}, e};
        ReadMsg(s, 1, mode);
        EXPECT_EQ(s.texts.SubjectLine + s.texts.DateSenderBlock + s.texts.BodyText,
                  "Objet : R\xE9union\r\nDate : lundi 3 d\xE9" "cembre 2007 14:05\r\nExp\xE9" "diteur : Agn\xE8s\r\n\r\n"
                  "Corps\r\ndu message");
        EXPECT_EQ(w.texts["txtBody"], e.Body);
        EXPECT_EQ(w.texts["txtSubject"], e.Subject);
        EXPECT_FALSE(s.EditorUpdate);
    }
}

}  // namespace
