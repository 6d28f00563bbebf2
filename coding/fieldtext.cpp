// SPDX-License-Identifier: GPL-3.0-or-later
#include "fieldtext.h"

QString FieldText::name(const QString &text, Ending ending)
{
    // Composed first: a combining mark after a space must not end up on a letter of its own.
    const QString composed = text.normalized(QString::NormalizationForm_C);
    QString result;
    result.reserve(composed.size());
    bool pendingSpace = false;
    for (const QChar c : composed) {
        if (c.isSpace()) {
            pendingSpace = !result.isEmpty();
            continue;
        }
        if (pendingSpace)
            result.append(QLatin1Char(' '));
        pendingSpace = false;
        // A word processor's hyphen and non-breaking hyphen are the name's plain hyphen.
        result.append(c == u'\u2010' || c == u'\u2011' ? QChar(u'-') : c);
    }
    if (pendingSpace && ending == Ending::KeepSpace)
        result.append(QLatin1Char(' '));
    return result;
}

QString FieldText::counters(const QString &text, Ending ending)
{
    QString result = name(text, ending);
    result.replace(QStringLiteral(" ,"), QStringLiteral(","));
    result.replace(QStringLiteral(", "), QStringLiteral(","));
    return result;
}
