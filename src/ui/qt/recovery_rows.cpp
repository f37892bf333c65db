#include "ui/qt/recovery_rows.hpp"

#include <QColor>

namespace pelicard::qt {

RowMark RecoveryMark(const State& s, int entry) {
    if (s.list.Mode != StoreMode::OutlookExpress || entry < 1 || static_cast<std::size_t>(entry) >= s.list.Oe.size())
        return {};
    const RecoveryState r = s.list.Oe[static_cast<std::size_t>(entry)].Recovery;
    if (r == RecoveryState::Indexed) return {};
    if (r == RecoveryState::Deleted)
        return {QBrush(), QBrush(QColor(0xA0, 0x20, 0x20)),
                QString::fromUtf8("Message supprimé, retrouvé dans l'espace libre du fichier ; "
                                  "les octets perdus sont marqués « […] »")};
    return {QBrush(), QBrush(QColor(0x1A, 0x5C, 0x9E)),
            QString::fromUtf8("Message récupéré : l'index du fichier ne l'atteint plus")};
}

}  // namespace pelicard::qt
