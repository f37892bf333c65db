#include "ui/qt/message_list_view.hpp"

#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include "common/text.hpp"

namespace pelicard::qt {
namespace {

QString ToQ(const std::string& cp1252) { return QString::fromStdString(Cp1252ToUtf8(cp1252)); }

// A row that keeps its texts as the core gave them; rows compare by the
// French collation of the sort column, as the system's list view does.
class RowItem : public QTreeWidgetItem {
public:
    std::array<std::string, 5> texts;
    int filled = 0;

    bool operator<(const QTreeWidgetItem& other) const override {
        const auto* view = static_cast<const MessageListView*>(treeWidget());
        const int c = view ? view->SortKey() : 0;
        if (c < 0 || c >= 5) return false;
        const auto& o = static_cast<const RowItem&>(other);
        // The primary keys decide most comparisons at the cost of a byte
        // compare; the full collation only settles their ties.
        const int primary = Key(c).compare(o.Key(c));
        if (primary != 0) return primary < 0;
        return CollateCompare(texts[static_cast<std::size_t>(c)], o.texts[static_cast<std::size_t>(c)]) < 0;
    }

private:
    const std::string& Key(int column) const {
        if (keyColumn_ != column) {
            key_ = CollationPrimaryKey(texts[static_cast<std::size_t>(column)]);
            keyColumn_ = column;
        }
        return key_;
    }
    mutable std::string key_;
    mutable int keyColumn_ = -1;
};

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

MessageListView::MessageListView(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(5);
    setRootIsDecorated(false);
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
    connect(model(), &QAbstractItemModel::layoutChanged, this, [this] { mirrorStale_ = true; });
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
    for (auto* item : pending_) delete item;
    pending_.clear();
    selectionPending_ = false;
    applying_ = true;
    clear();
    applying_ = false;
    mirror_.clear();
    mirrorStale_ = false;
}

int MessageListView::AddRow(const std::string& text) {
    auto* item = new RowItem;
    item->texts[0] = text;
    item->filled = 1;
    item->setText(0, ToQ(text));
    pending_.push_back(item);
    ScheduleFlush();
    return topLevelItemCount() + static_cast<int>(pending_.size());
}

QTreeWidgetItem* MessageListView::ItemAt(int row) {
    const int inserted = topLevelItemCount();
    if (row < 1) return nullptr;
    if (row <= inserted) return topLevelItem(row - 1);
    const auto k = static_cast<std::size_t>(row - inserted - 1);
    return k < pending_.size() ? pending_[k] : nullptr;
}

void MessageListView::AddSubItem(int row, const std::string& text) {
    auto* item = static_cast<RowItem*>(ItemAt(row));
    if (!item || item->filled >= 5) return;
    item->texts[static_cast<std::size_t>(item->filled)] = text;
    item->setText(item->filled, ToQ(text));
    ++item->filled;
}

int MessageListView::RowCount() { return topLevelItemCount() + static_cast<int>(pending_.size()); }

std::string MessageListView::CellText(int row, int column) {
    auto* item = static_cast<RowItem*>(ItemAt(row));
    if (!item || column < 1 || column > 5) return {};
    return item->texts[static_cast<std::size_t>(column - 1)];
}

void MessageListView::RefreshMirror() {
    InsertPending();
    if (!mirrorStale_ && mirror_.size() == static_cast<std::size_t>(topLevelItemCount())) return;
    mirror_.assign(static_cast<std::size_t>(topLevelItemCount()), 0);
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
    sortItems(sortKey_, order);
    applying_ = false;
    mirrorStale_ = true;
    // The indicator sits on the visible column: "Date" for its hidden key.
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(sortKey_ == 3 ? 2 : sortKey_, order);
}

void MessageListView::InsertPending() {
    if (pending_.empty()) return;
    // A sort moves the rows: the selection set so far goes to the view first.
    if (sorted_) ApplySelection();
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(pending_.size()));
    for (auto* item : pending_) items.append(item);
    pending_.clear();
    applying_ = true;
    insertTopLevelItems(topLevelItemCount(), items);
    applying_ = false;
    if (sorted_) SortNow();
    setUpdatesEnabled(updates);
    // New rows are not selected; a sort moved the old ones.
    if (sorted_) {
        mirrorStale_ = true;
    } else {
        mirror_.resize(static_cast<std::size_t>(topLevelItemCount()), 0);
    }
}

void MessageListView::ApplySelection() {
    if (!selectionPending_) return;
    selectionPending_ = false;
    QItemSelection selection;
    const int n = static_cast<int>(mirror_.size());
    const int last = columnCount() - 1;
    for (int i = 0; i < n;) {
        if (!mirror_[static_cast<std::size_t>(i)]) {
            ++i;
            continue;
        }
        int j = i;
        while (j + 1 < n && mirror_[static_cast<std::size_t>(j + 1)]) ++j;
        selection.select(model()->index(i, 0), model()->index(j, last));
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
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) emit clickedInList();
}

void MessageListView::keyReleaseEvent(QKeyEvent* event) {
    QTreeWidget::keyReleaseEvent(event);
    if (event->isAutoRepeat()) return;
    emit keyReleased(VirtualKey(event));
}

}  // namespace pelicard::qt
