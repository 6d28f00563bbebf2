// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

// A class's file as a teacher has it: a plain list, or a table a spreadsheet or an online form
// exported as CSV. The bytes become records of cells, whatever the encoding, line ends and
// separator; what the cells mean is ClassList's business.
//   - Encoding: a byte-order mark decides (UTF-8, UTF-16 LE or BE); without one, a file whose
//     lines with bytes from 0x80 on are mostly valid UTF-8 is UTF-8, and anything else is
//     Windows-1251, as old Excel and Notepad write Russian. A line of a UTF-8 file that is no
//     UTF-8 is a problem, not a record.
//   - Line ends: LF, CRLF or CR alone.
//   - Separator: TAB, ";" or ",", whichever the file's lines share outside quotes (a plain list of
//     names has none: one cell a line).
//   - Cells by the CSV rules: a cell in quotes may hold the separator, line breaks and doubled
//     quotes; a cell written as the formula ="text" (how spreadsheets keep digits as text) is its
//     text.
class ClassFile
{
public:
    enum class Encoding { Utf8, Utf8WithMark, Utf16LE, Utf16BE, Windows1251 };

    struct Record
    {
        int line = 0; // where it starts, from 1
        QStringList cells;
    };
    struct Problem
    {
        int line = 0;
        int column = 0; // from 1; 0 when the whole line is meant
        QString text; // in Russian: what is wrong and how to mend it
    };
    struct Table
    {
        Encoding encoding = Encoding::Utf8;
        QChar separator; // null: one cell a line
        QList<Record> records; // empty lines and comment lines (# first) left out
        // Lines that are no record: a quote never closed, bytes that are no UTF-8.
        QList<Problem> problems;
        QString refusal; // the file is no text at all (a workbook): why, and what to do instead
    };

    static Table read(const QByteArray &bytes);

    // The text of bytes in that encoding (no byte-order mark expected).
    static QString decode(const QByteArray &bytes, Encoding encoding);

    // A cell's text safe to show in a message: control characters and invisible direction
    // marks written as \xHH or \uHHHH, and a long text cut to its first maxLength characters.
    static QString shown(const QString &text, int maxLength = 60);

    // "2 (B)": a column as a number and as a spreadsheet names it.
    static QString columnName(int column);
};
