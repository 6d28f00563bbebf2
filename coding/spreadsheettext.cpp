// SPDX-License-Identifier: GPL-3.0-or-later
#include "spreadsheettext.h"

#include <QMimeData>
#include <QStringList>

namespace {

QString flattened(QString text)
{
    for (QChar &c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return text;
}

QString quotedIfNeeded(const QString &text)
{
    bool quote = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
    for (const QChar c : text) {
        if (c == QLatin1Char(';') || c == QLatin1Char(',') || c == QLatin1Char('"')
            || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            quote = true;
            break;
        }
    }
    if (!quote)
        return text;
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString csvField(const SpreadsheetText::Cell &cell)
{
    if (cell.kind != SpreadsheetText::Kind::Digits || cell.text.isEmpty())
        return quotedIfNeeded(cell.text);
    QString literal = cell.text;
    literal.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return quotedIfNeeded(QStringLiteral("=\"") + literal + QLatin1Char('"'));
}

} // namespace

QString SpreadsheetText::tsv(const QList<Row> &rows)
{
    if (rows.size() == 1 && rows.first().size() == 1)
        return flattened(rows.first().first().text);
    QString text;
    for (const Row &row : rows) {
        QStringList cells;
        cells.reserve(row.size());
        for (const Cell &cell : row)
            cells.append(flattened(cell.text));
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

QByteArray SpreadsheetText::csv(const QList<Row> &rows)
{
    QString text;
    for (const Row &row : rows) {
        QStringList fields;
        fields.reserve(row.size());
        for (const Cell &cell : row)
            fields.append(csvField(cell));
        text += fields.join(QLatin1Char(';')) + QLatin1Char('\n');
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

QString SpreadsheetText::html(const QList<Row> &rows)
{
    QString text = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><table>");
    for (const Row &row : rows) {
        text += QStringLiteral("<tr>");
        for (const Cell &cell : row) {
            // "@" is the text format; 1049 names the Russian locale the format belongs to.
            text += cell.kind == Kind::Digits ? QStringLiteral("<td sdnum=\"1049;0;@\">")
                                              : QStringLiteral("<td>");
            text += cell.text.toHtmlEscaped() + QStringLiteral("</td>");
        }
        text += QStringLiteral("</tr>");
    }
    return text + QStringLiteral("</table></body></html>");
}

QMimeData *SpreadsheetText::mimeData(const QList<Row> &rows)
{
    auto *data = new QMimeData;
    data->setText(tsv(rows));
    data->setHtml(html(rows));
    return data;
}
