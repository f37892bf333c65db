#include "export/left_out.hpp"

#include "common/report.hpp"
#include "common/text.hpp"

namespace pelicard {

void NoteLeftOut(State& s, std::int32_t index, const std::string& reason, bool cut) {
    const OperationKind& o = s.ops;
    if (!o.SaveAllText && !o.SaveAllRaw && !o.SaveModifiedText && !o.SaveModifiedRaw && !o.PrintSelected) return;
    std::string subject;
    const auto i = static_cast<std::size_t>(index);
    if (s.list.Mode == StoreMode::WindowsMail ? i < s.list.Wm.size() : i < s.list.Oe.size())
        subject = s.list.Mode == StoreMode::WindowsMail ? s.list.Wm[i].Subject : s.list.Oe[i].Subject;
    s.exp.LeftOut.push_back({index, std::move(subject), reason, cut});
}

void ClearLeftOut(State& s) {
    s.exp.LeftOut.clear();
    s.exp.SkippedCount = 0;
}

std::string LeftOutLine(const ExportState::LeftOutMessage& m) {
    return ToDecimal(m.Id) + " \xAB " + m.Subject + " \xBB : " + m.Reason;
}

std::string LeftOutHeading(const State& s) {
    const auto& all = s.exp.LeftOut;
    if (all.empty()) return {};
    std::size_t cut = 0;
    for (const auto& m : all) cut += m.Cut ? 1 : 0;
    std::string text;
    if (all.size() > cut) text += ToDecimal(static_cast<long long>(all.size() - cut)) + " message(s) non enregistr\xE9(s)";
    if (cut > 0) {
        if (!text.empty()) text += ", ";
        text += ToDecimal(static_cast<long long>(cut)) + " message(s) enregistr\xE9(s) tronqu\xE9(s)";
    }
    return text;
}

std::string LeftOutSummary(const State& s) {
    const auto& all = s.exp.LeftOut;
    if (all.empty()) return {};
    std::string text = LeftOutHeading(s) + " :";
    constexpr std::size_t kShown = 40;
    for (std::size_t k = 0; k < all.size() && k < kShown; ++k)
        text += "\r\n" + LeftOutLine(all[k]) + (all[k].Cut ? " (tronqu\xE9)" : "");
    if (all.size() > kShown) text += "\r\n\x85 et " + ToDecimal(static_cast<long long>(all.size() - kShown)) + " autre(s)";
    return text;
}

void ShowLeftOut(State& s) {
    if (s.exp.LeftOut.empty()) return;
    ShowMessage(s, LeftOutSummary(s), MsgIcon::Exclamation);
    ClearLeftOut(s);
}

}  // namespace pelicard
