// Reading a message: the block chain of a folder file (lengths, links,
// damaged chains, the attachment cut across blocks) and the Windows Mail
// entry copied into the working texts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/byte_file.hpp"
#include "common/fault.hpp"
#include "content/read_msg.hpp"
#include "support/fake_window.hpp"

using namespace pelicard;
using pelicard::testing::FakeWindow;

namespace {

struct Block {
    std::uint32_t offset;
    std::uint16_t length;  // length field, read for the last block only
    std::uint32_t next;
    std::string text;      // bytes stored after the 16-byte header
};

// A file holding text blocks at chosen offsets, opened as the current
// folder file, and one listed message whose chain starts at `first`.
class ChainTest : public ::testing::Test {
protected:
    FakeWindow window;
    State s;
    std::filesystem::path path;

    ChainTest() {
        s.window = &window;
        static int n = 0;
        path = std::filesystem::temp_directory_path() /
               ("pelicard_chain_" + std::to_string(::getpid()) + "_" + std::to_string(++n) + ".dbx");
    }
    ~ChainTest() override {
        CloseByteFile(s.dbx.File);
        std::filesystem::remove(path);
    }

    void Build(const std::vector<Block>& blocks, std::int32_t first, std::size_t minSize = 0) {
        std::string data(minSize, '\0');
        for (const Block& b : blocks) {
            std::size_t end = b.offset + 16 + b.text.size();
            if (data.size() < end) data.resize(end, '\0');
            auto put = [&](std::size_t at, std::uint32_t v, int bytes) {
                for (int i = 0; i < bytes; ++i) data[at + i] = static_cast<char>(v >> (8 * i) & 0xFF);
            };
            put(b.offset, b.offset, 4);
            put(b.offset + 8, b.length, 2);
            put(b.offset + 12, b.next, 4);
            data.replace(b.offset + 16, b.text.size(), b.text);
        }
        std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
        ASSERT_TRUE(OpenByteFile(s.dbx.File, path.string()));
        s.list.Mode = StoreMode::OutlookExpress;
        MessageEntry e;
        e.TextOffset = first;
        e.Subject = "Sujet";
        e.Sender = "Moi";
        s.list.Oe = {MessageEntry{}, e};
        s.list.Count = 1;
    }
};

std::string Fill(char c, std::size_t n) { return std::string(n, c); }

TEST_F(ChainTest, BlockLengthsAndLinks) {
    struct Case {
        const char* name;
        std::vector<Block> blocks;
        std::int32_t first;
        std::string expected;
    };
    const std::string a = Fill('a', 512), b = Fill('b', 512), c300 = Fill('c', 300);
    const std::vector<Case> cases = {
        {"single block takes its length field", {{0x100, 300, 0, c300 + Fill('z', 212)}}, 0x100, c300},
        {"a linked block gives 512 whatever its length says",
         {{0x100, 100, 0x400, a}, {0x400, 3, 0, "xyz"}}, 0x100, a + "xyz"},
        {"blocks follow the links, not the file order",
         {{0x600, 2, 0, "fin"}, {0x100, 512, 0x800, a}, {0x800, 512, 0x600, b}}, 0x100, a + b + "fi"},
        {"last block of length 0 adds nothing", {{0x100, 0, 0x400, a}, {0x400, 0, 0, ""}}, 0x100, a},
        {"part headers that announce no attachment are kept",
         {{0x100, 0, 0x400, a.substr(0, 500) + "\r\nContent-Ty"}, {0x400, 16, 0, "pe: text/plain\r\n"}}, 0x100,
         a.substr(0, 500) + "\r\nContent-Type: text/plain\r\n"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Build(k.blocks, k.first);
        ASSERT_TRUE(ReadBlocksOE(s, 1));
        EXPECT_EQ(s.texts.RawText, k.expected);
        EXPECT_TRUE(window.boxes.empty());
        CloseByteFile(s.dbx.File);
    }
}

// Damaged chains end the walk; what was read so far stays.
TEST_F(ChainTest, DamagedChainsEndTheWalk) {
    struct Case {
        const char* name;
        std::vector<Block> blocks;
        std::string expected;
        std::vector<std::string> boxTitles;
    };
    const std::string a = Fill('a', 512), b = Fill('b', 512);
    const std::vector<Case> cases = {
        {"loop back to the first block", {{0x100, 0, 0x400, a}, {0x400, 0, 0x100, b}}, a + b, {}},
        {"block linked to itself", {{0x100, 0, 0x100, a}}, a, {}},
        {"next block past the end of the file", {{0x100, 0, 0x9000, a}}, a, {"ReadTxtMsg"}},
        {"next offset beyond 2^31", {{0x100, 0, 0x80000000u, a}}, a, {"ReadTxtMsg"}},
        {"last block longer than the file", {{0x100, 0, 0x400, a}, {0x400, 4000, 0, "bb"}}, a, {"ReadTxtMsg"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        window.boxes.clear();
        Build(k.blocks, 0x100);
        ASSERT_TRUE(ReadBlocksOE(s, 1));
        EXPECT_EQ(s.texts.RawText, k.expected);
        std::vector<std::string> titles;
        for (const auto& box : window.boxes) titles.push_back(box.title);
        EXPECT_EQ(titles, k.boxTitles);
        if (!window.boxes.empty()) {
            EXPECT_EQ(window.boxes[0].text, faults::kReadPastEnd);
        }
        EXPECT_FALSE(s.Quitting);
        CloseByteFile(s.dbx.File);
    }
}

// Overlapping blocks that never repeat an offset still stop: no more blocks
// than the file could hold side by side.
TEST_F(ChainTest, WanderingChainIsBounded) {
    std::vector<Block> blocks;
    const std::uint32_t n = 64;
    for (std::uint32_t i = 0; i < n; ++i) blocks.push_back({0x100 + 16 * i, 0, 0x100 + 16 * (i + 1), ""});
    Build(blocks, 0x100, 0x100 + 16 * n + 600);
    ASSERT_TRUE(ReadBlocksOE(s, 1));
    EXPECT_LE(s.texts.RawText.size(), static_cast<std::size_t>(s.dbx.File.size) + 512);
}

TEST_F(ChainTest, NothingShownWithoutAFirstBlock) {
    struct Case {
        const char* name;
        std::int32_t first;
        std::size_t boxes;
    };
    for (const Case& k : std::vector<Case>{{"text position 0", 0, 0}, {"first block outside the file", 0x5000, 1}}) {
        SCOPED_TRACE(k.name);
        window.boxes.clear();
        window.texts.clear();
        Build({{0x100, 3, 0, "abc"}}, k.first);
        s.texts.RawText = "ancien";
        OutputMode mode = kAlone;
        ReadMsg(s, 1, mode);
        EXPECT_EQ(window.texts.count("txtBody"), 0u);
        EXPECT_EQ(window.boxes.size(), k.boxes);
        EXPECT_FALSE(s.Quitting);
        CloseByteFile(s.dbx.File);
    }
}

// The attachment check sees RawText + the new block, even when the marker
// line straddles two blocks; once cut, nothing more is appended and only one
// more block is looked at.
TEST_F(ChainTest, AttachmentCutAcrossBlocks) {
    const std::string part = "Bonjour\r\n\r\n--XYZ\r\nContent-Type: image/jpeg\r\n\r\n/9j/";
    struct Case {
        const char* name;
        std::size_t split;  // where the first block ends inside `part`
    };
    for (const Case& k : std::vector<Case>{{"marker inside the first block", part.size()},
                                           {"marker split after its line break", 18},
                                           {"marker split inside its text", 28},
                                           {"line break split", 17}}) {
        SCOPED_TRACE(k.name);
        window.boxes.clear();
        std::string first = Fill('h', 512 - k.split) + part.substr(0, k.split);
        std::string second = part.substr(k.split) + Fill('j', 512 - (part.size() - k.split));
        // A third block outside the file would show a box if it were read.
        Build({{0x100, 0, 0x400, first}, {0x400, 0, 0x700, second}, {0x700, 0, 0x9000, Fill('k', 512)}}, 0x100);
        ASSERT_TRUE(ReadBlocksOE(s, 1));
        EXPECT_TRUE(s.texts.AttachmentCut);
        EXPECT_EQ(s.texts.RawText, Fill('h', 512 - k.split) + "Bonjour\r\n");
        EXPECT_TRUE(window.boxes.empty());
        CloseByteFile(s.dbx.File);
    }
}

TEST_F(ChainTest, MarkerNotAtALineStartDoesNotCut) {
    Build({{0x100, 0, 0x400, Fill('a', 490) + "voir Content-Type: "}, {0x400, 9, 0, "image/png"}}, 0x100);
    ASSERT_TRUE(ReadBlocksOE(s, 1));
    EXPECT_FALSE(s.texts.AttachmentCut);
    EXPECT_EQ(s.texts.RawText.size(), 512u + 9u);
}

// A Windows Mail entry already holds its body: it goes to the editors for
// every output mode, with the long French date.
TEST(ReadMsgWm, EntryFillsTextsAndEditorsInEveryMode) {
    struct EditorWatch : FakeWindow {
        State* s = nullptr;
        bool raisedWhileFilling = true;
        void SetText(std::string_view c, const std::string& t) override {
            raisedWhileFilling = raisedWhileFilling && s->EditorUpdate;
            FakeWindow::SetText(c, t);
        }
    };
    for (OutputMode m : {kAlone, kFollowing}) {
        State s;
        EditorWatch w;
        w.s = &s;
        s.window = &w;
        s.list.Mode = StoreMode::WindowsMail;
        WmMessageEntry e;
        e.Subject = "R\xE9union";
        e.Sender = "Agn\xE8s";
        e.Body = "Corps\r\ndu message";
        e.DateText = "03/12/2007 14:05:09";
        s.list.Wm = {WmMessageEntry{}, e};
        s.list.Count = 1;
        OutputMode mode = m;
        ReadMsg(s, 1, mode);
        EXPECT_EQ(s.texts.SubjectLine, "Objet : R\xE9union\r\n");
        EXPECT_EQ(s.texts.DateSenderBlock,
                  "Date : lundi 3 d\xE9" "cembre 2007 14:05\r\nExp\xE9" "diteur : Agn\xE8s\r\n\r\n");
        EXPECT_EQ(s.texts.BodyText, e.Body);
        EXPECT_EQ(w.texts["txtBody"], e.Body);
        EXPECT_EQ(w.texts["txtSubject"], e.Subject);
        EXPECT_TRUE(w.raisedWhileFilling);
        EXPECT_FALSE(s.EditorUpdate);
    }
}

}  // namespace
