// Keeps attachments out of the program: the message text is cut just before
// the first attachment it announces.
#include "content/attachments.hpp"

#include <algorithm>
#include <array>
#include <new>
#include <string_view>

#include "common/report.hpp"
#include "common/text.hpp"
#include "content/decode_rows.hpp"

namespace pelicard {
namespace {

struct Marker {
    std::string_view line;  // searched as CR LF + line, letter case ignored
    bool trim;              // the cut also removes the part's delimiter line
};

// In this order: the first marker of the table that occurs decides the cut.
constexpr Marker kMarkers[] = {
    {"\r\nbegin 666", false},
    {"\r\ncontent-type: application/", true},
    {"\r\nContent-Type: image/", true},
    {"\r\nContent-Type: audio/", true},
    {"\r\nContent-Type: video/", true},
    {"\r\nContent-Disposition: attachment", true},
    {"\r\nContent-Description: header.htm", true},
};

constexpr std::size_t kMarkerCount = sizeof kMarkers / sizeof kMarkers[0];

// Where each marker first occurs from `from` (npos when it does not), as
// rows::Find finds it, in one pass over the line breaks of the text: every
// marker opens with one.
std::array<std::size_t, kMarkerCount> FirstMarkers(std::string_view text, std::size_t from) {
    std::array<std::size_t, kMarkerCount> first;
    first.fill(npos);
    const auto& fold = rows::FoldTable();
    std::size_t left = kMarkerCount;
    for (std::size_t q = text.find('\r', from); q != npos && left > 0; q = text.find('\r', q + 1)) {
        for (std::size_t k = 0; k < kMarkerCount; ++k) {
            const std::string_view m = kMarkers[k].line;
            if (first[k] != npos || m.size() > text.size() - q) continue;
            std::size_t i = 1;
            while (i < m.size() && fold[static_cast<unsigned char>(text[q + i])] == fold[static_cast<unsigned char>(m[i])])
                ++i;
            if (i == m.size()) {
                first[k] = q;
                --left;
            }
        }
    }
    return first;
}

}  // namespace

std::size_t LongestAttachmentMarker() {
    std::size_t m = 0;
    for (const auto& k : kMarkers) m = std::max(m, k.line.size());
    return m;
}

void Attached(State& s, std::string& text, std::size_t cleanPrefix) {
    try {
        // A marker that begins inside the clean prefix would lie wholly in it.
        const std::size_t back = LongestAttachmentMarker() - 1;
        const std::size_t from = cleanPrefix > back ? cleanPrefix - back : 0;
        const auto first = FirstMarkers(text, from);
        for (std::size_t k = 0; k < kMarkerCount; ++k)
            if (first[k] != npos && CutBeforeMarker(s, text, first[k], kMarkers[k].trim)) return;
    } catch (const Fault& f) {
        EndOnFault(s, "Attached", f);
    } catch (const std::bad_alloc&) {
        EndOnFault(s, "Attached", Fault(faults::kOutOfMemory));
    }
}

bool CutBeforeMarker(State& s, std::string& text, std::size_t markerPos, bool trimToDelimiter) {
    if (markerPos == npos || markerPos >= text.size()) return false;
    // Through the CR LF that ends the line before the marker; nothing when
    // the marker's line break opens the text.
    std::size_t keep = markerPos == 0 ? 0 : std::min(markerPos + 2, text.size());
    if (trimToDelimiter && keep > 0) {
        // The part's delimiter line ("--…") and the line break before it go.
        const std::string_view kept(text.data(), keep);
        const std::size_t r = kept.rfind("\r\n--");
        if (r != std::string_view::npos && r > 0) keep = r;
    }
    s.texts.AttachmentCut = true;
    if (s.list.Mode == StoreMode::OutlookExpress) {
        s.texts.RawText.assign(text, 0, keep);
    } else {
        text.resize(keep);
    }
    return true;
}

}  // namespace pelicard
