// The attachments pane of the main window: under the body editor, the list
// of the shown message's attachments (name, type, size) and the button that
// saves them. Hidden when the message has none; while shown, the body editor
// gives up the bottom of its place to it.
#pragma once
#include <QRect>
#include <QWidget>
#include <vector>

#include "common/ports.hpp"

class QPushButton;
class QTreeWidget;

namespace pelicard::qt {

class AttachmentPane : public QWidget {
    Q_OBJECT
public:
    explicit AttachmentPane(QWidget* parent);
    void SetRows(const std::vector<AttachmentRow>& rows);
    std::vector<int> SelectedRows() const;
    // Places the body editor and the pane in the body editor's full place.
    void LayOut(QWidget* body, const QRect& bodyPlace, int paneHeight);
    QPushButton* SaveButton() const { return save_; }

private:
    QTreeWidget* list_;
    QPushButton* save_;
};

}  // namespace pelicard::qt
