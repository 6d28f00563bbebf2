// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultstable.h"

#include "planereport.h"

using Kind = SpreadsheetText::Kind;

QStringList ResultsTable::columnTitles()
{
    return {QStringLiteral("тип блока"), QStringLiteral("количество"),
        QStringLiteral("вероятность"), QStringLiteral("код Хаффмана"),
        QStringLiteral("длина кода")};
}

QString ResultsTable::patternText(int pattern)
{
    QString text(9, QLatin1Char('0'));
    for (int bit = 0; bit < 9; ++bit) {
        if (pattern & (1 << bit))
            text[bit] = QLatin1Char('1');
    }
    return text;
}

ResultsTable::ResultsTable(const PlaneStatistics &stats, const QStringList &typedCodes)
    : stats(stats)
    , typedCodes(typedCodes)
{ }

int ResultsTable::rowCount() const
{
    return int(stats.types.size());
}

SpreadsheetText::Cell ResultsTable::cell(int row, int column) const
{
    if (row < 0 || row >= rowCount())
        return {};
    switch (column) {
    case BlockColumn:
        return {patternText(stats.types.at(row).pattern), Kind::Digits};
    case CountColumn:
        return {QString::number(stats.types.at(row).count), Kind::Number};
    case ProbabilityColumn:
        return {PlaneReport::entropyLine(stats.probabilities.value(row)), Kind::Number};
    case CodeColumn:
        if (row < hiddenRows)
            return {typedCodes.value(row), Kind::Digits};
        return {stats.codes.value(row), Kind::Digits};
    case LengthColumn:
        return {QString::number(stats.lengths.value(row).length), Kind::Number};
    default:
        return {};
    }
}

SpreadsheetText::Row ResultsTable::row(int row) const
{
    SpreadsheetText::Row cells;
    for (int column = 0; column < columnCount; ++column)
        cells.append(cell(row, column));
    return cells;
}

SpreadsheetText::Row ResultsTable::header() const
{
    SpreadsheetText::Row cells;
    for (const QString &title : columnTitles())
        cells.append({title, Kind::Label});
    return cells;
}

QList<SpreadsheetText::Row> ResultsTable::all() const
{
    QList<SpreadsheetText::Row> rows {header()};
    for (int r = 0; r < rowCount(); ++r)
        rows.append(row(r));
    return rows;
}
