#include "content/complete.hpp"

#include <new>
#include <unordered_set>

#include "common/fault.hpp"
#include "common/text.hpp"
#include "dbx/recover.hpp"

namespace pelicard {
namespace {

constexpr std::size_t kHeader = 16;
constexpr std::size_t kUsualText = 512;

std::string At(std::int64_t offset) {
    return " (bloc \xE0 la position " + ToDecimal(static_cast<long long>(offset)) + ")";
}

}  // namespace

CompleteText ReadCompleteChain(const ByteFile& f, std::int64_t first) {
    CompleteText out;
    if (first <= 0) {
        out.problem = "Ce message n'a pas de texte enregistr\xE9";
        return out;
    }
    std::unordered_set<std::int64_t> seen;
    std::int64_t offset = first;
    try {
        while (offset != 0) {
            if (offset < 0 || offset + static_cast<std::int64_t>(kHeader) > f.size) {
                out.problem = "Bloc de texte hors du fichier : texte coup\xE9" + At(offset);
                break;
            }
            if (!seen.insert(offset).second) {
                out.problem = "Cha\xEEne de blocs qui revient sur elle-m\xEAme : texte coup\xE9" + At(offset);
                break;
            }
            // The header and the text most blocks hold, in one read.
            std::string block = ReadBytesUpTo(f, offset, kHeader + kUsualText);
            if (LoadU32(block.data()) != static_cast<std::uint32_t>(offset)) {
                out.problem = "Bloc de texte endommag\xE9 : texte coup\xE9" + At(offset);
                break;
            }
            const std::size_t length = static_cast<unsigned char>(block[8]) |
                                       static_cast<std::size_t>(static_cast<unsigned char>(block[9])) << 8;
            const std::uint32_t next = LoadU32(block.data() + 12);
            if (offset + static_cast<std::int64_t>(kHeader + length) > f.size ||
                static_cast<std::int64_t>(out.bytes.size() + length) > f.size) {
                out.problem = "Bloc de texte plus long que le fichier : texte coup\xE9" + At(offset);
                break;
            }
            if (length <= block.size() - kHeader)
                out.bytes.append(block, kHeader, length);
            else
                out.bytes += ReadBytes(f, offset + static_cast<std::int64_t>(kHeader), length);
            offset = next;
        }
    } catch (const Fault& e) {
        out.problem = e.Description() + At(offset);
    } catch (const std::bad_alloc&) {
        out.problem = faults::kOutOfMemory;
    }
    return out;
}

CompleteText ReadComplete(State& s, std::int32_t index) {
    CompleteText out;
    if (s.list.Mode == StoreMode::WindowsMail) {
        if (index < 1 || index >= static_cast<std::int32_t>(s.list.Wm.size())) throw Fault(faults::kSubscript);
        try {
            out.bytes = ReadWholeFile(s.list.Wm[static_cast<std::size_t>(index)].FilePath);
        } catch (const Fault& e) {
            out.problem = e.Description();
        } catch (const std::bad_alloc&) {
            out.problem = faults::kOutOfMemory;
        }
        return out;
    }
    if (index < 1 || index >= static_cast<std::int32_t>(s.list.Oe.size())) throw Fault(faults::kSubscript);
    const MessageEntry& e = s.list.Oe[static_cast<std::size_t>(index)];
    if (e.RecoveredChain != 0) {
        out.bytes = RecoveredChainText(s, e.RecoveredChain);
        if (out.bytes.empty()) out.problem = "Ce message n'a pas de texte enregistr\xE9";
        return out;
    }
    return ReadCompleteChain(s.dbx.File, e.TextOffset);
}

}  // namespace pelicard
