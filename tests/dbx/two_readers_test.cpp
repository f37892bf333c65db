// A large file's records are read by two threads, its tables laid out during
// the walk: the list, the rows, the boxes and the progress come out as with
// one thread, damaged records and faults in either half included.
#include "dbx_fixture.hpp"

namespace pelicard::testing {
namespace {

using Strings = std::vector<std::string>;

// 9 000 messages in conversations, with senders and dates of every kind;
// `damage` is applied to the built bytes before listing.
struct Case {
    const char* name;
    void (*damage)(DbxBuilder& b, const std::vector<std::uint32_t>& records);
};

void NoDamage(DbxBuilder&, const std::vector<std::uint32_t>&) {}
// Records whose marker no longer matches, in both halves: left out.
void BadMarkers(DbxBuilder& b, const std::vector<std::uint32_t>& r) {
    for (std::size_t k : {10u, 4000u, 4600u, 8999u}) b.Patch(r[k], Le32(1));
}
// A record whose length cannot hold its table: the opening ends on a fault.
void FaultInSecondHalf(DbxBuilder& b, const std::vector<std::uint32_t>& r) { b.Patch(r[7000] + 4, Le32(2)); }
void FaultInFirstHalf(DbxBuilder& b, const std::vector<std::uint32_t>& r) { b.Patch(r[1200] + 4, Le32(2)); }
void FaultInBoth(DbxBuilder& b, const std::vector<std::uint32_t>& r) {
    FaultInFirstHalf(b, r);
    FaultInSecondHalf(b, r);
}

struct Listing {
    std::int32_t count = 0;
    Strings fields, rows, boxes;
    double progress = 0;
    bool quitting = false;
};

class TwoReaders : public DbxTest, public ::testing::WithParamInterface<Case> {
protected:
    Listing ListWith(const std::string& bytes, bool oneReader) {
        window = FakeWindow{};
        s = State{};
        s.window = &window, s.timeZone = &zone;
        s.dbx.OneReader = oneReader;
        Listing out;
        try {
            // Two readers go with the tables laid out during the walk.
            if (oneReader) {
                List(bytes);
            } else if (const std::int32_t root = Open(bytes)) {
                ListIndexOE(s, root);
            }
        } catch (const ProgramEnding&) {
        }
        out.count = s.list.Count;
        for (std::int32_t i = 1; i <= s.list.Count; ++i) {
            const MessageEntry& e = s.list.Oe[static_cast<std::size_t>(i)];
            out.fields.push_back(e.Subject + "|" + e.Sender + "|" + e.DateText + "|" + e.DateKey + "|" + e.ThreadKey +
                                 "|" + std::to_string(e.TextOffset) + "|" + std::to_string(e.IndexFlags));
        }
        for (const Strings& row : window.rows)
            for (const std::string& cell : row) out.rows.push_back(cell);
        out.boxes = window.BoxTexts();
        out.progress = s.ProgressValue;
        out.quitting = s.Quitting;
        return out;
    }
};

TEST_P(TwoReaders, GiveWhatOneReaderGives) {
    DbxBuilder b;
    std::vector<std::uint32_t> records;
    for (int k = 0; k < 9000; ++k) {
        const std::string topic = "Sujet " + std::to_string(k % 37);
        DbxMessage m = Msg(k % 3 ? "Re: " + topic : topic, "<m" + std::to_string(k) + ">",
                           k % 3 ? "<m" + std::to_string(k - k % 3) + ">" : "", topic);
        m.sender = k % 5 ? "Exp\xE9" "diteur " + std::to_string(k % 11) : "";
        m.filetime = FileTimeUtc(1999 + k % 9, 1 + k % 12, 1 + k % 28, k % 24, k % 60, k % 59);
        if (k % 97 == 0) m.text.reset();
        if (k % 13 == 0) m.directTextPosition = true;
        if (k % 211 == 0) m.subject.reset();
        records.push_back(b.AddMessage(m));
    }
    b.Finish(static_cast<std::uint32_t>(records.size()), b.AddTree(records));
    GetParam().damage(b, records);
    // Large enough for its tables to be laid out ahead (512 bytes a message).
    ASSERT_GE(b.Bytes().size(), 9000u * 512);

    const Listing one = ListWith(b.Bytes(), true);
    const Listing two = ListWith(b.Bytes(), false);
    EXPECT_EQ(two.count, one.count);
    EXPECT_EQ(two.fields, one.fields);
    EXPECT_EQ(two.rows, one.rows);
    EXPECT_EQ(two.boxes, one.boxes);
    EXPECT_EQ(two.progress, one.progress);
    EXPECT_EQ(two.quitting, one.quitting);
    if (GetParam().damage == NoDamage) EXPECT_EQ(one.count, 9000 - 93);
    if (GetParam().damage == FaultInSecondHalf || GetParam().damage == FaultInBoth) EXPECT_TRUE(one.quitting);
}

INSTANTIATE_TEST_SUITE_P(Files, TwoReaders,
                         ::testing::Values(Case{"Intact", NoDamage}, Case{"BadMarkers", BadMarkers},
                                           Case{"FaultInSecondHalf", FaultInSecondHalf},
                                           Case{"FaultInFirstHalf", FaultInFirstHalf},
                                           Case{"FaultInBoth", FaultInBoth}),
                         [](const auto& info) { return std::string(info.param.name); });

// «Annuler» while the two threads read: the list is emptied as with one.
TEST_F(DbxTest, AnnulerWhileTwoThreadsReadEmptiesTheList) {
    std::vector<DbxMessage> messages;
    for (int k = 0; k < 9000; ++k) messages.push_back(Msg("Sujet " + std::to_string(k), "<c" + std::to_string(k) + ">"));
    // The third look at the window comes at the 2 000th record, while the
    // second thread reads.
    window.onDoEvents = [this] { s.CancelRequested = window.doEvents >= 3; };
    ASSERT_TRUE(List(BuildDbx(messages)));
    EXPECT_EQ(s.list.Count, 0);
    EXPECT_EQ(s.list.Oe.size(), 1u);
    EXPECT_EQ(s.dbx.Records.size(), 1u);
}

}  // namespace
}  // namespace pelicard::testing
