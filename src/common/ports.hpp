// The platform behind small interfaces. Every operation has a harmless
// default so that each implementation overrides only what it serves; the
// real ones are the Qt window and the Linux services, the fakes live with
// the tests.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.hpp"

namespace pelicard {

// One row of the attachments pane: the file name (UTF-8), the MIME type and
// the size as shown.
struct AttachmentRow {
    std::string name, type, size;
};

enum class MsgIcon { None, Information, Exclamation, Critical, Question };
enum class MsgButtons { Ok, YesNo };
enum class MsgResult { Ok, Yes, No };

// The main window. Controls are named as in the window (cmdGrouping,
// lvwMessages, txtSubject, mnuSelectAll …); every text is Windows-1252.
// Indexed controls (cmdOpen 0/1, mnuConfirm 0/1) are named "cmdOpen(0)".
class WindowPort {
public:
    virtual ~WindowPort() = default;

    virtual void SetText(std::string_view /*control*/, const std::string& /*text*/) {}
    virtual std::string GetText(std::string_view /*control*/) { return {}; }
    // A text in UTF-8 that may hold characters beyond Windows-1252 (the
    // complete decoding); a window without Unicode gets the Windows-1252
    // form, "?" for those characters.
    virtual void SetTextUtf8(std::string_view control, const std::string& utf8) { SetText(control, Utf8ToCp1252(utf8)); }
    virtual std::string GetTextUtf8(std::string_view control) { return Cp1252ToUtf8(GetText(control)); }
    virtual void SetEnabled(std::string_view /*control*/, bool /*on*/) {}
    virtual bool IsEnabled(std::string_view /*control*/) { return true; }
    virtual void SetVisible(std::string_view /*control*/, bool /*on*/) {}
    virtual bool IsVisible(std::string_view /*control*/) { return true; }
    virtual void SetChecked(std::string_view /*control*/, bool /*on*/) {}
    virtual void Move(std::string_view /*control*/, int /*left*/, int /*top*/, int /*width*/, int /*height*/) {}

    // Status bar panels, 1-based.
    virtual void SetPanelText(int /*panel*/, const std::string& /*text*/) {}
    virtual void SetPanelWidth(int /*panel*/, int /*twips*/) {}
    // After a save: `text` (how many files went where) in the status bar,
    // with a way to open `folder` (native path) in the file manager.
    virtual void ShowFilesWritten(const std::string& /*text*/, const std::string& /*folder*/) {}

    // Progress bar Bar, value 0 … 100.
    virtual void ShowProgress(bool /*visible*/) {}
    virtual void SetProgress(double /*value*/) {}

    // List view lvwMessages; rows and columns 1-based (column 1 = the row's
    // own text "Objet", 2 "Émetteur", 3 "Date", 4 "Dates pour tri", 5 "ID").
    virtual void ListClear() {}
    virtual int ListAddRow(const std::string& /*text*/) { return 0; }
    virtual void ListAddSubItem(int /*row*/, const std::string& /*text*/) {}
    virtual int ListRowCount() { return 0; }
    virtual std::string ListCellText(int /*row*/, int /*column*/) { return {}; }
    virtual bool ListIsSelected(int /*row*/) { return false; }
    virtual void ListSetSelected(int /*row*/, bool /*on*/) {}
    // Sorting by the view itself: sortKey is the 0-based column.
    virtual void ListSetSorting(bool /*sorted*/, int /*sortKey*/, bool /*descending*/) {}
    // Width of a column (1-based), in twips.
    virtual void ListSetColumnWidth(int /*column*/, int /*twips*/) {}

    // Folder pane tvwFolders of a whole store, one row per folder in tree
    // order (rows 0-based; parent -1 at the top level). A greyed row holds no
    // message; tip tells why a folder is unavailable.
    virtual void FolderPaneClear() {}
    virtual void FolderPaneAdd(int /*parent*/, const std::string& /*text*/, const std::string& /*tip*/,
                               bool /*greyed*/) {}
    virtual void FolderPaneSelect(int /*row*/) {}

    virtual MsgResult MessageBox(const std::string& /*text*/, const std::string& /*title*/,
                                 MsgIcon /*icon*/, MsgButtons /*buttons*/) {
        return MsgResult::Ok;
    }
    virtual void SetHourglass(bool /*on*/) {}
    // Lets pending window events run (repaint, input).
    virtual void DoEvents() {}
    virtual void Beep() {}
    // Closes the main window; its unload runs the shutdown.
    virtual void Close() {}

    // The attachments pane under the body editor (lvwAttachments): shown with
    // these rows, hidden when there are none; the rows picked in it (0-based).
    virtual void SetAttachmentRows(const std::vector<AttachmentRow>& /*rows*/) {}
    virtual std::vector<int> SelectedAttachmentRows() { return {}; }
};

// Offset from UTC, in seconds, in force at a given instant (seconds since
// 1970-01-01 UTC), from the time-zone database. Reading a large .dbx file
// asks from two threads at once.
class TimeZonePort {
public:
    virtual ~TimeZonePort() = default;
    virtual std::int64_t UtcOffsetAt(std::int64_t unixSeconds) = 0;
};

}  // namespace pelicard
