// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "planestatistics.h"
#include "spreadsheettext.h"

#include <QList>
#include <QString>
#include <QStringList>

// The results table as it leaves the program: the window's five columns, one row per block type,
// each cell written for a spreadsheet. The block picture becomes its 9 bits, the probability a
// plain decimal with a comma (the digits of the table, the line the entropy output writes), and
// the hidden rows' code cell what the student typed there, never the code itself.
class ResultsTable
{
public:
    // Rows whose code the student works out; the window leaves their code cells empty.
    static constexpr int hiddenRows = 5;

    enum Column { BlockColumn, CountColumn, ProbabilityColumn, CodeColumn, LengthColumn };
    static constexpr int columnCount = 5;

    static QStringList columnTitles();

    // The 9 bits of a block pattern, top row first, each row left to right, 1 = black.
    static QString patternText(int pattern);

    // typedCodes: the texts in the hidden rows' code cells, in row order; rows past its end
    // count as empty.
    ResultsTable(const PlaneStatistics &stats, const QStringList &typedCodes);

    int rowCount() const;
    SpreadsheetText::Cell cell(int row, int column) const;
    SpreadsheetText::Row row(int row) const;
    SpreadsheetText::Row header() const;
    // The header line, then every row.
    QList<SpreadsheetText::Row> all() const;

private:
    const PlaneStatistics stats; // implicitly shared lists: a cheap copy
    const QStringList typedCodes;
};
