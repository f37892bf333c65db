// Builds Outlook Express folder files (.dbx) in code: header, index-tree
// nodes, index records with chosen attributes, and chained text blocks.
// Objects are appended in the order they are added; each Add returns the
// file offset of what it wrote. The bytes live in memory, or stream to a
// file for large stores (only the header is written back at the end).
#pragma once
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace pelicard::testing {

inline constexpr std::uint32_t kDbxHeaderSize = 0x24BC;
inline constexpr std::uint32_t kDbxNodeSize = 0x27C;
inline constexpr std::uint32_t kDbxBlockSize = 0x210;
inline constexpr int kDbxNodeEntries = 51;  // entries that fit a node of 0x27C bytes

// One attribute-table entry. Indirect (identifier below 0x80): `value` goes
// into the data area and the entry holds its offset there, unless `number`
// is set, which then is stored as is (no value written). Direct (0x80 and
// above): the entry holds `number`.
struct DbxAttr {
    std::uint8_t id = 0;
    std::string value;
    std::optional<std::uint32_t> number;

    static DbxAttr Indirect(std::uint8_t id, std::string value) { return {id, std::move(value), std::nullopt}; }
    // A text value, stored with its terminating NUL.
    static DbxAttr Text(std::uint8_t id, const std::string& text) { return Indirect(id, text + std::string(1, '\0')); }
    static DbxAttr Direct(std::uint8_t id, std::uint32_t number) { return {id, {}, number}; }
    static DbxAttr U32(std::uint8_t id, std::uint32_t v);
    static DbxAttr FileTime(std::uint8_t id, std::uint64_t ft);
};

struct DbxNodeEntry {
    std::uint32_t record = 0;
    std::uint32_t child = 0;
    std::uint32_t childValues = 0;  // records in the child's subtree (stored at +8)
};

// A message as the client stores it; unset fields get no attribute.
struct DbxMessage {
    std::optional<std::string> subject;        // 0x08
    std::optional<std::string> convSubject;    // 0x05
    std::optional<std::string> ownId;          // 0x07
    std::optional<std::string> references;     // 0x0A
    std::optional<std::string> sender;         // 0x0D
    std::optional<std::uint64_t> filetime;     // 0x12
    std::optional<std::string> text;           // stored message; none = incomplete
    bool directTextPosition = false;           // 0x84 instead of 0x04
};

// FILETIME of a UTC date-time.
std::uint64_t FileTimeUtc(int year, int month, int day, int hour, int minute, int second);

class DbxBuilder {
public:
    // In memory.
    DbxBuilder();
    // Streaming to a file (created or truncated); Finish writes the header.
    explicit DbxBuilder(const std::string& path);
    ~DbxBuilder();
    DbxBuilder(const DbxBuilder&) = delete;
    DbxBuilder& operator=(const DbxBuilder&) = delete;

    // A chain of 0x210-byte blocks holding text; 0 for an empty text.
    std::uint32_t AddText(const std::string& text);
    // Two chains whose blocks alternate in the file; returns both first offsets.
    std::pair<std::uint32_t, std::uint32_t> AddTextsInterleaved(const std::string& a, const std::string& b);
    // An index record: marker, L, attribute count, table, data area.
    std::uint32_t AddRecord(const std::vector<DbxAttr>& attrs);
    // A tree node holding the entries, with childAt08 as its own child
    // (childValues: the records below it, stored at 0x14).
    std::uint32_t AddNode(const std::vector<DbxNodeEntry>& entries, std::uint32_t childAt08 = 0,
                          std::uint32_t childValues = 0);
    // The text (if any) and the record of a message; returns the record offset.
    std::uint32_t AddMessage(const DbxMessage& m);
    // A tree over the records in that walk order: nodes of up to `fanout`
    // entries, the first entry of each node after the first level holding a
    // child subtree. Returns the root offset (0 for no record).
    std::uint32_t AddTree(const std::vector<std::uint32_t>& records, int fanout = kDbxNodeEntries);
    // Raw bytes appended as they are.
    std::uint32_t AddRaw(const std::string& bytes);

    // Deletes a text as the client does (in memory only): each block of the
    // chain from `first`, in chain order, gets the freed header (self, 0x1FC,
    // 0x210, its old next left as it was, the free-list link over its first
    // 4 text bytes) and becomes the head of the free list (0x48).
    void FreeText(std::uint32_t first);
    // A text written as the client writes a new one (in memory only): into
    // the blocks of the free list first, head first, then appended.
    std::uint32_t AddTextReusing(const std::string& text);
    std::uint32_t FreeHead() const { return freeHead_; }

    // Writes the header: signatures, count (0xC4), root (0xE4), free list (0x48).
    void Finish(std::uint32_t count, std::uint32_t root);
    // Overwrites bytes already written (in memory only).
    void Patch(std::uint32_t offset, const std::string& bytes);
    // Cuts the bytes at `size` (in memory only).
    void Cut(std::uint32_t size);

    std::uint32_t Size() const { return size_; }
    const std::string& Bytes() const { return bytes_; }
    // Writes the in-memory bytes to a file.
    void WriteTo(const std::string& path) const;

    static std::vector<DbxAttr> Attributes(const DbxMessage& m, std::uint32_t textOffset);

private:
    std::uint32_t Append(const std::string& bytes);
    std::uint32_t AddTreeLevel(const std::vector<std::uint32_t>& records, std::size_t from, std::size_t to, int fanout);
    std::string bytes_;
    std::FILE* file_ = nullptr;
    std::uint32_t size_ = 0;
    std::uint32_t freeHead_ = 0;
};

// A whole file of messages in one node tree: count = number of messages.
std::string BuildDbx(const std::vector<DbxMessage>& messages, int fanout = kDbxNodeEntries);
// Little-endian bytes of a number.
std::string Le32(std::uint32_t v);
std::string Le24(std::uint32_t v);

// A temporary file that is removed with the object.
struct TempFile {
    std::string path;
    explicit TempFile(const std::string& bytes, const std::string& name = "store.dbx");
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
};

}  // namespace pelicard::testing
