#include "support/fake_window.hpp"

namespace pelicard::testing {

void FakeWindow::SetText(std::string_view c, const std::string& t) {
    texts[std::string(c)] = t;
    log.push_back("text " + std::string(c));
}
std::string FakeWindow::GetText(std::string_view c) {
    auto it = texts.find(c);
    return it == texts.end() ? std::string() : it->second;
}
void FakeWindow::SetEnabled(std::string_view c, bool on) {
    enabled[std::string(c)] = on;
    log.push_back(std::string(on ? "enable " : "disable ") + std::string(c));
}
bool FakeWindow::IsEnabled(std::string_view c) {
    auto it = enabled.find(c);
    return it == enabled.end() ? true : it->second;
}
void FakeWindow::SetVisible(std::string_view c, bool on) {
    visible[std::string(c)] = on;
    log.push_back(std::string(on ? "show " : "hide ") + std::string(c));
}
bool FakeWindow::IsVisible(std::string_view c) {
    auto it = visible.find(c);
    return it == visible.end() ? true : it->second;
}
void FakeWindow::SetChecked(std::string_view c, bool on) { checked[std::string(c)] = on; }
void FakeWindow::SetPanelText(int p, const std::string& t) {
    panels[p] = t;
    log.push_back("panel " + std::to_string(p) + " " + t);
}
void FakeWindow::SetPanelWidth(int p, int w) { panelWidths[p] = w; }
void FakeWindow::ShowProgress(bool v) {
    progressVisible = v;
    log.push_back(v ? "show Bar" : "hide Bar");
}
void FakeWindow::SetProgress(double v) {
    progress = v;
    progressValues.push_back(v);
}
void FakeWindow::ListClear() {
    rows.clear();
    selected.clear();
    log.push_back("list clear");
}
int FakeWindow::ListAddRow(const std::string& t) {
    rows.push_back({t});
    selected.push_back(false);
    return static_cast<int>(rows.size());
}
void FakeWindow::ListAddSubItem(int r, const std::string& t) {
    if (r >= 1 && r <= static_cast<int>(rows.size())) rows[r - 1].push_back(t);
}
int FakeWindow::ListRowCount() { return static_cast<int>(rows.size()); }
std::string FakeWindow::ListCellText(int r, int c) {
    if (r < 1 || r > static_cast<int>(rows.size())) return {};
    const auto& row = rows[r - 1];
    return c >= 1 && c <= static_cast<int>(row.size()) ? row[c - 1] : std::string();
}
bool FakeWindow::ListIsSelected(int r) {
    return r >= 1 && r <= static_cast<int>(selected.size()) && selected[r - 1];
}
void FakeWindow::ListSetSelected(int r, bool on) {
    if (r >= 1 && r <= static_cast<int>(selected.size())) selected[r - 1] = on;
}
void FakeWindow::ListSetSorting(bool s, int k, bool d) {
    sorted = s;
    sortKey = k;
    sortDescending = d;
}
MsgResult FakeWindow::MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                                 MsgButtons buttons) {
    boxes.push_back({text, title, icon, buttons});
    log.push_back("box " + text);
    if (buttons == MsgButtons::Ok) return MsgResult::Ok;
    if (answers.empty()) return MsgResult::No;
    MsgResult r = answers.front();
    answers.pop_front();
    return r;
}
void FakeWindow::SetHourglass(bool on) { hourglass = on; }
void FakeWindow::DoEvents() {
    ++doEvents;
    if (onDoEvents) onDoEvents();
}
void FakeWindow::Beep() { ++beeps; }
void FakeWindow::Close() {
    closed = true;
    log.push_back("close");
}
std::vector<std::string> FakeWindow::BoxTexts() const {
    std::vector<std::string> r;
    for (const auto& b : boxes) r.push_back(b.text);
    return r;
}

}  // namespace pelicard::testing
