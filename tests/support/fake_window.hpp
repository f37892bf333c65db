// A scripted window for the tests: remembers every control state, panel,
// list row and message box, and answers questions from a queue.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/ports.hpp"

namespace pelicard::testing {

struct ShownBox {
    std::string text;
    std::string title;
    MsgIcon icon;
    MsgButtons buttons;
};

class FakeWindow : public WindowPort {
public:
    std::map<std::string, std::string, std::less<>> texts;
    std::map<std::string, bool, std::less<>> enabled;
    std::map<std::string, bool, std::less<>> visible;
    std::map<std::string, bool, std::less<>> checked;
    std::map<int, std::string> panels;
    std::map<int, int> panelWidths;
    std::pair<std::string, std::string> filesWritten;  // the last save's notice and folder
    std::vector<std::vector<std::string>> rows;  // rows[r-1][c-1]
    std::vector<bool> selected;
    bool progressVisible = false;
    double progress = 0;
    std::vector<double> progressValues;
    std::vector<ShownBox> boxes;
    std::deque<MsgResult> answers;  // answers to YesNo boxes; No when empty
    std::vector<std::string> log;   // every call in order, for order checks
    int doEvents = 0;
    std::function<void()> onDoEvents;  // runs at each DoEvents, after the count
    int beeps = 0;
    bool closed = false;
    bool hourglass = false;
    bool sorted = false;
    int sortKey = 0;
    bool sortDescending = false;

    void SetText(std::string_view control, const std::string& text) override;
    std::string GetText(std::string_view control) override;
    void SetEnabled(std::string_view control, bool on) override;
    bool IsEnabled(std::string_view control) override;
    void SetVisible(std::string_view control, bool on) override;
    bool IsVisible(std::string_view control) override;
    void SetChecked(std::string_view control, bool on) override;
    void SetPanelText(int panel, const std::string& text) override;
    void SetPanelWidth(int panel, int twips) override;
    void ShowFilesWritten(const std::string& text, const std::string& folder) override { filesWritten = {text, folder}; }
    void ShowProgress(bool v) override;
    void SetProgress(double value) override;
    void ListClear() override;
    int ListAddRow(const std::string& text) override;
    void ListAddSubItem(int row, const std::string& text) override;
    int ListRowCount() override;
    std::string ListCellText(int row, int column) override;
    bool ListIsSelected(int row) override;
    void ListSetSelected(int row, bool on) override;
    void ListSetSorting(bool sorted, int sortKey, bool descending) override;
    MsgResult MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                         MsgButtons buttons) override;
    void SetHourglass(bool on) override;
    void DoEvents() override;
    void Beep() override;
    void Close() override;

    // Texts of the boxes shown so far.
    std::vector<std::string> BoxTexts() const;
};

}  // namespace pelicard::testing
