// Reading a message: the block chain of a folder file (lengths, links,
// damaged chains, the attachment cut across blocks) and a Windows Mail entry.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "common/byte_file.hpp"
#include "common/fault.hpp"
#include "content/read_msg.hpp"
#include "support/fake_window.hpp"

using namespace pelicard;

namespace {

struct Block {
    std::uint32_t offset;
    std::uint16_t length;  // read for the last block only
    std::uint32_t next;
    std::string text;      // stored after the 16-byte header
};

std::string Fill(char c, std::size_t n) { return std::string(n, c); }

struct ChainCase {
    const char* name;
    std::vector<Block> blocks;
    std::string expected;
    std::vector<std::string> boxTitles = {};
    bool cut = false;
    bool read = true;  // something was read
};

// Writes the blocks to a file, opens it as the folder file and reads the
// chain of a message whose first block is at 0x100.
void CheckChain(const ChainCase& k) {
    SCOPED_TRACE(k.name);
    const auto path = std::filesystem::temp_directory_path() / ("pelicard_chain_" + std::to_string(::getpid()));
    std::string data;
    for (const Block& b : k.blocks) {
        data.resize(std::max<std::size_t>(data.size(), b.offset + 16 + b.text.size()), '\0');
        for (int i = 0; i < 4; ++i) data[b.offset + 12 + i] = static_cast<char>(b.next >> (8 * i));
        data[b.offset + 8] = static_cast<char>(b.length & 0xFF);
        data[b.offset + 9] = static_cast<char>(b.length >> 8);
        data.replace(b.offset + 16, b.text.size(), b.text);
    }
    std::ofstream(path, std::ios::binary) << data;
    pelicard::testing::FakeWindow window;
    State s;
    s.window = &window;
    ASSERT_TRUE(OpenByteFile(s.dbx.File, path.string()));
    MessageEntry e;
    e.TextOffset = 0x100;
    s.list.Oe = {MessageEntry{}, e};
    EXPECT_EQ(ReadBlocksOE(s, 1), k.read);
    EXPECT_EQ(s.texts.RawText, k.expected);
    EXPECT_EQ(s.texts.AttachmentCut, k.cut);
    std::vector<std::string> titles;
    for (const auto& box : window.boxes) {
        titles.push_back(box.title);
        EXPECT_EQ(box.text, faults::kReadPastEnd);
    }
    EXPECT_EQ(titles, k.boxTitles);
    EXPECT_FALSE(s.Quitting);
    CloseByteFile(s.dbx.File);
    std::filesystem::remove(path);
}

TEST(BlockChain, LengthsLinksAndDamagedChains) {
    const std::string a = Fill('a', 512), b = Fill('b', 512), c = Fill('c', 300);
    const std::vector<ChainCase> cases = {
        {"single block takes its length field", {{0x100, 300, 0, c + Fill('z', 212)}}, c},
        {"a linked block gives 512 whatever its length says", {{0x100, 100, 0x400, a}, {0x400, 3, 0, "xyz"}},
         a + "xyz"},
        {"links, not file order", {{0x600, 2, 0, "fin"}, {0x100, 9, 0x800, a}, {0x800, 0, 0x600, b}}, a + b + "fi"},
        {"loop back to the first block", {{0x100, 0, 0x400, a}, {0x400, 0, 0x100, b}}, a + b},
        {"block linked to itself", {{0x100, 0, 0x100, a}}, a},
        {"next block past the end of the file", {{0x100, 0, 0x9000, a}}, a, {"ReadTxtMsg"}},
        {"next offset beyond 2^31", {{0x100, 0, 0x80000000u, a}}, a, {"ReadTxtMsg"}},
        {"last block longer than the file", {{0x100, 0, 0x400, a}, {0x400, 4000, 0, "bb"}}, a, {"ReadTxtMsg"}},
        {"first block outside the file", {{0x10, 0, 0, ""}}, "", {"ReadTxtMsg"}, false, false},
    };
    for (const ChainCase& k : cases) CheckChain(k);
}

// RawText + the new block is checked, so a marker line split between two
// blocks is found; once cut, nothing is appended and no further block is
// read past the next one (a third block outside the file would show a box).
TEST(BlockChain, AttachmentCutAcrossBlocks) {
    const std::string part = "Bonjour\r\n\r\n--XYZ\r\nContent-Type: image/jpeg\r\n\r\n/9j/";
    std::vector<ChainCase> cases;
    for (std::size_t split : {part.size(), std::size_t{17}, std::size_t{18}, std::size_t{28}}) {
        const std::string head = Fill('h', 512 - split);
        cases.push_back({"split", {{0x100, 0, 0x400, head + part.substr(0, split)},
                                   {0x400, 0, 0x700, part.substr(split) + Fill('j', 512 - (part.size() - split))},
                                   {0x700, 0, 0x9000, Fill('k', 512)}},
                         head + "Bonjour\r\n", {}, true});
    }
    // Part headers that announce no attachment, and markers within a line, stay.
    const std::string a = Fill('a', 500);
    cases.push_back({"text part header", {{0x100, 0, 0x400, a + "\r\nContent-Ty"}, {0x400, 16, 0, "pe: text/plain\r\n"}},
                     a + "\r\nContent-Type: text/plain\r\n"});
    const std::string inLine = Fill('a', 499) + " Content-Type";
    cases.push_back({"not at a line start", {{0x100, 0, 0x400, inLine}, {0x400, 8, 0, ": image/"}}, inLine + ": image/"});
    for (const ChainCase& k : cases) CheckChain(k);
}

// A Windows Mail entry already holds its body: it reaches the editors in
// every output mode, with EditorUpdate raised while they are filled.
TEST(ReadMsgWm, EntryFillsTextsAndEditorsInEveryMode) {
    struct Watch : pelicard::testing::FakeWindow {
        State* s = nullptr;
        bool raised = true;
        void SetText(std::string_view c, const std::string& t) override {
            raised = raised && s->EditorUpdate;
            FakeWindow::SetText(c, t);
        }
    };
    for (OutputMode mode : {kAlone, kFollowing}) {
        State s;
        Watch w;
        w.s = &s;
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
        EXPECT_TRUE(w.raised);
        EXPECT_FALSE(s.EditorUpdate);
    }
}

}  // namespace
