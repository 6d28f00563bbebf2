// SPDX-License-Identifier: GPL-3.0-or-later
#include "namerule.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// {0,19} rather than {,19}: PCRE2 reads "{,19}" as literal text, not as a repeat count. The
// range А-Я leaves out Ё and а-я leaves out ё, so both are listed apart.
const QString part = QStringLiteral("[А-ЯЁ][а-яё]{0,19}");

bool isCapital(QChar c)
{
    return (c >= u'А' && c <= u'Я') || c == u'Ё';
}

bool isSmall(QChar c)
{
    return (c >= u'а' && c <= u'я') || c == u'ё';
}

QString partProblem(const QString &word, const QString &text)
{
    if (text.isEmpty())
        return QStringLiteral("в слове «%1» дефис не между двумя частями").arg(word);
    if (!isCapital(text.at(0))) {
        return isSmall(text.at(0))
            ? QStringLiteral("«%1» начинается со строчной буквы").arg(text)
            : QStringLiteral("«%1» начинается не с русской заглавной буквы").arg(text);
    }
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (isCapital(text.at(i)))
            return QStringLiteral("в «%1» заглавная буква внутри слова").arg(text);
        if (!isSmall(text.at(i)))
            return QStringLiteral("в «%1» знак «%2», а допускаются только русские буквы и дефис")
                .arg(text, text.at(i));
    }
    if (text.size() > 1 + NameRule::maxSmallLetters)
        return QStringLiteral("«%1» длиннее %2 букв").arg(text).arg(1 + NameRule::maxSmallLetters);
    return {};
}

} // namespace

QString NameRule::pattern()
{
    const QString word = part + QStringLiteral("(-") + part + QLatin1Char(')') + QLatin1Char('?');
    return word + QLatin1Char(' ') + word + QStringLiteral("( ") + word + QStringLiteral(")?");
}

bool NameRule::acceptable(const QString &fullName)
{
    static const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern()));
    return whole.match(fullName).hasMatch();
}

QString NameRule::description()
{
    return QStringLiteral("два или три слова русскими буквами, каждое с заглавной, через один "
                          "пробел; двойная фамилия или имя — через дефис (Салтыков-Щедрин, "
                          "Анна-Мария)");
}

QString NameRule::briefDescription()
{
    return QStringLiteral(
        "два-три слова русскими буквами, каждое с заглавной; двойные — через дефис");
}

QString NameRule::problem(const QString &fullName)
{
    if (acceptable(fullName))
        return {};
    if (fullName.isEmpty())
        return QStringLiteral("имя пустое");
    const QStringList words = fullName.split(QLatin1Char(' '));
    if (words.size() < minWords)
        return QStringLiteral("одно слово, а нужны фамилия и имя");
    if (words.size() > maxWords)
        return QStringLiteral("слов %1, а их не больше трех").arg(words.size());
    for (const QString &word : words) {
        if (word.isEmpty())
            return QStringLiteral("лишний пробел");
        const QStringList parts = word.split(QLatin1Char('-'));
        if (parts.size() > 2)
            return QStringLiteral("в слове «%1» больше одного дефиса").arg(word);
        for (const QString &text : parts) {
            const QString why = partProblem(word, text);
            if (!why.isEmpty())
                return why;
        }
    }
    return QStringLiteral("имя не подходит под правило");
}
