// The rows of lvwMessages as a Qt table model: the five texts of each row as
// the core gave them (Windows-1252), held in one arena, and the order in
// which the view shows them. Only the rows on screen are ever turned into
// Qt strings, so filling and sorting 100 000 rows touch no widget item.
#pragma once
#include <QAbstractTableModel>
#include <QBrush>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pelicard::qt {

// How a row is marked on screen; an empty brush or text leaves that part as
// the view draws it.
struct RowMark {
    QBrush background;
    QBrush foreground;
    QString toolTip;
};
// Asked with the row's "ID" (the index of the entry of the core's table that
// the row shows, 0 when the row has no number) each time the row is drawn.
using RowMarker = std::function<RowMark(int entry)>;
// Asked with the row's "ID" and a column: a UTF-8 text to show instead of the
// row's own Windows-1252 one (a subject or sender holding characters beyond
// it), or null.
using RowCompanion = std::function<const std::string*(int entry, int column)>;

class MessageListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 5;

    explicit MessageListModel(QObject* parent = nullptr);

    // Rows kept: those shown plus those added since the last Publish.
    int StoredRows() const { return static_cast<int>(rows_.size()); }
    int ShownRows() const { return static_cast<int>(order_.size()); }
    void Clear();
    // A new row whose first text is `text`; it is shown at the next Publish.
    void AddRow(std::string_view text);
    // The next empty text of row `stored` (0-based, storage order).
    void AddText(int stored, std::string_view text);
    // Shows the rows added since the last call, after the others.
    void Publish();
    // The storage index of shown row `row` (0-based); rows not yet shown
    // follow the shown ones in storage order.
    int StoredAt(int row) const;
    std::string_view Text(int stored, int column) const;

    // Stable sort of the shown rows by the French collation of one column
    // (0-based); a column out of range leaves the order as it is. The
    // persistent indexes (selection, current row) follow their rows.
    void Sort(int column, bool descending);

    void SetHeaderLabels(const QStringList& labels);
    void SetRowMarker(RowMarker marker);
    void SetRowCompanion(RowCompanion companion) { companion_ = std::move(companion); }
    // Draws every row's mark again (the entries they come from changed).
    void RefreshMarks();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Cell {
        std::size_t at = 0;
        std::size_t size = 0;
    };
    struct Row {
        Cell cells[kColumns];
        std::uint8_t filled = 0;
    };
    void Append(Cell& c, std::string_view text);
    void Changed();
    const std::vector<std::uint32_t>& Ranks(int column);

    std::string arena_;
    std::vector<Row> rows_;
    std::vector<int> order_;  // shown row -> storage index
    // Per column, the rank of each stored row's text in the collation order
    // (equal texts, equal ranks), worked out at the column's first sort and
    // kept until the rows change; and the number of distinct ranks.
    std::vector<std::uint32_t> ranks_[kColumns];
    std::uint32_t rankCount_[kColumns] = {};
    QStringList labels_;
    RowMarker marker_;
    RowCompanion companion_;
};

}  // namespace pelicard::qt
