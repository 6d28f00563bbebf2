// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QMimeData;

// Rows of cells written for a spreadsheet program with a Russian locale: tab-separated text for
// the clipboard, a semicolon CSV file, and an HTML table that LibreOffice Calc takes in preference
// to plain text when pasting. Numbers are written by the caller (with a decimal comma); what the
// writer decides is how each kind of cell survives the spreadsheet's guessing.
class SpreadsheetText
{
public:
    enum class Kind {
        Label, // words: a header, a name; nothing in it looks like a number
        Number, // a count or a decimal with a comma: should arrive as a number
        Digits, // a code, a bit pattern, a counters list: digits that must stay text as written
    };

    struct Cell
    {
        QString text;
        Kind kind = Kind::Label;
    };
    using Row = QList<Cell>;

    // Cells separated by tabs, one row a line, every line ending in a line break; a tab or line
    // break inside a cell becomes a space. One cell alone is its text without the line break.
    static QString tsv(const QList<Row> &rows);

    // UTF-8 with a byte-order mark, cells separated by semicolons, one row a line. A cell holding
    // a semicolon, comma, quote, line break or surrounding space is quoted ("" for a quote):
    // LibreOffice's import splits on commas too unless told otherwise. A non-empty Digits cell is
    // written as the formula ="..." so that leading zeros survive whatever the import settings:
    // Calc shows it as text, evaluated or not, and quoting alone does not stop it from reading
    // 0010 as the number 10.
    static QByteArray csv(const QList<Row> &rows);

    // A UTF-8 HTML table; Digits cells carry Calc's text number format.
    static QString html(const QList<Row> &rows);

    // Both for the clipboard: Calc pastes the HTML table, where codes keep their text format;
    // editors take the text. The caller owns the result (the clipboard takes it).
    static QMimeData *mimeData(const QList<Row> &rows);
};
