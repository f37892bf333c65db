// The commands on the selected messages: stepping through the selection,
// editing the shown message, saving it, saving or printing all selected
// messages. Each command prepares the shared state and hands over to the
// reading, export and print procedures.
#include <algorithm>
#include <functional>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <vector>

#include "app/services.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "content/read_msg.hpp"
#include "export/batch.hpp"
#include "export/left_out.hpp"
#include "export/msg_end.hpp"
#include "ui/commands.hpp"
#include "ui/window_logic.hpp"

namespace pelicard {
namespace {

const char* const kOneMessageOnly = "On ne peut modifier qu'un seul message \xE0 la fois";

// Lowers the five operation flags: stepping through the selection only
// displays, even after a print or save command left its flag raised.
void LowerOperationFlags(State& s) {
    const bool batch = s.ops.BatchRunning;
    s.ops = OperationKind{};
    s.ops.BatchRunning = batch;
}

// The message index at a 1-based position of SelectionOrder, or 0 when the
// position lies outside the collected selection.
std::int32_t SelectedAt(const State& s, std::int32_t position) {
    const auto& sel = s.selection;
    if (position < 1 || position > sel.SelectionCount) return 0;
    if (static_cast<std::size_t>(position) >= sel.SelectionOrder.size()) return 0;
    return sel.SelectionOrder[static_cast<std::size_t>(position)];
}

// The batch driver's reader: each message, then the window repaints and
// stays responsive before the next one.
void ReadThenLetEventsRun(State& s, std::int32_t index, OutputMode& mode) {
    ReadMsg(s, index, mode);
    s.window->DoEvents();
}

void ShowAt(State& s, std::int32_t position) {
    OutputMode mode = kAlone;
    ReadMsg(s, SelectedAt(s, position), mode);
}

// The progress bar is shown for the length of a batch and hidden after it,
// whatever way the batch ends; BatchRunning likewise when asked for. A batch
// starts with no stop asked for.
class BatchScope {
public:
    BatchScope(State& s, bool batchRunning) : s_(s), batchRunning_(batchRunning) {
        s_.CancelRequested = false;
        s_.window->ShowProgress(true);
        if (batchRunning_) s_.ops.BatchRunning = true;
    }
    ~BatchScope() {
        s_.window->ShowProgress(false);
        if (batchRunning_) s_.ops.BatchRunning = false;
    }
    BatchScope(const BatchScope&) = delete;
    BatchScope& operator=(const BatchScope&) = delete;

private:
    State& s_;
    bool batchRunning_;
};

// The folder that holds both folders `a` and `b` (native paths).
std::string CommonFolder(const std::string& a, const std::string& b) {
    std::size_t k = 0, lastSlash = 0;
    for (; k < a.size() && k < b.size() && a[k] == b[k]; ++k)
        if (a[k] == '/') lastSlash = k;
    const bool whole = (k == a.size() || a[k] == '/') && (k == b.size() || b[k] == '/');
    return a.substr(0, whole ? k : lastSlash);
}

// Counts the files a save command writes and, at its end, tells in the status
// bar how many went to which folder (the folder holding them all).
class WrittenFiles {
public:
    explicit WrittenFiles(State& s) : s_(s), previous_(std::move(s.exp.OnFileWritten)) {
        s_.exp.OnFileWritten = [this](const std::string& path) {
            if (previous_) previous_(path);
            const std::string dir = path.substr(0, path.find_last_of('/'));
            folder_ = count_++ == 0 ? dir : CommonFolder(folder_, dir);
        };
    }
    ~WrittenFiles() {
        s_.exp.OnFileWritten = std::move(previous_);
        std::string text = s_.CancelRequested ? "Commande arr\xEAt\xE9" "e : " : "";
        if (count_ == 0) {
            text += s_.CancelRequested ? "aucun fichier enregistr\xE9" : "Aucun fichier enregistr\xE9";
        } else {
            const std::string name = folder_.substr(folder_.find_last_of('/') + 1);
            text += ToDecimal(count_) + (count_ == 1 ? " fichier enregistr\xE9" : " fichiers enregistr\xE9s") +
                    " dans \xAB " + Utf8ToCp1252(name.empty() ? folder_ : name) + " \xBB";
        }
        s_.window->ShowFilesWritten(text, folder_);
    }
    WrittenFiles(const WrittenFiles&) = delete;
    WrittenFiles& operator=(const WrittenFiles&) = delete;

private:
    State& s_;
    std::function<void(const std::string&)> previous_;
    std::int32_t count_ = 0;
    std::string folder_;
};

// An edit of the subject or the body: refused while several rows are
// selected, recorded otherwise.
void EditorChanged(State& s, bool& modifiedFlag) {
    if (s.EditorUpdate) return;
    const auto& flags = s.selection.RowFlags;
    const std::size_t rows =
        std::min(flags.size(), static_cast<std::size_t>(std::max(s.list.Count, 0)) + 1);
    int count = 0;
    for (std::size_t i = 1; i < rows; ++i) {
        if (flags[i] && ++count > 1) {
            ShowMessage(s, kOneMessageOnly);
            return;
        }
    }
    modifiedFlag = true;
    s.ui.EditsUnsaved = true;
    EnableModifyCommands(s, true);
}

// Saves the shown message with the user's edits (as text or raw copy).
void SaveModified(State& s, bool OperationKind::*flag) {
    if (s.EditorUpdate) return;
    CollectSelection(s);
    s.ops.*flag = true;
    const std::int32_t index = SelectedAt(s, s.selection.CurrentPosition);
    // No message shown (nothing selected): there is nothing to save.
    if (index == 0) return;
    ClearLeftOut(s);
    WrittenFiles written(s);
    OutputMode mode = kAlone;
    MsgEnd(s, index, mode);
    s.ui.EditsUnsaved = false;
    SignalDone(s);
    ShowLeftOut(s);
}

}  // namespace

void cmdUp_Click(State& s) {
    RunGuarded(s, "cmdUp_Click", [&] {
        if (s.EditorUpdate || !MayDropEdits(s)) return;
        s.window->SetVisible("txtEnd", false);
        auto& pos = s.selection.CurrentPosition;
        if (pos >= 2 && SelectedAt(s, pos - 1) != 0) {
            --pos;
            LowerOperationFlags(s);
            ShowAt(s, pos);
            s.window->SetEnabled("cmdUp", pos >= 2);
            s.window->SetEnabled("cmdDown", true);
        } else {
            s.window->Beep();
        }
    });
}

void cmdDown_Click(State& s) {
    RunGuarded(s, "cmdDown_Click", [&] {
        if (s.EditorUpdate || !MayDropEdits(s)) return;
        s.window->SetVisible("txtEnd", false);
        auto& pos = s.selection.CurrentPosition;
        const std::int32_t count = s.selection.SelectionCount;
        if (pos <= count - 1 && SelectedAt(s, pos + 1) != 0) {
            ++pos;
            LowerOperationFlags(s);
            ShowAt(s, pos);
            s.window->SetEnabled("cmdUp", true);
            s.window->SetEnabled("cmdDown", pos < count);
        } else {
            s.window->Beep();
        }
    });
}

void txtSubject_Change(State& s) {
    RunGuarded(s, "txtSubject_Change", [&] { EditorChanged(s, s.selection.SubjectModified); });
}

void txtBody_Change(State& s) {
    RunGuarded(s, "txtBody_Change", [&] { EditorChanged(s, s.selection.BodyModified); });
}

void txtSubject_Click(State& s) { s.window->SetVisible("txtEnd", false); }

void txtBody_Click(State& s) { s.window->SetVisible("txtEnd", false); }

void cmdModTxt_Click(State& s) {
    RunGuarded(s, "cmdModTxt_Click", [&] { SaveModified(s, &OperationKind::SaveModifiedText); });
}

void cmdModNws_Click(State& s) {
    RunGuarded(s, "cmdModNws_Click", [&] { SaveModified(s, &OperationKind::SaveModifiedRaw); });
}

void cmdAllTxt_Click(State& s) {
    RunGuarded(s, "cmdAllTxt_Click", [&] {
        if (s.EditorUpdate) return;
        CollectSelection(s);
        s.ops.SaveAllText = true;
        s.window->SetEnabled("cmdDown", false);
        s.window->SetEnabled("cmdUp", false);
        ClearLeftOut(s);
        {
            BatchScope batch(s, true);
            WrittenFiles written(s);
            BatchDriver(s, ReadThenLetEventsRun);
        }
        ShowLeftOut(s);
    });
}

void cmdAllNws_Click(State& s) {
    RunGuarded(s, "cmdAllNws_Click", [&] {
        if (s.EditorUpdate) return;
        CollectSelection(s);
        s.window->SetEnabled("cmdDown", false);
        s.window->SetEnabled("cmdUp", false);
        s.ops.SaveAllRaw = true;
        ClearLeftOut(s);
        {
            BatchScope batch(s, true);
            WrittenFiles written(s);
            // A copy: the window's events, let run between messages, must
            // not change the list being worked through.
            const std::vector<std::int32_t> order(
                s.selection.SelectionOrder.begin(),
                s.selection.SelectionOrder.begin() +
                    std::min<std::size_t>(s.selection.SelectionOrder.size(),
                                          static_cast<std::size_t>(std::max(s.selection.SelectionCount, 0)) + 1));
            for (std::size_t i = 1; i < order.size() && !s.CancelRequested; ++i) {
                OutputMode mode = kAlone;
                ReadThenLetEventsRun(s, order[i], mode);
            }
        }
        if (!s.CancelRequested) SignalDone(s);
        ShowLeftOut(s);
    });
}

void cmdPrint_Click(State& s) {
    RunGuarded(s, "cmdPrint_Click", [&] {
        if (s.EditorUpdate) return;
        CollectSelection(s);
        s.ops.PrintSelected = true;
        ClearLeftOut(s);
        {
            BatchScope batch(s, false);
            BatchDriver(s, ReadThenLetEventsRun);
        }
        ShowLeftOut(s);
    });
}

}  // namespace pelicard
