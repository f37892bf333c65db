// The shared records of the program: listed messages, the selection, the
// working texts of the current message, the operation flags and the settings.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace pelicard {

// How a listed Outlook Express message was found: through the index, or by
// the recovery scan among the blocks no index record reaches (live ones, or
// blocks the client freed when the message was deleted).
enum class RecoveryState : std::uint8_t { Indexed, Recovered, Deleted };

// The UTF-8 forms of a listed subject and sender, kept by the complete
// decoding when they hold characters beyond Windows-1252; empty otherwise.
// Held apart, and only when there are some, so that an entry without them
// (every entry of the fixed reading) costs one pointer.
class Utf8Forms {
public:
    Utf8Forms() = default;
    Utf8Forms(const Utf8Forms& o) : held_(o.held_ ? std::make_unique<Held>(*o.held_) : nullptr) {}
    Utf8Forms& operator=(const Utf8Forms& o) {
        if (this != &o) held_ = o.held_ ? std::make_unique<Held>(*o.held_) : nullptr;
        return *this;
    }
    Utf8Forms(Utf8Forms&&) noexcept = default;
    Utf8Forms& operator=(Utf8Forms&&) noexcept = default;

    const std::string& Subject() const { return held_ ? held_->subject : Empty(); }
    const std::string& Sender() const { return held_ ? held_->sender : Empty(); }
    void SetSubject(std::string utf8) { Set(held_ ? &held_->subject : nullptr, &Held::subject, std::move(utf8)); }
    void SetSender(std::string utf8) { Set(held_ ? &held_->sender : nullptr, &Held::sender, std::move(utf8)); }

private:
    struct Held {
        std::string subject, sender;
    };
    static const std::string& Empty() {
        static const std::string none;
        return none;
    }
    void Set(std::string* at, std::string Held::*field, std::string utf8) {
        if (at) *at = std::move(utf8);
        else if (!utf8.empty()) (*(held_ = std::make_unique<Held>())).*field = std::move(utf8);
    }
    std::unique_ptr<Held> held_;
};

// One listed Outlook Express message.
struct MessageEntry {
    std::int32_t TextOffset = 0;
    std::string Subject;
    std::string Sender;
    std::string DateText;   // dd/mm/yyyy hh:nn:ss, local time
    std::string DateKey;    // yyyymmdd hhnnss
    std::string ThreadKey;  // "<" + topmost subject + ">"
    RecoveryState Recovery = RecoveryState::Indexed;
    std::int32_t RecoveredChain = 0;  // 1-based chain of the recovery scan; 0 when indexed
    std::uint32_t IndexFlags = 0;  // the index record's flags (read, answered …)
    bool HasIndexFlags = false;    // the record keeps them
    Utf8Forms U8{};
};

// One listed Windows Mail message.
struct WmMessageEntry {
    std::string FilePath;   // native (UTF-8) path of the message file
    std::string Body;
    std::string Subject;
    std::string Sender;
    std::string DateText;
    std::string DateKey;
    std::string ThreadKey;
    std::string References;
    // UTF-8 forms kept by the complete decoding when the text holds
    // characters beyond Windows-1252; empty otherwise.
    std::string SubjectU8{};
    std::string SenderU8{};
    std::string BodyU8{};
};

enum class StoreMode { OutlookExpress, WindowsMail };

// The 1-based tables of the current store; entry 0 exists and is not used.
// Count is the shared N; only the table named by Mode is valid.
struct MessageList {
    StoreMode Mode = StoreMode::OutlookExpress;
    std::vector<MessageEntry> Oe{1};
    std::vector<WmMessageEntry> Wm{1};
    std::int32_t Count = 0;
};

// OutputMode of a read: one message alone, or first/following/last of a
// combined output.
enum OutputMode : std::uint8_t { kAlone = 0, kFirst = 1, kFollowing = 2, kLast = 3 };

// Working texts of the message being processed, one set for the program.
struct WorkingTexts {
    std::string RawText;
    std::string BlockText;
    std::int32_t NextBlock = 0;
    bool AttachmentCut = false;
    std::string HeaderText;
    std::string BodyText;
    std::string SubjectLine;
    std::string DateSenderBlock;
    bool IsUtf8 = false;
    // Why the last block chain read ended early (Windows-1252); empty when
    // it was read whole.
    std::string ChainFault{};
};

// Raised by the commands, read by MsgEnd, cleared by CollectSelection.
struct OperationKind {
    bool SaveAllText = false;
    bool SaveAllRaw = false;
    bool SaveModifiedText = false;
    bool SaveModifiedRaw = false;
    bool SaveAllComplete = false;  // complete copies (past the first attachment)
    bool PrintSelected = false;
    bool BatchRunning = false;
};

// The selection of the list view (1-based vectors, entry 0 unused).
struct Selection {
    std::vector<bool> RowFlags{false};
    std::vector<std::int32_t> SelectionOrder{0};
    std::int32_t SelectionCount = 0;
    std::int32_t CurrentPosition = 0;
    bool SubjectModified = false;
    bool BodyModified = false;
    std::uint8_t SortDirection = 0;  // 0 ascending, 1 descending
};

// Options kept in Pelicard.ini, with the folders stored beside them.
// Paths are native (UTF-8) strings.
struct Settings {
    std::string StorageFolder;
    std::string LastFolder;
    std::uint8_t GroupingOption = 0;
    std::uint8_t SelectionOption = 0;
    std::uint8_t ConfirmOption = 0;
};

// Process-wide values fixed at start-up. Paths are native (UTF-8) and end
// with "/" where the name says Folder.
struct Environment {
    std::string AppFolder;
    std::string MyDocumentsFolder;
    std::string StoreRoot;
    bool WindowsMailMode = false;
};

}  // namespace pelicard
