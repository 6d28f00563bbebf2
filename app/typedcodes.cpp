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
    Work &work = typed[*shownKey];
    work.texts = anything ? texts : QStringList();
    if (!anything && !work.verdict)
        typed.remove(*shownKey);
}

std::optional<bool> TypedCodes::restore(
    QTableWidget &table, int hiddenRows, int codeColumn, const std::optional<Plane> &shown)
{
    shownKey.reset();
    if (!shown)
        return std::nullopt;
    shownKey = Key(shown->picture, shown->plane);
    const Work work = typed.value(*shownKey);
    const int rows = int(qMin<qsizetype>(qMin(hiddenRows, table.rowCount()), work.texts.size()));
    for (int row = 0; row < rows; ++row) {
        if (QTableWidgetItem *cell = table.item(row, codeColumn))
            cell->setText(work.texts.at(row));
    }
    return work.verdict;
}

void TypedCodes::checked(bool right)
{
    if (shownKey)
        typed[*shownKey].verdict = right;
}

QString TypedCodes::verdictText(bool right, int codes)
{
    switch (codes) {
    case 1:
        return right ? QStringLiteral("Код верен") : QStringLiteral("Код неверен");
    case 2:
        return right ? QStringLiteral("Оба кода верны") : QStringLiteral("Есть неверные коды");
    case 3:
        return right ? QStringLiteral("Все три кода верны") : QStringLiteral("Есть неверные коды");
    case 4:
        return right ? QStringLiteral("Все четыре кода верны")
                     : QStringLiteral("Есть неверные коды");
    default:
        return right ? QStringLiteral("Все пять кодов верны")
                     : QStringLiteral("Есть неверные коды");
    }
}
