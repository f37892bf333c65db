#include "support/dbx_builder.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace pelicard::testing {

std::string Le32(std::uint32_t v) {
    std::string b(4, '\0');
    for (int k = 0; k < 4; ++k) b[static_cast<std::size_t>(k)] = static_cast<char>((v >> (8 * k)) & 0xFF);
    return b;
}

std::string Le24(std::uint32_t v) { return Le32(v).substr(0, 3); }

DbxAttr DbxAttr::U32(std::uint8_t id, std::uint32_t v) { return Indirect(id, Le32(v)); }

DbxAttr DbxAttr::FileTime(std::uint8_t id, std::uint64_t ft) {
    return Indirect(id, Le32(static_cast<std::uint32_t>(ft)) + Le32(static_cast<std::uint32_t>(ft >> 32)));
}

std::uint64_t FileTimeUtc(int year, int month, int day, int hour, int minute, int second) {
    // Days since 1970-01-01 (proleptic Gregorian).
    long long y = year - (month <= 2);
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    long long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    long long days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
    long long unix = days * 86400 + hour * 3600 + minute * 60 + second;
    return static_cast<std::uint64_t>(unix + 11644473600LL) * 10000000ULL;
}

DbxBuilder::DbxBuilder() : bytes_(kDbxHeaderSize, '\0'), size_(kDbxHeaderSize) {}

DbxBuilder::DbxBuilder(const std::string& path) : size_(kDbxHeaderSize) {
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) throw std::runtime_error("cannot create " + path);
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
    std::string header(kDbxHeaderSize, '\0');
    std::fwrite(header.data(), 1, header.size(), file_);
}

DbxBuilder::~DbxBuilder() {
    if (file_) std::fclose(file_);
}

std::uint32_t DbxBuilder::Append(const std::string& bytes) {
    const std::uint32_t at = size_;
    if (file_)
        std::fwrite(bytes.data(), 1, bytes.size(), file_);
    else
        bytes_ += bytes;
    size_ += static_cast<std::uint32_t>(bytes.size());
    return at;
}

std::uint32_t DbxBuilder::AddRaw(const std::string& bytes) { return Append(bytes); }

std::uint32_t DbxBuilder::AddText(const std::string& text) {
    if (text.empty()) return 0;
    const std::size_t blocks = (text.size() + 511) / 512;
    const std::uint32_t first = size_;
    std::string chain;
    chain.reserve(blocks * kDbxBlockSize);
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::uint32_t at = first + static_cast<std::uint32_t>(b * kDbxBlockSize);
        const std::size_t len = std::min<std::size_t>(512, text.size() - b * 512);
        const std::uint32_t next = b + 1 < blocks ? at + kDbxBlockSize : 0;
        chain += Le32(at) + Le32(0x200) + Le32(static_cast<std::uint32_t>(len)) + Le32(next);
        chain.append(text, b * 512, len);
        chain.append(512 - len, '\0');
    }
    Append(chain);
    return first;
}

std::pair<std::uint32_t, std::uint32_t> DbxBuilder::AddTextsInterleaved(const std::string& a, const std::string& b) {
    // Block k of a chain lands at slot 2k (a) or 2k+1 (b) while both last,
    // then the longer chain goes on alone.
    const std::size_t na = (a.size() + 511) / 512, nb = (b.size() + 511) / 512;
    std::vector<std::pair<int, std::size_t>> slots;  // (chain, block)
    for (std::size_t k = 0; k < std::max(na, nb); ++k) {
        if (k < na) slots.push_back({0, k});
        if (k < nb) slots.push_back({1, k});
    }
    const std::uint32_t base = size_;
    auto offsetOf = [&](int chain, std::size_t block) -> std::uint32_t {
        for (std::size_t s = 0; s < slots.size(); ++s)
            if (slots[s].first == chain && slots[s].second == block)
                return base + static_cast<std::uint32_t>(s * kDbxBlockSize);
        return 0;
    };
    std::string out;
    for (std::size_t s = 0; s < slots.size(); ++s) {
        const std::string& t = slots[s].first == 0 ? a : b;
        const std::size_t n = slots[s].first == 0 ? na : nb, k = slots[s].second;
        const std::size_t len = std::min<std::size_t>(512, t.size() - k * 512);
        const std::uint32_t next = k + 1 < n ? offsetOf(slots[s].first, k + 1) : 0;
        out += Le32(base + static_cast<std::uint32_t>(s * kDbxBlockSize)) + Le32(0x200) +
               Le32(static_cast<std::uint32_t>(len)) + Le32(next);
        out.append(t, k * 512, len);
        out.append(512 - len, '\0');
    }
    Append(out);
    return {na ? offsetOf(0, 0) : 0, nb ? offsetOf(1, 0) : 0};
}

std::uint32_t DbxBuilder::AddRecord(const std::vector<DbxAttr>& attrs) {
    std::string table, data;
    for (const DbxAttr& a : attrs) {
        std::uint32_t number;
        if (a.number) {
            number = *a.number;
        } else {
            number = static_cast<std::uint32_t>(data.size());
            data += a.value;
        }
        table += static_cast<char>(a.id);
        table += Le24(number);
    }
    const std::uint32_t at = size_;
    std::string rec = Le32(at) + Le32(static_cast<std::uint32_t>(table.size() + data.size()));
    rec += std::string(2, '\0');
    rec += static_cast<char>(attrs.size());
    rec += '\0';
    rec += table + data;
    return Append(rec);
}

std::uint32_t DbxBuilder::AddNode(const std::vector<DbxNodeEntry>& entries, std::uint32_t childAt08,
                                  std::uint32_t childValues) {
    const std::uint32_t at = size_;
    std::string node(std::max<std::size_t>(kDbxNodeSize, 0x18 + 12 * entries.size()), '\0');
    node.replace(0, 4, Le32(at));
    node.replace(8, 4, Le32(childAt08));
    node[0x11] = static_cast<char>(entries.size());
    node.replace(0x14, 4, Le32(childValues));
    for (std::size_t k = 0; k < entries.size(); ++k) {
        node.replace(0x18 + 12 * k, 4, Le32(entries[k].record));
        node.replace(0x1C + 12 * k, 4, Le32(entries[k].child));
        node.replace(0x20 + 12 * k, 4, Le32(entries[k].childValues));
    }
    return Append(node);
}

std::vector<DbxAttr> DbxBuilder::Attributes(const DbxMessage& m, std::uint32_t textOffset) {
    std::vector<DbxAttr> a;
    a.push_back(DbxAttr::Direct(0x80, 1));
    if (textOffset != 0) {
        // A direct value holds 3 bytes: past 16 MB the position is stored
        // indirectly, as the mail client itself does.
        if (m.directTextPosition && textOffset < (1u << 24))
            a.push_back(DbxAttr::Direct(0x84, textOffset));
        else
            a.push_back(DbxAttr::U32(0x04, textOffset));
    }
    if (m.convSubject) a.push_back(DbxAttr::Text(0x05, *m.convSubject));
    if (m.ownId) a.push_back(DbxAttr::Text(0x07, *m.ownId));
    if (m.subject) a.push_back(DbxAttr::Text(0x08, *m.subject));
    if (m.references) a.push_back(DbxAttr::Text(0x0A, *m.references));
    if (m.sender) a.push_back(DbxAttr::Text(0x0D, *m.sender));
    if (m.filetime) a.push_back(DbxAttr::FileTime(0x12, *m.filetime));
    return a;
}

std::uint32_t DbxBuilder::AddMessage(const DbxMessage& m) {
    const std::uint32_t text = m.text ? AddText(*m.text) : 0;
    return AddRecord(Attributes(m, text));
}

std::uint32_t DbxBuilder::AddTreeLevel(const std::vector<std::uint32_t>& records, std::size_t from, std::size_t to,
                                       int fanout) {
    const std::size_t total = to - from;
    const std::size_t e = std::min<std::size_t>(static_cast<std::size_t>(fanout), total);
    const std::size_t rest = total - e;
    // The records left over go below the entries and below the node's own
    // child, in chunks as even as possible.
    std::vector<std::size_t> chunk(e + 1, rest / (e + 1));
    for (std::size_t k = 0; k < rest % (e + 1); ++k) ++chunk[k];
    std::vector<DbxNodeEntry> entries(e);
    std::size_t p = from;
    for (std::size_t k = 0; k < e; ++k) {
        entries[k].record = records[p++];
        if (chunk[k] > 0) entries[k].child = AddTreeLevel(records, p, p + chunk[k], fanout);
        entries[k].childValues = static_cast<std::uint32_t>(chunk[k]);
        p += chunk[k];
    }
    const std::uint32_t child08 = chunk[e] > 0 ? AddTreeLevel(records, p, p + chunk[e], fanout) : 0;
    return AddNode(entries, child08, static_cast<std::uint32_t>(chunk[e]));
}

std::uint32_t DbxBuilder::AddTree(const std::vector<std::uint32_t>& records, int fanout) {
    if (records.empty()) return 0;
    return AddTreeLevel(records, 0, records.size(), fanout);
}

void DbxBuilder::FreeText(std::uint32_t first) {
    if (file_) throw std::logic_error("FreeText needs an in-memory builder");
    std::uint32_t at = first;
    for (std::size_t guard = 0; at != 0 && at + kDbxBlockSize <= size_ && guard < size_ / kDbxBlockSize; ++guard) {
        const std::uint32_t next = static_cast<std::uint8_t>(bytes_[at + 12]) |
                                   static_cast<std::uint8_t>(bytes_[at + 13]) << 8 |
                                   static_cast<std::uint8_t>(bytes_[at + 14]) << 16 |
                                   static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes_[at + 15])) << 24;
        bytes_.replace(at + 4, 8, Le32(0x1FC) + Le32(kDbxBlockSize));
        bytes_.replace(at + 16, 4, Le32(freeHead_));
        freeHead_ = at;
        at = next;
    }
}

std::uint32_t DbxBuilder::AddTextReusing(const std::string& text) {
    if (file_) throw std::logic_error("AddTextReusing needs an in-memory builder");
    if (text.empty()) return 0;
    const std::size_t blocks = (text.size() + 511) / 512;
    std::vector<std::uint32_t> at(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
        if (freeHead_ != 0) {
            at[b] = freeHead_;
            freeHead_ = static_cast<std::uint8_t>(bytes_[freeHead_ + 16]) |
                        static_cast<std::uint8_t>(bytes_[freeHead_ + 17]) << 8 |
                        static_cast<std::uint8_t>(bytes_[freeHead_ + 18]) << 16 |
                        static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes_[freeHead_ + 19])) << 24;
        } else {
            at[b] = Append(std::string(kDbxBlockSize, '\0'));
        }
    }
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t len = std::min<std::size_t>(512, text.size() - b * 512);
        std::string block = Le32(at[b]) + Le32(0x200) + Le32(static_cast<std::uint32_t>(len)) +
                            Le32(b + 1 < blocks ? at[b + 1] : 0);
        block.append(text, b * 512, len);
        block.append(512 - len, '\0');
        bytes_.replace(at[b], kDbxBlockSize, block);
    }
    return at[0];
}

void DbxBuilder::Cut(std::uint32_t size) {
    if (file_) throw std::logic_error("Cut needs an in-memory builder");
    bytes_.resize(std::min<std::size_t>(size, bytes_.size()));
    size_ = static_cast<std::uint32_t>(bytes_.size());
}

void DbxBuilder::Finish(std::uint32_t count, std::uint32_t root) {
    std::string head(0xE8, '\0');
    const unsigned char sig[] = {0xCF, 0xAD, 0x12, 0xFE, 0xC5, 0xFD, 0x74, 0x6F, 0x66, 0xE3, 0xD1, 0x11, 0x9A, 0x4E,
                                 0x00, 0xC0, 0x4F, 0xA3, 0x09, 0xD4, 0x05, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
    for (std::size_t k = 0; k < sizeof sig; ++k) head[k] = static_cast<char>(sig[k]);
    head.replace(0x48, 4, Le32(freeHead_));
    head.replace(0xC4, 4, Le32(count));
    head.replace(0xE4, 4, Le32(root));
    if (file_) {
        std::fseek(file_, 0, SEEK_SET);
        std::fwrite(head.data(), 1, head.size(), file_);
        std::fclose(file_);
        file_ = nullptr;
    } else {
        bytes_.replace(0, head.size(), head);
    }
}

void DbxBuilder::Patch(std::uint32_t offset, const std::string& bytes) {
    if (file_) throw std::logic_error("Patch needs an in-memory builder");
    bytes_.replace(offset, bytes.size(), bytes);
}

void DbxBuilder::WriteTo(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
}

std::string BuildDbx(const std::vector<DbxMessage>& messages, int fanout) {
    DbxBuilder b;
    std::vector<std::uint32_t> records;
    for (const DbxMessage& m : messages) records.push_back(b.AddMessage(m));
    const std::uint32_t root = b.AddTree(records, fanout);
    b.Finish(static_cast<std::uint32_t>(messages.size()), root);
    return b.Bytes();
}

TempFile::TempFile(const std::string& bytes, const std::string& name) {
    static int serial = 0;
    const auto dir = std::filesystem::temp_directory_path() /
                     ("pelicard-dbx-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::filesystem::create_directories(dir);
    path = (dir / name).string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TempFile::~TempFile() {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(path).parent_path(), ec);
}

}  // namespace pelicard::testing
