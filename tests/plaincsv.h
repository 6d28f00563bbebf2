// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A plain reader of semicolon CSV, written from the format's rules rather than from our writer:
// what any other program reading our files would see.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace PlainCsv {

struct Table
{
    bool byteOrderMark = false;
    QList<QStringList> records;
};

inline Table parse(const QByteArray &bytes)
{
    Table table;
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF")) {
        table.byteOrderMark = true;
        data.remove(0, 3);
    }
    const QString text = QString::fromUtf8(data);
    QStringList record;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size()
                && text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == QLatin1Char(';')) {
            record << field;
            field.clear();
            fieldStarted = false;
        } else if (c == QLatin1Char('\n')) {
            record << field;
            table.records << record;
            record.clear();
            field.clear();
            fieldStarted = false;
        } else if (c != QLatin1Char('\r')) {
            field += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !record.isEmpty()) {
        record << field;
        table.records << record;
    }
    return table;
}

// A field written as the formula ="..." (text for a spreadsheet), as its text.
inline QString textOf(const QString &field)
{
    if (field.startsWith(QLatin1String("=\"")) && field.endsWith(QLatin1Char('"'))
        && field.size() >= 3) {
        QString inner = field.mid(2, field.size() - 3);
        inner.replace(QStringLiteral("\"\""), QStringLiteral("\""));
        return inner;
    }
    return field;
}

// A number with a decimal comma, as a spreadsheet with a Russian locale reads it.
inline double numberOf(const QString &field, bool *ok)
{
    QString text = field;
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    return text.toDouble(ok);
}

} // namespace PlainCsv
