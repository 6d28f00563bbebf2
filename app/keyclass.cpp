// SPDX-License-Identifier: GPL-3.0-or-later
#include "keyclass.h"

#include "classlist.h"
#include "homeworkdiagnosis.h"
#include "namecode.h"
#include "spreadsheettext.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

namespace KeyClass {

namespace {

constexpr int problemExit = 1; // an unreadable file or a bad line
constexpr int badArguments = 2;

using Kind = SpreadsheetText::Kind;

struct Arguments
{
    QString path;
    bool csv = false;
    QString error;
};

Arguments read(const QStringList &arguments)
{
    Arguments read;
    bool havePath = false;
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--csv")) {
            read.csv = true;
        } else if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            read.error = QStringLiteral("неизвестный параметр ") + argument;
        } else if (havePath) {
            read.error = QStringLiteral("лишний аргумент ") + argument;
        } else {
            read.path = argument;
            havePath = true;
        }
    }
    if (read.error.isEmpty() && read.path.isEmpty())
        read.error = QStringLiteral("не задан файл со списком");
    return read;
}

// The file's bytes, or why not.
bool contents(const QString &path, QByteArray *bytes, QString *why)
{
    const QFileInfo info(path);
    QFile file(path);
    if (!info.exists())
        *why = QStringLiteral("файл не найден");
    else if (info.isDir())
        *why = QStringLiteral("это папка, а не файл");
    else if (!file.open(QIODevice::ReadOnly))
        *why = QStringLiteral("файл не открывается: ") + file.errorString();
    else
        *bytes = file.readAll();
    return why->isEmpty();
}

QString problems(const QString &path, const QList<ClassList::Problem> &list)
{
    QString text;
    for (const ClassList::Problem &problem : list) {
        text += QStringLiteral("huffman-lab-key: %1, строка %2: %3\n")
                    .arg(path, QString::number(problem.line), problem.text);
    }
    return text;
}

Output finish(const QList<SpreadsheetText::Row> &rows, const SpreadsheetText::Row &header, bool csv,
    const QString &path, const QList<ClassList::Problem> &list)
{
    Output output;
    if (csv)
        output.out = SpreadsheetText::csv(QList<SpreadsheetText::Row> {header} + rows);
    else if (!rows.isEmpty())
        output.out = SpreadsheetText::tsv(rows).toUtf8();
    output.err = problems(path, list);
    output.exitCode = list.isEmpty() ? 0 : problemExit;
    return output;
}

// "*" where the students' answers may differ from the key and still be right; "?" when the
// search among equal probabilities gave up before it knew.
QString disputed(const QString &name)
{
    const std::optional<bool> other = HomeworkDiagnosis::otherCountersPossible(name);
    if (!other)
        return QStringLiteral("?");
    return *other ? QStringLiteral("*") : QString();
}

// The file read as a class list, or the output that says why not.
template<typename Parse>
std::optional<Output> readList(const Arguments &args, Parse parse, ClassList::Parsed *parsed)
{
    if (!args.error.isEmpty())
        return Output {{}, args.error, badArguments};
    QByteArray bytes;
    QString why;
    if (!contents(args.path, &bytes, &why))
        return Output {
            {}, QStringLiteral("huffman-lab-key: %1: %2\n").arg(args.path, why), problemExit};
    *parsed = parse(bytes);
    return std::nullopt;
}

} // namespace

Output names(const QStringList &arguments)
{
    const Arguments args = read(arguments);
    ClassList::Parsed parsed;
    if (const std::optional<Output> failed = readList(args, ClassList::names, &parsed))
        return *failed;
    QList<SpreadsheetText::Row> rows;
    for (const ClassList::Entry &entry : parsed.entries) {
        const NameStatistics statistics = NameCode::analyse(entry.name);
        rows.append({{entry.name, Kind::Label}, {statistics.countersText, Kind::Digits},
            {QString::number(statistics.letterCounts.size()), Kind::Number},
            {disputed(entry.name), Kind::Label},
            {statistics.answers().join(QLatin1Char(' ')), Kind::Digits}});
    }
    const SpreadsheetText::Row header {{QStringLiteral("ФИО"), Kind::Label},
        {QStringLiteral("счетчики длин кодов"), Kind::Label},
        {QStringLiteral("различных символов"), Kind::Label},
        {QStringLiteral("другие счетчики той же цены"), Kind::Label},
        {QStringLiteral("верные ответы"), Kind::Label}};
    return finish(rows, header, args.csv, args.path, parsed.problems);
}

Output checkAll(const QStringList &arguments)
{
    const Arguments args = read(arguments);
    ClassList::Parsed parsed;
    if (const std::optional<Output> failed = readList(args, ClassList::answers, &parsed))
        return *failed;
    QList<SpreadsheetText::Row> rows;
    for (const ClassList::Entry &entry : parsed.entries) {
        const HomeworkDiagnosis diagnosis = HomeworkDiagnosis::of(entry.name, entry.answer);
        rows.append({{entry.name, Kind::Label}, {entry.answer, Kind::Digits},
            {HomeworkDiagnosis::kindName(diagnosis.kind), Kind::Label},
            {diagnosis.text, Kind::Label}});
    }
    const SpreadsheetText::Row header {{QStringLiteral("ФИО"), Kind::Label},
        {QStringLiteral("ответ"), Kind::Label}, {QStringLiteral("вид ответа"), Kind::Label},
        {QStringLiteral("пояснение"), Kind::Label}};
    return finish(rows, header, args.csv, args.path, parsed.problems);
}

} // namespace KeyClass
