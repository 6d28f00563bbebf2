// SPDX-License-Identifier: GPL-3.0-or-later
#include "typedcodes.h"

#include <QTableWidget>

void TypedCodes::keep(const QTableWidget &table, int hiddenRows, int codeColumn)
{
    if (!shownKey)
        return;
    QStringList texts;
    bool anything = false;
    const int rows = qMin(hiddenRows, table.rowCount());
    for (int row = 0; row < rows; ++row) {
        const QTableWidgetItem *cell = table.item(row, codeColumn);
        texts.append(cell ? cell->text() : QString());
        anything = anything || !texts.last().isEmpty();
    }
    if (anything)
        typed.insert(*shownKey, texts);
    else
        typed.remove(*shownKey);
}

void TypedCodes::restore(
    QTableWidget &table, int hiddenRows, int codeColumn, const std::optional<Plane> &shown)
{
    shownKey.reset();
    if (!shown)
        return;
    shownKey = Key(shown->picture, shown->plane);
    const QStringList texts = typed.value(*shownKey);
    const int rows = int(qMin<qsizetype>(qMin(hiddenRows, table.rowCount()), texts.size()));
    for (int row = 0; row < rows; ++row) {
        if (QTableWidgetItem *cell = table.item(row, codeColumn))
            cell->setText(texts.at(row));
    }
}
