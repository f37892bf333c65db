#include "ui/qt/attachment_pane.hpp"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

namespace pelicard::qt {

AttachmentPane::AttachmentPane(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("fraAttachments"));
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("lvwAttachments"));
    list_->setHeaderLabels({QStringLiteral("Pi\u00e8ces jointes"), QStringLiteral("Type"), QStringLiteral("Taille")});
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    save_ = new QPushButton(QStringLiteral("Enregistrer les pi\u00e8ces jointes"), this);
    save_->setObjectName(QStringLiteral("cmdSaveAttachments"));
    save_->setToolTip(QStringLiteral("Enregistrer les pi\u00e8ces jointes choisies dans la liste, ou toutes celles "
                                     "des messages s\u00e9lectionn\u00e9s"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 4, 0, 0);
    row->addWidget(list_, 1);
    row->addWidget(save_, 0, Qt::AlignTop);
    hide();
}

void AttachmentPane::SetRows(const std::vector<AttachmentRow>& rows) {
    list_->clear();
    for (const AttachmentRow& r : rows)
        new QTreeWidgetItem(list_, {QString::fromStdString(r.name), QString::fromStdString(r.type),
                                    QString::fromStdString(r.size)});
    list_->resizeColumnToContents(1);
    list_->resizeColumnToContents(2);
    setVisible(!rows.empty());
}

std::vector<int> AttachmentPane::SelectedRows() const {
    std::vector<int> rows;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        if (list_->topLevelItem(i)->isSelected()) rows.push_back(i);
    return rows;
}

void AttachmentPane::LayOut(QWidget* body, const QRect& bodyPlace, int paneHeight) {
    if (!isVisible() || bodyPlace.height() < 2 * paneHeight) {
        body->setGeometry(bodyPlace);
        return;
    }
    body->setGeometry(bodyPlace.adjusted(0, 0, 0, -paneHeight));
    setGeometry(bodyPlace.left(), bodyPlace.bottom() + 1 - paneHeight, bodyPlace.width(), paneHeight);
}

}  // namespace pelicard::qt
