#include "ui/qt/folder_pane.hpp"

#include <QHeaderView>

#include "common/text.hpp"

namespace pelicard::qt {
namespace {
QString ToQ(const std::string& cp1252) { return QString::fromStdString(Cp1252ToUtf8(cp1252)); }
}  // namespace

FolderPane::FolderPane(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    setHeaderLabels({QString::fromUtf8("Dossiers du magasin")});
    header()->setStretchLastSection(true);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        const int row = item->data(0, Qt::UserRole).toInt();
        emit folderClicked(row);
    });
    // The keyboard opens a folder as a click does.
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) {
        emit folderClicked(item->data(0, Qt::UserRole).toInt());
    });
}

void FolderPane::Clear() {
    clear();
    items_.clear();
}

void FolderPane::Add(int parent, const std::string& text, const std::string& tip, bool greyed) {
    QTreeWidgetItem* item = parent >= 0 && static_cast<std::size_t>(parent) < items_.size()
                                ? new QTreeWidgetItem(items_[static_cast<std::size_t>(parent)])
                                : new QTreeWidgetItem(this);
    item->setText(0, ToQ(text));
    item->setToolTip(0, ToQ(tip));
    item->setData(0, Qt::UserRole, static_cast<int>(items_.size()));
    if (greyed) item->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
    items_.push_back(item);
    item->setExpanded(true);
}

void FolderPane::Select(int row) {
    if (QTreeWidgetItem* item = Item(row)) setCurrentItem(item);
}

QTreeWidgetItem* FolderPane::Item(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < items_.size() ? items_[static_cast<std::size_t>(row)] : nullptr;
}

}  // namespace pelicard::qt
