// The options menu: the two grouping options, the confirmation choice, the
// storage folder, the printer, the help and the About box.
#include "ui/options_menu.hpp"

#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

#include "app/ports.hpp"
#include "app/locations.hpp"
#include "app/services.hpp"
#include "app/startup.hpp"
#include "common/report.hpp"
#include "ui/commands.hpp"
#include "ui/decoding_options.hpp"

namespace pelicard {
namespace {

// Check marks and labels of the two grouping options follow their values,
// so that the menu shows only what is in force.
void ShowGroupingOptions(State& s) {
    const bool grouping = s.settings.GroupingOption == 1;
    const bool selection = s.settings.SelectionOption == 1;
    s.window->SetChecked("mnuGrouping", grouping);
    s.window->SetVisible("lblGrouping", grouping);
    s.window->SetChecked("mnuSelection", selection);
    s.window->SetVisible("lblSelection", selection);
}

void ShowConfirmOption(State& s) {
    const bool dontAsk = s.settings.ConfirmOption == 1;
    s.window->SetChecked("mnuConfirm(0)", dontAsk);
    s.window->SetChecked("mnuConfirm(1)", !dontAsk);
}

// Turns one grouping option on (and the other off), or turns it off.
void ToggleOption(State& s, std::uint8_t& option, std::uint8_t& other) {
    if (option != 1) {
        option = 1;
        other = 0;
    } else {
        option = 0;
    }
    ShowGroupingOptions(s);
}

// The folder that holds `folder`: the text before its last separator.
std::string ParentOf(const std::string& folder) {
    const auto cut = folder.find_last_of('/');
    return cut == std::string::npos ? std::string() : folder.substr(0, cut);
}

}  // namespace

void ShowOptionsState(State& s) {
    ShowGroupingOptions(s);
    ShowConfirmOption(s);
    ShowTextOptions(s);
}

void mnuGrouping_Click(State& s) {
    RunGuarded(s, "mnuGrouping_Click",
            [&] { ToggleOption(s, s.settings.GroupingOption, s.settings.SelectionOption); });
}

void mnuSelection_Click(State& s) {
    RunGuarded(s, "mnuSelection_Click",
            [&] { ToggleOption(s, s.settings.SelectionOption, s.settings.GroupingOption); });
}

void mnuConfirm_Click(State& s, int index) {
    RunGuarded(s, "mnuConfirm_Click", [&] {
        if (index != 0 && index != 1) return;
        // The marks mirror ConfirmOption (item 0 checked exactly when it is
        // 1). Reversing item i's mark and giving the other the opposite
        // reverses item 0's mark whichever item was clicked.
        s.settings.ConfirmOption = s.settings.ConfirmOption == 1 ? 0 : 1;
        ShowConfirmOption(s);
    });
}

void mnuStorage_Click(State& s) {
    RunGuarded(s, "mnuStorage_Click", [&] {
        const std::string answer = ChooseStorageParent(s, ParentOf(s.settings.StorageFolder));
        if (answer.empty()) return;
        std::string folder = answer;
        if (folder.back() != '/') folder += '/';
        folder += kStorageName;
        if (!FolderExists(folder)) {
            std::error_code ec;
            std::filesystem::create_directory(folder, ec);
            // A place where the folder cannot be made (read-only medium,
            // vanished parent) keeps the folder in use and the settings file.
            if (ec || !FolderExists(folder)) {
                ShowFault(s, "mnuStorage_Click", Fault(faults::kPathAccess), MsgIcon::Critical);
                return;
            }
        }
        s.settings.StorageFolder = folder;
        WriteIni(s, false);
    });
}

void mnuPrinter_Click(State& s) {
    // Cancel is not an error: the printer in use stays.
    RunGuarded(s, "mnuPrinter_Click", [&] { s.dialogs->ChoosePrinter(); });
}

void mnuHelp_Click(State& s) {
    RunGuarded(s, "mnuHelp_Click", [&] { PressHelpKey(s); });
}

void mnuAbout_Click(State& s) {
    RunGuarded(s, "mnuAbout_Click", [&] { ShowAbout(s); });
}

}  // namespace pelicard
