#include "dbx/list_oe.hpp"

#include <atomic>
#include <algorithm>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "common/fault.hpp"
#include "common/large_pages.hpp"
#include "common/progress.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "content/charsets.hpp"
#include "content/decode.hpp"
#include "content/full_decode.hpp"
#include "dbx/conversation.hpp"
#include "dbx/dates.hpp"
#include "dbx/index_record.hpp"
#include "dbx/tree.hpp"

namespace pelicard {

namespace {

std::string CutAtNul(std::string v) {
    const std::size_t z = v.find('\0');
    if (z != std::string::npos) v.resize(z);
    return v;
}

// TrimSpaces in place.
std::string TrimmedOfSpaces(std::string v) {
    const std::size_t first = v.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    v.erase(v.find_last_not_of(' ') + 1);
    v.erase(0, first);
    return v;
}

// The flags of a record: a 4-byte value (0x01) or the entry's own number (0x81).
void TakeFlags(State& s, std::int32_t i, int k, MessageEntry& e) {
    if (s.dbx.HeldTable[static_cast<std::size_t>(4 * k)] == '\x81') {
        e.IndexFlags = LoadU24(s.dbx.HeldTable.data() + 4 * k + 1);
    } else {
        const std::string v = ParamICarValue(s, i, 0x01, 4);
        if (v.size() < 4) return;
        e.IndexFlags = LoadU32(v.data());
    }
    e.HasIndexFlags = true;
}

// Where phase 1 puts the values of one record.
struct RecordValues {
    MessageEntry& entry;
    std::string& conversationSubject;
    std::string& referenceChain;
};

RecordValues ValuesOf(State& s, std::int32_t i) {
    const auto k = static_cast<std::size_t>(i);
    return {s.list.Oe[k], s.dbx.ConversationSubject[k], s.dbx.ReferenceChain[k]};
}

// Phase 1 for one record: takes its display values, keeps its text position
// and releases its bytes. `s` reads the record (its file, read window and
// record table); the values go to `out`.
void TakeRecordValues(State& s, std::int32_t i, RecordValues out) {
    DbxIndexRecord& r = s.dbx.Records[static_cast<std::size_t>(i)];
    if (r.RecordOffset <= 0) return;
    ReadIndexRecord(s, i);
    if (!r.Read) return;
    MessageEntry& e = out.entry;
    for (int k = 0; k < r.AttributeCount; ++k) {
        const int d = static_cast<unsigned char>(s.dbx.HeldTable[static_cast<std::size_t>(4 * k)]);
        if (d == 0x01 || d == 0x81) {
            TakeFlags(s, i, k, e);
            continue;
        }
        if (d != 0x05 && d != 0x07 && d != 0x08 && d != 0x0A && d != 0x0D && d != 0x12) continue;
        std::string v = ParamICarValue(s, i, d, Greater(s, i, d));
        switch (d) {
            case 0x05:
                v = CutAtNul(std::move(v));
                if (s.content.FullDecoding && WantsFullDecoding(v)) v = Utf8ToCp1252(DecodeHeaderValue(v));
                out.conversationSubject = StandardSubject(std::move(v));
                break;
            case 0x07:
                e.ThreadKey = TrimmedOfSpaces(CutAtNul(std::move(v)));
                break;
            case 0x08:
                if (v.find('\0') != std::string::npos) {
                    v = CutAtNul(std::move(v));
                    ReplaceNoCaseInPlace(v, "Re: ", "");
                }
                e.Subject = std::move(v);
                break;
            case 0x0A: {
                v = CutAtNul(std::move(v));
                std::erase(v, ' ');
                out.referenceChain = std::move(v);
                break;
            }
            case 0x0D:
                e.Sender = CutAtNul(std::move(v));
                if (s.content.FullDecoding && WantsFullDecoding(e.Sender)) {
                    std::string u8;
                    e.Sender = FromUtf8(DecodeHeaderValue(e.Sender), u8);
                    e.U8.SetSender(std::move(u8));
                }
                break;
            case 0x12:
                e.DateText = DateString(s, v);
                // The sort key of a full date is its digits in another order,
                // worked out here while the text is at hand; a shorter text
                // keeps it for the list fill (see BuildList).
                if (e.DateText.size() >= 19) e.DateKey = DateSort(s, e.DateText);
                break;
        }
    }
    r.TextOffset = FindTextOffset(s, i);
    r.Read = false;
    s.dbx.HeldRecord = -1;
}

template <class T>
void Shrink(std::vector<T>& v, std::size_t size) {
    v.resize(size);
}

// Phase 1 of a large file is read by two threads: this one reads the
// second half of the record table on a thread of its own, with a reader
// state of its own (read window, held record, a copy of the record table),
// and puts the values straight into the shared tables, at entries the
// first thread never touches. Every record is read by the same procedure
// as on one thread, so the tables come out the same.
class SecondReader {
public:
    SecondReader(State& s, std::int32_t from, std::int32_t to) : from_(from), to_(to), next_(from) {
        reader_.timeZone = s.timeZone;
        reader_.dbx.File = s.dbx.File;
        reader_.dbx.Records = s.dbx.Records;
        thread_ = std::thread([this, &s] { Run(s); });
    }
    SecondReader(const SecondReader&) = delete;
    SecondReader& operator=(const SecondReader&) = delete;
    ~SecondReader() { Stop(); }

    // Stops between two records and waits for the thread.
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }

    // Waits for the thread and keeps the state of the records it read; the
    // first record it did not read (past `to` when it read them all). A
    // record whose reading failed is not kept: its values are emptied again,
    // and the first thread reads it and meets the fault itself.
    std::int32_t Finish(State& s) {
        if (thread_.joinable()) thread_.join();
        for (std::int32_t i = from_; i < next_; ++i)
            s.dbx.Records[static_cast<std::size_t>(i)] = reader_.dbx.Records[static_cast<std::size_t>(i)];
        if (next_ <= to_) {
            const RecordValues v = ValuesOf(s, next_);
            v.entry = MessageEntry{};
            v.conversationSubject.clear();
            v.referenceChain.clear();
        }
        return next_;
    }

private:
    void Run(State& s) {
        try {
            for (; next_ <= to_ && !stop_; ++next_) TakeRecordValues(reader_, next_, ValuesOf(s, next_));
        } catch (...) {
            // Left to the first thread (see Finish).
        }
    }

    State reader_;
    const std::int32_t from_, to_;
    std::int32_t next_;  // read by the first thread only once the thread has ended
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Records from which phase 1 is read by two threads; below, one thread is
// quicker than starting another.
constexpr std::int32_t kRecordsForTwoReaders = 8192;

// Lets the window run; true when the user asked the opening to stop, the
// build's tables then released (the opener empties the list). A second
// reader still running is stopped first.
bool StopAsked(State& s, std::optional<SecondReader>* second = nullptr) {
    s.window->DoEvents();
    if (!s.CancelRequested) return false;
    if (second) second->reset();
    s.window->ShowProgress(false);
    s.dbx.ConversationSubject = {};
    s.dbx.ReferenceChain = {};
    s.dbx.Records = std::vector<DbxIndexRecord>(1);
    s.list.Oe.assign(1, MessageEntry{});
    s.list.Count = 0;
    return true;
}

// Records read between two looks at the window during the first phase.
constexpr std::int32_t kRecordsBetweenLooks = 1000;

}  // namespace

void AdvanceProgressRange(State& s, std::int64_t from, std::int64_t to) {
    if (from < 1) from = 1;
    if (to < from) return;
    std::int64_t first = (from + 99) / 100 * 100;
    if (first > to) return;
    std::int64_t steps = (to - first) / 100 + 1;
    // The bar runs through 0, 5 … 100 and back to 0: 21 values. Once on
    // that cycle, whole turns change nothing.
    constexpr std::int64_t kCycle = 21;
    auto onCycle = [&] {
        double v = s.ProgressValue;
        return v >= 0 && v <= 100 && static_cast<double>(static_cast<long long>(v / 5)) * 5 == v;
    };
    while (steps > 0 && !onCycle()) {
        AdvanceProgress(s, 100);
        --steps;
    }
    if (steps > 2 * kCycle) steps = kCycle + steps % kCycle;
    for (; steps > 0; --steps) AdvanceProgress(s, 100);
}

namespace {

// The tables of the list build, every entry empty.
struct ListTables {
    std::vector<MessageEntry> entries;
    std::vector<std::string> subjects, chains;
};

// Gives `table` `size` empty entries: those of `ready` when it has enough
// and not more than twice as many (it is left empty), new ones otherwise.
template <class T>
void TakeTable(std::vector<T>& table, std::vector<T>* ready, std::size_t size) {
    if (ready != nullptr && ready->size() >= size && ready->size() / 2 <= size) {
        table = std::move(*ready);
        table.resize(size);
    } else {
        if (ready != nullptr) std::vector<T>().swap(*ready);
        AssignInLargePages(table, size, T{});
    }
}

// The list build over the collected records; `ready` holds tables made
// ahead, or is null.
void BuildList(State& s, ListTables* ready) {
    try {
        DbxState& d = s.dbx;
        // The walk never collects more than the announced count, so the
        // collected records bound every table here, whatever the header says.
        const std::int32_t announced = d.AnnouncedCount;
        const std::int32_t m = static_cast<std::int32_t>(d.Records.size()) - 1;
        const auto size = static_cast<std::size_t>(m) + 1;
        s.list.Mode = StoreMode::OutlookExpress;
        TakeTable(s.list.Oe, ready ? &ready->entries : nullptr, size);
        s.list.Count = 0;
        s.window->ShowProgress(true);
        s.window->SetPanelText(3, "  Phases de construction");
        if (StopAsked(s)) return;
        // A record without a conversation subject keeps an empty one, which
        // counts as the subject of an empty subject (see SeedConversations).
        TakeTable(d.ConversationSubject, ready ? &ready->subjects : nullptr, size);
        TakeTable(d.ReferenceChain, ready ? &ready->chains : nullptr, size);

        // The complete decoding goes through the MIME library: one thread.
        const std::int32_t split = m >= kRecordsForTwoReaders && !s.content.FullDecoding && !d.OneReader ? m / 2 : m;
        std::optional<SecondReader> second;
        if (split < m) second.emplace(s, split + 1, m);
        for (std::int32_t i = 1; i <= split; ++i) {
            TakeRecordValues(s, i, ValuesOf(s, i));
            AdvanceProgress(s, i);
            if (i % kRecordsBetweenLooks == 0 && StopAsked(s, &second)) return;
        }
        const std::int32_t unread = second ? second->Finish(s) : m + 1;
        second.reset();
        for (std::int32_t i = split + 1; i <= m; ++i) {
            if (i >= unread) TakeRecordValues(s, i, ValuesOf(s, i));
            AdvanceProgress(s, i);
            if (i % kRecordsBetweenLooks == 0 && StopAsked(s)) return;
        }
        AdvanceProgressRange(s, m + 1, announced);
        s.window->SetPanelText(4, "1");
        if (StopAsked(s)) return;

        std::int32_t n = 0;
        for (std::int32_t i = 1; i <= m; ++i) {
            const std::int32_t t = FindTextOffset(s, i);
            if (t > 0) {
                ++n;
                const auto k = static_cast<std::size_t>(n), from = static_cast<std::size_t>(i);
                MessageEntry& to = s.list.Oe[k];
                MessageEntry& src = s.list.Oe[from];
                std::string subject = std::move(src.Subject);
                if (k != from) {
                    to.Sender = std::move(src.Sender);
                    to.U8 = std::move(src.U8);
                    to.DateText = std::move(src.DateText);
                    to.DateKey = std::move(src.DateKey);
                    to.ThreadKey = std::move(src.ThreadKey);
                    to.IndexFlags = src.IndexFlags;
                    to.HasIndexFlags = src.HasIndexFlags;
                    d.ConversationSubject[k] = std::move(d.ConversationSubject[from]);
                    d.ReferenceChain[k] = std::move(d.ReferenceChain[from]);
                }
                to.TextOffset = t;
                if (!subject.empty()) {
                    std::erase_if(subject, [](char c) { return c >= 1 && c <= 31; });
                    if (s.content.FullDecoding && WantsFullDecoding(subject)) {
                        std::string u8;
                        to.Subject = FromUtf8(DecodeHeaderValue(subject), u8);
                        to.U8.SetSubject(std::move(u8));
                    } else {
                        to.Subject = Decode(s, std::move(subject));
                    }
                } else {
                    to.Subject = "(Objet non pr\xE9" "cis\xE9)";
                }
            }
            AdvanceProgress(s, i);
        }
        AdvanceProgressRange(s, m + 1, announced);
        s.list.Count = n;
        s.window->SetPanelText(4, "2");
        if (StopAsked(s)) return;

        if (n == 0) {
            ShowMessage(s, "Ce fichier ne contient aucun message complet", MsgIcon::Information);
            s.window->ShowProgress(false);
            d.ConversationSubject = {};
            d.ReferenceChain = {};
            Shrink(s.list.Oe, 1);
            return;
        }

        d.Records = std::vector<DbxIndexRecord>(1);
        const auto kept = static_cast<std::size_t>(n) + 1;
        Shrink(s.list.Oe, kept);
        Shrink(d.ConversationSubject, kept);
        Shrink(d.ReferenceChain, kept);

        SeedConversations(s);
        PropagateConversations(s);

        s.window->SetPanelText(4, "5");
        if (StopAsked(s)) return;
        d.ConversationSubject = {};
        d.ReferenceChain = {};
        Shrink(s.list.Oe, kept);

        SortOEByID(s, 1, n);

        s.window->ListSetSorting(false, 0, false);
        for (std::int32_t i = 1; i <= n; ++i) {
            MessageEntry& e = s.list.Oe[static_cast<std::size_t>(i)];
            const int row = s.window->ListAddRow(e.Subject);
            s.window->ListAddSubItem(row, e.Sender);
            s.window->ListAddSubItem(row, e.DateText);
            if (e.DateKey.empty()) e.DateKey = DateSort(s, e.DateText);
            s.window->ListAddSubItem(row, e.DateKey);
            s.window->ListAddSubItem(row, ToDecimal(i));
            AdvanceProgress(s, i);
        }
        s.window->ListSetSelected(1, false);
        s.window->SetPanelText(3, "  Messages s\xE9lectionn\xE9s");
        s.window->SetPanelText(4, "");
        s.window->ShowProgress(false);
    } catch (const Fault& e) {
        EndOnFault(s, "CompleteListOE", e);
    }
}

// A message takes at least an index record and one text block of 512
// bytes: a file holds no more than its size / 512 of them.
constexpr std::int64_t kSmallestMessageBytes = 512;

}  // namespace

void CompleteListOE(State& s) { BuildList(s, nullptr); }

void ListIndexOE(State& s, std::int32_t root) {
    // The tables of a large file take some time to lay out: a second thread
    // makes them ready for the announced count, as far as the file can hold
    // that many messages, while this one walks the tree. Tables too small
    // for what the walk collects, or far too large (a damaged header or
    // tree), are not used.
    const std::int64_t expected = std::min<std::int64_t>(s.dbx.AnnouncedCount, s.dbx.File.size / kSmallestMessageBytes);
    ListTables ready;
    std::thread maker;
    if (expected >= kRecordsForTwoReaders) {
        const auto size = static_cast<std::size_t>(expected) + 1;
        try {
            maker = std::thread([&ready, size] {
                try {
                    AssignInLargePages(ready.entries, size, MessageEntry{});
                    AssignInLargePages(ready.subjects, size, std::string());
                    AssignInLargePages(ready.chains, size, std::string());
                } catch (const std::bad_alloc&) {
                    ready = ListTables{};  // the build makes its own
                }
            });
        } catch (const std::system_error&) {
            // No second thread: the build lays them out itself.
        }
    }
    struct Joined {
        std::thread& thread;
        ~Joined() {
            if (thread.joinable()) thread.join();
        }
    } joined{maker};
    StartTreeWalk(s, root);
    if (maker.joinable()) maker.join();
    BuildList(s, &ready);
}

bool IsRefusedDbxName(const std::string& fileName) {
    return EqualsNoCase(fileName, "pop3uidl.dbx") || EqualsNoCase(fileName, "offline.dbx") ||
           EqualsNoCase(fileName, "folders.dbx");
}

std::string RefusedDbxText(const std::string& fileName) {
    return "La lecture du fichier " + fileName + " n'est pas autoris\xE9" "e";
}

std::string DbxSummaryLabel(const State& s, const std::string& fileName) {
    return ToDecimal(s.list.Count) + "/" + ToDecimal(s.dbx.AnnouncedCount) +
           " messages complets/contenus dans le fichier " + fileName;
}

}  // namespace pelicard
