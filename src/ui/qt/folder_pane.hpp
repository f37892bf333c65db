// The folder pane tvwFolders of a whole store: a tree of the store's
// folders (name and message count; empty folders greyed; unavailable ones
// with their reason as tooltip). Rows are numbered in tree order from 0.
#pragma once
#include <QTreeWidget>
#include <string>
#include <vector>

namespace pelicard::qt {

class FolderPane : public QTreeWidget {
    Q_OBJECT
public:
    explicit FolderPane(QWidget* parent = nullptr);
    void Clear();
    // Texts in Windows-1252.
    void Add(int parent, const std::string& text, const std::string& tip, bool greyed);
    void Select(int row);
    // The item of row `row`, or nullptr.
    QTreeWidgetItem* Item(int row) const;

signals:
    void folderClicked(int row);

private:
    std::vector<QTreeWidgetItem*> items_;
};

}  // namespace pelicard::qt
