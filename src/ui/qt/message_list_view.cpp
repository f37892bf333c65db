#include "ui/qt/message_list_view.hpp"

#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

namespace pelicard::qt {
namespace {

int VirtualKey(const QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Space: return 32;
        case Qt::Key_PageUp: return 33;
        case Qt::Key_PageDown: return 34;
        case Qt::Key_End: return 35;
        case Qt::Key_Home: return 36;
        case Qt::Key_Left: return 37;
        case Qt::Key_Up: return 38;
        case Qt::Key_Right: return 39;
        case Qt::Key_Down: return 40;
        default: break;
    }
    if (e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z) return 65 + (e->key() - Qt::Key_A);
    if (e->key() >= Qt::Key_0 && e->key() <= Qt::Key_9) return 48 + (e->key() - Qt::Key_0);
    return 0;
}

}  // namespace

MessageListView::MessageListView(QWidget* parent) : QTreeView(parent), model_(new MessageListModel(this)) {
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!applying_) mirrorStale_ = true;
    });
    connect(model_, &QAbstractItemModel::layoutChanged, this, [this] { mirrorStale_ = true; });
}

void MessageListView::ScheduleFlush() {
    if (flushScheduled_) return;
    flushScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        flushScheduled_ = false;
        Flush();
    });
}

void MessageListView::Clear() {
    selectionPending_ = false;
    applying_ = true;
    model_->Clear();
    applying_ = false;
    mirror_.clear();
    mirrorStale_ = false;
}

int MessageListView::AddRow(const std::string& text) {
    model_->AddRow(text);
    ScheduleFlush();
    return model_->StoredRows();
}

void MessageListView::AddSubItem(int row, const std::string& text) {
    model_->AddText(model_->StoredAt(row - 1), text);
}

int MessageListView::RowCount() { return model_->StoredRows(); }

std::string MessageListView::CellText(int row, int column) {
    if (row < 1 || column < 1 || column > MessageListModel::kColumns) return {};
    return std::string(model_->Text(model_->StoredAt(row - 1), column - 1));
}

void MessageListView::RefreshMirror() {
    InsertPending();
    if (!mirrorStale_ && mirror_.size() == static_cast<std::size_t>(model_->ShownRows())) return;
    mirror_.assign(static_cast<std::size_t>(model_->ShownRows()), 0);
    for (const QItemSelectionRange& r : selectionModel()->selection()) {
        if (r.parent().isValid()) continue;
        for (int i = r.top(); i <= r.bottom(); ++i)
            if (i >= 0 && i < static_cast<int>(mirror_.size())) mirror_[static_cast<std::size_t>(i)] = 1;
    }
    mirrorStale_ = false;
}

bool MessageListView::IsSelected(int row) {
    if (!selectionPending_) RefreshMirror();
    else InsertPending();
    return row >= 1 && row <= static_cast<int>(mirror_.size()) && mirror_[static_cast<std::size_t>(row - 1)];
}

void MessageListView::SetSelected(int row, bool on) {
    if (!selectionPending_) RefreshMirror();
    else InsertPending();
    if (row < 1 || row > static_cast<int>(mirror_.size())) return;
    mirror_[static_cast<std::size_t>(row - 1)] = on ? 1 : 0;
    selectionPending_ = true;
    ScheduleFlush();
}

void MessageListView::SetSorting(bool sorted, int sortKey, bool descending) {
    Flush();
    sorted_ = sorted;
    sortKey_ = sortKey;
    descending_ = descending;
    if (!sorted) {
        header()->setSortIndicatorShown(false);
        return;
    }
    SortNow();
}

void MessageListView::SortNow() {
    const Qt::SortOrder order = descending_ ? Qt::DescendingOrder : Qt::AscendingOrder;
    applying_ = true;
    model_->Sort(sortKey_, descending_);
    applying_ = false;
    mirrorStale_ = true;
    // The indicator sits on the visible column: "Date" for its hidden key.
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(sortKey_ == 3 ? 2 : sortKey_, order);
}

void MessageListView::InsertPending() {
    if (model_->StoredRows() == model_->ShownRows()) return;
    // A sort moves the rows: the selection set so far goes to the view first.
    if (sorted_) ApplySelection();
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    applying_ = true;
    model_->Publish();
    applying_ = false;
    if (sorted_) SortNow();
    setUpdatesEnabled(updates);
    // New rows are not selected; a sort moved the old ones.
    if (sorted_) {
        mirrorStale_ = true;
    } else {
        mirror_.resize(static_cast<std::size_t>(model_->ShownRows()), 0);
    }
}

void MessageListView::ApplySelection() {
    if (!selectionPending_) return;
    selectionPending_ = false;
    QItemSelection selection;
    const int n = static_cast<int>(mirror_.size());
    const int last = MessageListModel::kColumns - 1;
    for (int i = 0; i < n;) {
        if (!mirror_[static_cast<std::size_t>(i)]) {
            ++i;
            continue;
        }
        int j = i;
        while (j + 1 < n && mirror_[static_cast<std::size_t>(j + 1)]) ++j;
        selection.select(model_->index(i, 0), model_->index(j, last));
        i = j + 1;
    }
    applying_ = true;
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    applying_ = false;
    mirrorStale_ = false;
}

void MessageListView::Flush() {
    InsertPending();
    ApplySelection();
}

void MessageListView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) emit clickedInList();
}

void MessageListView::keyReleaseEvent(QKeyEvent* event) {
    QTreeView::keyReleaseEvent(event);
    if (event->isAutoRepeat()) return;
    emit keyReleased(VirtualKey(event));
}

}  // namespace pelicard::qt
