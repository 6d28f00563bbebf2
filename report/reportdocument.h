// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

// The lab report as a flat list of blocks, free of any file format: the ODT and the PDF writer
// render the same blocks, so both files carry the same text, figures and numbering. The first
// page is the title page (no page number) up to the first page break.
class ReportDocument
{
public:
    enum class Kind {
        TitleLine, // a line of the title page
        Heading,
        Paragraph,
        Formula, // a line of its own, centred
        Figure, // a picture with "Рисунок N – …" under it
        Table, // "Таблица N – …" above a table
        PageBreak,
        Space, // empty lines: room for the student's own words, or the title page's gaps
    };
    enum class Align { Left, Centre, Right, Justify };

    struct Cell
    {
        Cell() = default;
        Cell(const QString &text, bool bold = false)
            : text(text)
            , bold(bold)
        { }
        explicit Cell(const QImage &image)
            : image(image)
        { }

        QString text;
        QImage image; // a small picture (a block type) instead of the text
        bool bold = false;
    };

    struct Table
    {
        QStringList header;
        QList<int> widths; // relative column widths, one a column
        QList<QList<Cell>> rows;
    };

    struct Block
    {
        Kind kind = Kind::Paragraph;
        QString text; // the text; a figure's or table's caption without "Рисунок N – "
        Align align = Align::Justify;
        bool bold = false;
        int level = 1; // headings: 1 or 2
        int lines = 1; // Space: how many empty lines
        QImage image;
        double widthMm = 0; // a figure's width on the page
        bool sharp = false; // a figure scaled without smoothing (planes: every pixel a square)
        int number = 0; // a figure's or table's number
        Table table;
    };

    // A part of the ODT package of our own (data that reads back), listed in its manifest.
    struct DataPart
    {
        QString path;
        QString mediaType;
        QByteArray data;
    };

    void titleLine(const QString &text, Align align = Align::Centre, bool bold = false);
    void heading(const QString &text, int level = 1);
    void paragraph(const QString &text, Align align = Align::Justify);
    void formula(const QString &text);
    // Returns the figure's number, for the text that refers to it.
    int figure(const QImage &image, const QString &caption, double widthMm, bool sharp = false);
    int table(const QString &caption, const Table &table);
    void pageBreak();
    void space(int lines);

    static QString figureCaption(int number, const QString &caption);
    static QString tableCaption(int number, const QString &caption);
    // Russian decimal comma for a number the program formats with a point.
    static QString decimal(const QString &number);
    static QString decimal(double value, char format = 'g', int precision = 6);

    QString title; // the document's title, for its metadata
    QString author;
    QString subject;
    QList<Block> blocks;
    QList<DataPart> dataParts;

private:
    int figures = 0;
    int tables = 0;
};
