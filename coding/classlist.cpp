// SPDX-License-Identifier: GPL-3.0-or-later
#include "classlist.h"

#include "fieldtext.h"
#include "namecode.h"
#include "namerule.h"

#include <QStringDecoder>

namespace {

const QString refusedName = QStringLiteral("поле имени в окне программы не примет «%1» (%2): нужны ");

// What the window's fields would hold after the same text was pasted into them.
QString cleanName(const QString &text)
{
    return FieldText::name(text);
}

template<typename Take>
ClassList::Parsed parse(const QByteArray &contents, Take take)
{
    ClassList::Parsed parsed;
    QByteArray data = contents;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    const QList<QByteArray> lines = data.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = int(i + 1);
        QByteArray bytes = lines.at(i);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString line = utf8.decode(bytes);
        if (utf8.hasError()) {
            parsed.problems.append({number, QStringLiteral("строка не в кодировке UTF-8")});
            continue;
        }
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        ClassList::Entry entry;
        entry.line = number;
        QString problem;
        if (take(line, entry, problem))
            parsed.entries.append(entry);
        else
            parsed.problems.append({number, problem});
    }
    return parsed;
}

bool takeName(const QString &text, ClassList::Entry &entry, QString &problem)
{
    entry.name = cleanName(text);
    if (NameCode::acceptable(entry.name))
        return true;
    problem = refusedName.arg(entry.name, NameRule::problem(entry.name)) + NameRule::description();
    return false;
}

} // namespace

ClassList::Parsed ClassList::names(const QByteArray &contents)
{
    return parse(contents, takeName);
}

ClassList::Parsed ClassList::answers(const QByteArray &contents)
{
    return parse(contents, [](const QString &line, Entry &entry, QString &problem) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0) {
            problem = QStringLiteral("нет табуляции между именем и счетчиками");
            return false;
        }
        if (!takeName(line.left(tab), entry, problem))
            return false;
        entry.answer = FieldText::counters(line.mid(tab + 1));
        return true;
    });
}
