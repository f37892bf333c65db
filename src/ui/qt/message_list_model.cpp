#include "ui/qt/message_list_model.hpp"

#include <algorithm>
#include <unordered_map>

#include "common/text.hpp"

namespace pelicard::qt {

MessageListModel::MessageListModel(QObject* parent) : QAbstractTableModel(parent) {}

void MessageListModel::Clear() {
    beginResetModel();
    arena_.clear();
    rows_.clear();
    Changed();
    order_.clear();
    endResetModel();
}

void MessageListModel::Append(Cell& c, std::string_view text) {
    Changed();
    c.at = arena_.size();
    c.size = text.size();
    arena_.append(text);
}

void MessageListModel::AddRow(std::string_view text) {
    Row& r = rows_.emplace_back();
    Append(r.cells[0], text);
    r.filled = 1;
}

void MessageListModel::AddText(int stored, std::string_view text) {
    if (stored < 0 || stored >= StoredRows()) return;
    Row& r = rows_[static_cast<std::size_t>(stored)];
    if (r.filled >= kColumns) return;
    Append(r.cells[r.filled], text);
    ++r.filled;
}

void MessageListModel::Publish() {
    const int shown = ShownRows(), stored = StoredRows();
    if (stored == shown) return;
    beginInsertRows({}, shown, stored - 1);
    order_.reserve(rows_.size());
    for (int k = shown; k < stored; ++k) order_.push_back(k);
    endInsertRows();
}

int MessageListModel::StoredAt(int row) const {
    if (row < 0 || row >= StoredRows()) return -1;
    return row < ShownRows() ? order_[static_cast<std::size_t>(row)] : row;
}

std::string_view MessageListModel::Text(int stored, int column) const {
    if (stored < 0 || stored >= StoredRows() || column < 0 || column >= kColumns) return {};
    const Row& r = rows_[static_cast<std::size_t>(stored)];
    if (column >= r.filled) return {};
    const Cell& c = r.cells[column];
    return std::string_view(arena_).substr(c.at, c.size);
}

void MessageListModel::Changed() {
    for (auto& r : ranks_) r.clear();
}

const std::vector<std::uint32_t>& MessageListModel::Ranks(int column) {
    std::vector<std::uint32_t>& rank = ranks_[column];
    if (rank.size() == rows_.size()) return rank;
    // Each distinct text is collated once: the collation is a total order,
    // so equal texts, and only they, share a rank.
    const std::size_t n = rows_.size();
    std::unordered_map<std::string_view, std::uint32_t> groupOf;
    groupOf.reserve(n);
    std::vector<std::string_view> texts;
    rank.assign(n, 0);
    for (std::size_t k = 0; k < n; ++k) {
        auto [it, added] = groupOf.emplace(Text(static_cast<int>(k), column), static_cast<std::uint32_t>(texts.size()));
        if (added) texts.push_back(it->first);
        rank[k] = it->second;
    }
    std::string keyBytes;
    std::vector<std::size_t> keyEnd(texts.size());
    for (std::size_t g = 0; g < texts.size(); ++g) {
        AppendCollationPrimaryKey(keyBytes, texts[g]);
        keyEnd[g] = keyBytes.size();
    }
    auto key = [&](std::uint32_t g) {
        const std::size_t from = g == 0 ? 0 : keyEnd[g - 1];
        return std::string_view(keyBytes).substr(from, keyEnd[g] - from);
    };
    std::vector<std::uint32_t> byText(texts.size());
    for (std::size_t g = 0; g < byText.size(); ++g) byText[g] = static_cast<std::uint32_t>(g);
    std::sort(byText.begin(), byText.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (int r = key(a).compare(key(b))) return r < 0;
        return CollateCompare(texts[a], texts[b]) < 0;
    });
    std::vector<std::uint32_t> rankOf(texts.size());
    for (std::size_t r = 0; r < byText.size(); ++r) rankOf[byText[r]] = static_cast<std::uint32_t>(r);
    for (auto& r : rank) r = rankOf[r];
    rankCount_[column] = static_cast<std::uint32_t>(texts.size());
    return rank;
}

void MessageListModel::Sort(int column, bool descending) {
    if (column < 0 || column >= kColumns || order_.empty()) return;
    // One stable pass over the shown order by rank; descending keeps equal
    // rows in their order too.
    const std::vector<std::uint32_t>& rank = Ranks(column);
    const std::uint32_t ranks = rankCount_[column];
    std::vector<std::size_t> start(static_cast<std::size_t>(ranks) + 1, 0);
    for (int k : order_) ++start[descending ? ranks - 1 - rank[static_cast<std::size_t>(k)] : rank[static_cast<std::size_t>(k)]];
    std::size_t at = 0;
    for (auto& v : start) {
        const std::size_t count = v;
        v = at;
        at += count;
    }
    std::vector<int> sorted(order_.size());
    for (int k : order_) {
        const std::uint32_t r = rank[static_cast<std::size_t>(k)];
        sorted[start[descending ? ranks - 1 - r : r]++] = k;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList from = persistentIndexList();
    if (!from.isEmpty()) {
        std::vector<int> rowOf(rows_.size(), 0);
        for (std::size_t k = 0; k < sorted.size(); ++k) rowOf[static_cast<std::size_t>(sorted[k])] = static_cast<int>(k);
        QModelIndexList to;
        to.reserve(from.size());
        for (const QModelIndex& i : from)
            to.append(index(rowOf[static_cast<std::size_t>(order_[static_cast<std::size_t>(i.row())])], i.column()));
        changePersistentIndexList(from, to);
    }
    order_ = std::move(sorted);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void MessageListModel::SetHeaderLabels(const QStringList& labels) {
    labels_ = labels;
    emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
}

void MessageListModel::SetRowMarker(RowMarker marker) {
    marker_ = std::move(marker);
    RefreshMarks();
}

void MessageListModel::RefreshMarks() {
    if (order_.empty()) return;
    emit dataChanged(index(0, 0), index(ShownRows() - 1, kColumns - 1),
                     {Qt::BackgroundRole, Qt::ForegroundRole, Qt::ToolTipRole});
}

int MessageListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ShownRows(); }

int MessageListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant MessageListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= ShownRows()) return {};
    const int stored = order_[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            if (companion_ && index.column() < 2) {
                const int entry = static_cast<int>(ParseLeadingNumber(Text(stored, kColumns - 1)));
                if (const std::string* u8 = companion_(entry, index.column()); u8 && !u8->empty())
                    return QString::fromStdString(*u8);
            }
            return QString::fromStdString(Cp1252ToUtf8(Text(stored, index.column())));
        case Qt::BackgroundRole:
        case Qt::ForegroundRole:
        case Qt::ToolTipRole: {
            if (!marker_) return {};
            const RowMark m = marker_(static_cast<int>(ParseLeadingNumber(Text(stored, kColumns - 1))));
            if (role == Qt::ToolTipRole) return m.toolTip.isEmpty() ? QVariant() : QVariant(m.toolTip);
            const QBrush& b = role == Qt::BackgroundRole ? m.background : m.foreground;
            return b.style() == Qt::NoBrush ? QVariant() : QVariant(b);
        }
        default:
            return {};
    }
}

QVariant MessageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= labels_.size()) return {};
    return labels_[section];
}

Qt::ItemFlags MessageListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

}  // namespace pelicard::qt
