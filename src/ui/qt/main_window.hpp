// The main window frmPelicard: every control of the window under its own
// object name, the menus, the list view and the status bar. It is the real
// window, dialogs, sound and help of the program; the commands it runs are
// the handlers of ui/commands.hpp.
#pragma once
#include <QByteArray>
#include <QMainWindow>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "app/ports.hpp"
#include "common/ports.hpp"
#include "common/state.hpp"

class QAction;
class QLabel;
class QPushButton;
class QFrame;
class QTemporaryFile;
class QTextBrowser;

namespace pelicard {
class QtPrinter;
}

namespace pelicard::qt {

class MessageListView;
class AttachmentPane;
class FolderPane;

class MainWindow : public QMainWindow,
                   public WindowPort,
                   public DialogsPort,
                   public SoundPort,
                   public HelpPort {
    Q_OBJECT
public:
    // Plugs itself into s as window, dialogs, sound and help.
    explicit MainWindow(State& s, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up and shutdown of the program, run by Load and by the close.
    std::function<void(State&)> onLoad;
    std::function<void(State&)> onUnload;
    // The window's load: shows it, runs onLoad then DisableCommands.
    void Load();

    void SetPrinter(QtPrinter* printer) { printer_ = printer; }
    void SetDoneSound(const QByteArray& wav) { doneWav_ = wav; }
    void SetHelpHtml(const QString& html) { helpHtml_ = html; }

    // Twips and pixels at this window's logical resolution.
    int ToPixelsX(int twips) const;
    int ToPixelsY(int twips) const;
    int ToTwipsX(int pixels) const;
    int ToTwipsY(int pixels) const;

    // WindowPort.
    void SetText(std::string_view control, const std::string& text) override;
    std::string GetText(std::string_view control) override;
    void SetTextUtf8(std::string_view control, const std::string& utf8) override;
    std::string GetTextUtf8(std::string_view control) override;
    void SetEnabled(std::string_view control, bool on) override;
    bool IsEnabled(std::string_view control) override;
    void SetVisible(std::string_view control, bool on) override;
    bool IsVisible(std::string_view control) override;
    void SetChecked(std::string_view control, bool on) override;
    void Move(std::string_view control, int left, int top, int width, int height) override;
    void SetPanelText(int panel, const std::string& text) override;
    void SetPanelWidth(int panel, int twips) override;
    void ShowFilesWritten(const std::string& text, const std::string& folder) override;
    void ShowProgress(bool visible) override;
    void SetProgress(double value) override;
    void ListClear() override;
    int ListAddRow(const std::string& text) override;
    void ListAddSubItem(int row, const std::string& text) override;
    int ListRowCount() override;
    std::string ListCellText(int row, int column) override;
    bool ListIsSelected(int row) override;
    void ListSetSelected(int row, bool on) override;
    void ListSetSorting(bool sorted, int sortKey, bool descending) override;
    void ListSetColumnWidth(int column, int twips) override;
    void FolderPaneClear() override;
    void FolderPaneAdd(int parent, const std::string& text, const std::string& tip, bool greyed) override;
    void FolderPaneSelect(int row) override;
    MsgResult MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                         MsgButtons buttons) override;
    void SetHourglass(bool on) override;
    void DoEvents() override;
    void Beep() override;
    void Close() override;
    void SetAttachmentRows(const std::vector<AttachmentRow>& rows) override;
    std::vector<int> SelectedAttachmentRows() override;

    // DialogsPort.
    bool OpenFile(const std::string& filter, const std::string& title, const std::string& start,
                  std::string& chosen) override;
    std::string PickFolder(const std::string& title, const std::string& defaultFolder) override;
    bool ChoosePrinter() override;

    // SoundPort, HelpPort.
    void PlayDone() override;
    void ShowHelp() override;

    MessageListView* List() const { return list_; }
    FolderPane* Folders() const { return folders_; }
    State& state() { return s_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void BuildStatusBar();
    void LayOutStatusBar();
    // Runs a handler as an event of the window: the end of the program
    // unwinds to here and closes the window.
    void Run(const char* procedure, const std::function<void()>& handler);
    QObject* Find(std::string_view control) const;
    // While a command runs: true for input aimed at this window (it is
    // dropped), but not for the "Annuler" button; Escape asks the stop.
    bool DropsInput(QObject* watched, QEvent* event);
    bool IsInWindow(QObject* watched) const;
    QAction* AddAction(class QMenu* menu, const char* name, const QString& caption,
                       const std::function<void()>& handler);

    State& s_;
    std::unordered_map<std::string, QObject*> controls_;
    MessageListView* list_ = nullptr;
    // The attachments pane, and the body editor's whole place it takes from.
    static constexpr int kAttachmentPaneHeight = 1200;  // twips
    AttachmentPane* attachments_ = nullptr;
    QRect bodyPlace_;
    // The folder pane of a whole store, to the left of the list while shown;
    // the list's own place in twips, as last set.
    FolderPane* folders_ = nullptr;
    int listPlace_[4] = {};
    void PlaceListAndPane();
    // The column "Objet": its width as the resize rules set it (twips), and
    // what the folder pane takes from it while shown.
    int subjectWidth_ = 6510, subjectCut_ = 0;
    void FitSubjectColumn();
    int dragFrom_ = 0;  // the list's height in twips when the handle was pressed
    void RestoreSize();
    QWidget* client_ = nullptr;
    QFrame* statBar_ = nullptr;
    QLabel* panels_[6] = {};
    QPushButton* cancel_ = nullptr;
    QLabel* written_ = nullptr;  // after a save: how many files, where (a link to the folder)
    QString writtenText_, writtenLink_;
    void PlaceWritten();
    int panelWidths_[6] = {};
    QtPrinter* printer_ = nullptr;
    QByteArray doneWav_;
    QString helpHtml_;
    std::unique_ptr<QTemporaryFile> soundFile_;
    QObject* sound_ = nullptr;
    QWidget* helpWindow_ = nullptr;
    bool hourglass_ = false;
    bool unloaded_ = false;
    int running_ = 0;            // commands running, nested by DoEvents
    bool closePending_ = false;  // close asked while a command ran
};

}  // namespace pelicard::qt
