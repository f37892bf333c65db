// The recovery scan over built stores: deleted messages written as the
// client deletes them, and the damage that old copies bring.
#include <algorithm>
#include <functional>

#include "content/read_msg.hpp"
#include "dbx/recover.hpp"
#include "dbx_fixture.hpp"

namespace pelicard::testing {
namespace {

const std::string kMark = "[\x85]";

// A message of `blocks` full blocks and a short last one; every byte tells
// where it stands, so a block out of place shows.
std::string Text(const std::string& name, int blocks) {
    std::string t = "From: " + name + "\r\nSubject: " + name + "\r\nMessage-ID: <" + name + "@x>\r\n\r\n";
    for (int k = 0; static_cast<int>(t.size()) < blocks * 512 + 100; ++k)
        t += name.substr(0, 1) + std::to_string(k) + (k % 8 == 7 ? "\r\n" : " ");
    t.resize(static_cast<std::size_t>(blocks) * 512 + 100);
    return t;
}

// What a freed chain shows: each block's text behind the mark of its lost
// first 4 bytes; without marks, what a raw copy holds.
std::string Freed(const std::string& text, bool marks = true) {
    std::string out;
    for (std::size_t k = 0; k < text.size(); k += 512)
        out += (marks ? kMark : "") + text.substr(k + 4, std::min<std::size_t>(508, text.size() - k - 4));
    return out;
}

const std::string A = Text("Alpha", 2), B = Text("Bravo", 2), C = Text("Charlie", 2), D = Text("Delta", 2);

// A, B and C indexed, D deleted between B and C.
struct Store {
    DbxBuilder b;
    std::uint32_t a = 0, bb = 0, c = 0, d = 0;  // first blocks
    std::vector<std::uint32_t> records;
    void Add(std::uint32_t& at, const std::string& subject, const std::string& text, bool indexed = true) {
        at = b.AddText(text);
        DbxMessage m;
        m.subject = subject;
        const std::uint32_t rec = b.AddRecord(DbxBuilder::Attributes(m, at));
        if (indexed) records.push_back(rec);
    }
    Store() {
        Add(a, "Alpha", A);
        Add(bb, "Bravo", B);
        Add(d, "Delta", D, false);
        Add(c, "Charlie", C);
        b.FreeText(d);
    }
    std::string Finish() {
        b.Finish(static_cast<std::uint32_t>(records.size()), b.AddTree(records));
        return b.Bytes();
    }
};

class RecoverTest : public DbxTest {
protected:
    IndexRead Recover(const std::string& bytes) {
        file = std::make_unique<TempFile>(bytes, "store.dbx");
        s.dbx.ChosenPath = file->path;
        const IndexRead r = ReadIndexGuarded(s);
        RecoverMessages(s);
        return r;
    }
    // "state subject: shown text" of every entry, in list order.
    std::vector<std::string> Rows() {
        std::vector<std::string> out;
        for (std::int32_t i = 1; i <= s.list.Count; ++i) {
            const MessageEntry& e = s.list.Oe[static_cast<std::size_t>(i)];
            EXPECT_TRUE(ReadBlocksOE(s, i));
            out.push_back(std::string(RecoveryStateName(e.Recovery)) + " " + e.Subject + ": " + s.texts.RawText);
        }
        return out;
    }
    std::string Raw(std::int32_t i) {
        std::string scratch;
        EXPECT_TRUE(ReadBlocksOE(s, i));
        return RawCopyText(s, i, scratch);
    }
};

std::string Row(const char* state, const std::string& subject, const std::string& text) {
    return std::string(state) + " " + subject + ": " + text;
}
const char* const kIdx = "index\xE9";
const char* const kRec = "r\xE9" "cup\xE9r\xE9";
const char* const kDel = "supprim\xE9";
const std::string kNone = "(Objet non pr\xE9" "cis\xE9)";

TEST_F(RecoverTest, DamageTable) {
    struct Case {
        const char* name;
        std::function<void(Store&)> damage;
        IndexRead read;
        std::vector<std::string> rows;
    };
    const std::string cut = C.substr(0, 512 + 200);
    const std::vector<Case> cases = {
        {"intact", [](Store&) {}, IndexRead::Listed,
         {Row(kIdx, "Alpha", A), Row(kIdx, "Bravo", B), Row(kIdx, "Charlie", C), Row(kDel, "Delta", Freed(D))}},
        {"wiped header", [](Store& st) { st.b.Patch(0, std::string(kDbxHeaderSize, '\0')); }, IndexRead::Damaged,
         {Row(kRec, "Alpha", A), Row(kRec, "Bravo", B), Row(kRec, "Charlie", C), Row(kDel, "Delta", Freed(D))}},
        {"zeroed root", [](Store& st) { st.b.Patch(0xE4, Le32(0)); }, IndexRead::Damaged,
         {Row(kRec, "Alpha", A), Row(kRec, "Bravo", B), Row(kRec, "Charlie", C), Row(kDel, "Delta", Freed(D))}},
        // Cut inside C's second block: the tree is gone, C keeps what is left.
        {"cut inside a chain", [](Store& st) { st.b.Cut(st.c + kDbxBlockSize + 16 + 200); }, IndexRead::Damaged,
         {Row(kRec, "Alpha", A), Row(kRec, "Bravo", B), Row(kRec, "Charlie", cut), Row(kDel, "Delta", Freed(D))}},
        // C's last block names its first: the loop is read once.
        // (The index's reading takes the whole last block, as it always has.)
        {"loop", [](Store& st) { st.b.Patch(st.c + 2 * kDbxBlockSize + 12, Le32(st.c)); }, IndexRead::Listed,
         {Row(kIdx, "Alpha", A), Row(kIdx, "Bravo", B), Row(kIdx, "Charlie", C + std::string(412, '\0')),
          Row(kDel, "Delta", Freed(D))}},
        // A loop no index reaches starts at the block that begins like a message.
        {"loop, no index",
         [](Store& st) {
             st.b.Patch(st.c + 2 * kDbxBlockSize + 12, Le32(st.c));
             st.b.Patch(0xE4, Le32(0));
         },
         IndexRead::Damaged,
         {Row(kRec, "Alpha", A), Row(kRec, "Bravo", B), Row(kRec, "Charlie", C), Row(kDel, "Delta", Freed(D))}},
        // B's second block claims A's last one too: A keeps it, B ends short
        // and its own last block stands alone.
        {"claimed twice",
         [](Store& st) {
             st.b.Patch(st.bb + kDbxBlockSize + 12, Le32(st.a + 2 * kDbxBlockSize));
             st.b.Patch(0xE4, Le32(0));
         },
         IndexRead::Damaged,
         {Row(kRec, kNone, B.substr(1024)), Row(kRec, "Alpha", A), Row(kRec, "Bravo", B.substr(0, 1024)),
          Row(kRec, "Charlie", C), Row(kDel, "Delta", Freed(D))}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Store st;
        st.Finish();
        c.damage(st);
        const std::string bytes = st.b.Bytes();
        s = State{};
        s.window = &window, s.timeZone = &zone;
        EXPECT_EQ(Recover(bytes), c.read);
        EXPECT_EQ(Rows(), c.rows);
        CloseByteFile(s.dbx.File);
    }
}

// A 64 KB hole in a long chain leaves its head and a headless tail.
TEST_F(RecoverTest, HoleSplitsAChain) {
    DbxBuilder b;
    const std::string big = Text("Echo", 200);
    const std::uint32_t e = b.AddText(big);
    const std::uint32_t hole = e + 50 * kDbxBlockSize;
    b.Patch(hole, std::string(65536, '\0'));
    b.Finish(1, 0);
    Recover(b.Bytes());
    // Blocks wholly or partly inside the hole are gone.
    const std::uint32_t lost = (65536 + kDbxBlockSize - 1) / kDbxBlockSize;
    const std::size_t tail = (50 + lost) * 512;
    EXPECT_EQ(Rows(), (std::vector<std::string>{Row(kRec, kNone, big.substr(tail)), Row(kRec, "Echo", big.substr(0, 50 * 512))}));
}

// A freed chain whose last block a new message took: the deleted message
// keeps its first blocks, the new one is whole.
TEST_F(RecoverTest, FreedChainPartlyReused) {
    Store st;
    const std::string e = Text("Foxtrot", 0);
    std::uint32_t at = st.b.AddTextReusing(e);
    DbxMessage m;
    m.subject = "Foxtrot";
    st.records.push_back(st.b.AddRecord(DbxBuilder::Attributes(m, at)));
    EXPECT_EQ(at, st.d + 2 * kDbxBlockSize);  // the head of the free list: D's last block
    Recover(st.Finish());
    EXPECT_EQ(Rows().back(), Row(kDel, "Delta", Freed(D.substr(0, 1024))));
    EXPECT_EQ(s.list.Count, 5);
    EXPECT_EQ(s.dbx.Recovery.DeletedCount, 1);
}

TEST_F(RecoverTest, RawCopiesAreTheStoredTexts) {
    Store st;
    st.b.Patch(0, std::string(kDbxHeaderSize, '\0'));
    Recover(st.Finish());
    ASSERT_EQ(s.list.Count, 4);
    EXPECT_EQ(Raw(1), A);
    EXPECT_EQ(Raw(3), C);
    EXPECT_EQ(Raw(4), Freed(D, false));
}

TEST_F(RecoverTest, NoTextAtAllIsToldAndListsNothing) {
    const std::string noise(20000, 'x');
    EXPECT_EQ(Recover(noise), IndexRead::Damaged);
    EXPECT_EQ(s.list.Count, 0);
    ASSERT_FALSE(window.boxes.empty());
    EXPECT_NE(window.boxes.back().text.find("rien n'a pu"), std::string::npos);
}

}  // namespace
}  // namespace pelicard::testing
