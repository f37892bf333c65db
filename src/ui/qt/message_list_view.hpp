// The list view lvwMessages: a report-style tree view over a MessageListModel,
// rows sorted by the French collation of one column. Rows added through the
// port are shown in batches and the selection set through the port is
// applied in one go, so that lists of 100 000 rows stay quick to fill,
// select and read.
#pragma once
#include <QTreeView>
#include <string>
#include <vector>

#include "ui/qt/message_list_model.hpp"

namespace pelicard::qt {

class MessageListView : public QTreeView {
    Q_OBJECT
public:
    explicit MessageListView(QWidget* parent = nullptr);

    void Clear();
    int AddRow(const std::string& text);
    void AddSubItem(int row, const std::string& text);
    int RowCount();
    std::string CellText(int row, int column);
    bool IsSelected(int row);
    void SetSelected(int row, bool on);
    void SetSorting(bool sorted, int sortKey, bool descending);
    // Shows the pending rows and applies the pending selection.
    void Flush();
    // The column the rows are compared on (0-based).
    int SortKey() const { return sortKey_; }

    void setHeaderLabels(const QStringList& labels) { model_->SetHeaderLabels(labels); }
    // Colour and tooltip of each row, from the entry of the core's table it shows.
    void SetRowMarker(RowMarker marker) { model_->SetRowMarker(std::move(marker)); }
    void SetRowCompanion(RowCompanion companion) { model_->SetRowCompanion(std::move(companion)); }
    void RefreshRowMarks() { model_->RefreshMarks(); }
    MessageListModel* Rows() const { return model_; }

signals:
    // A left click anywhere in the list, after the selection changed.
    void clickedInList();
    // A key released in the list, as a Windows virtual-key code.
    void keyReleased(int keyCode);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void ScheduleFlush();
    void SortNow();
    void InsertPending();
    void ApplySelection();
    void RefreshMirror();

    MessageListModel* model_;
    std::vector<char> mirror_;     // selected state per shown row, 0-based
    bool mirrorStale_ = true;      // the view's selection changed since the mirror was read
    bool selectionPending_ = false;  // the mirror holds changes not yet shown
    bool applying_ = false;
    bool flushScheduled_ = false;
    bool sorted_ = false;
    int sortKey_ = 0;
    bool descending_ = false;
};

}  // namespace pelicard::qt
