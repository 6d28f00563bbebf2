// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportdocument.h"

void ReportDocument::titleLine(const QString &text, Align align, bool bold)
{
    Block block;
    block.kind = Kind::TitleLine;
    block.text = text;
    block.align = align;
    block.bold = bold;
    blocks.append(block);
}

void ReportDocument::heading(const QString &text, int level)
{
    Block block;
    block.kind = Kind::Heading;
    block.text = text;
    block.level = level;
    block.bold = true;
    block.align = Align::Left;
    blocks.append(block);
}

void ReportDocument::paragraph(const QString &text, Align align)
{
    Block block;
    block.kind = Kind::Paragraph;
    block.text = text;
    block.align = align;
    blocks.append(block);
}

void ReportDocument::formula(const QString &text)
{
    Block block;
    block.kind = Kind::Formula;
    block.text = text;
    block.align = Align::Centre;
    blocks.append(block);
}

int ReportDocument::figure(const QImage &image, const QString &caption, double widthMm, bool sharp)
{
    Block block;
    block.kind = Kind::Figure;
    block.image = image;
    block.text = caption;
    block.widthMm = widthMm;
    block.sharp = sharp;
    block.align = Align::Centre;
    block.number = ++figures;
    blocks.append(block);
    return block.number;
}

int ReportDocument::table(const QString &caption, const Table &table)
{
    Block block;
    block.kind = Kind::Table;
    block.text = caption;
    block.table = table;
    block.align = Align::Left;
    block.number = ++tables;
    blocks.append(block);
    return block.number;
}

void ReportDocument::pageBreak()
{
    Block block;
    block.kind = Kind::PageBreak;
    blocks.append(block);
}

void ReportDocument::space(int lines)
{
    Block block;
    block.kind = Kind::Space;
    block.lines = lines;
    blocks.append(block);
}

QString ReportDocument::figureCaption(int number, const QString &caption)
{
    return QStringLiteral("Рисунок %1 – %2").arg(QString::number(number), caption);
}

QString ReportDocument::tableCaption(int number, const QString &caption)
{
    return QStringLiteral("Таблица %1 – %2").arg(QString::number(number), caption);
}

QString ReportDocument::decimal(const QString &number)
{
    QString text = number;
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

QString ReportDocument::decimal(double value, char format, int precision)
{
    return decimal(QString::number(value, format, precision));
}
