// SPDX-License-Identifier: GPL-3.0-or-later
#include "keyclass.h"

#include "classfile.h"
#include "classlist.h"
#include "homeworkdiagnosis.h"
#include "namecode.h"
#include "planereport.h"
#include "spreadsheettext.h"
#include "variants.h"

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
    std::optional<ClassList::Columns> columns;
    QString error;
};

// pathRequired false: the file may be left out (variants prints the whole table then).
Arguments read(const QStringList &arguments, bool pathRequired = true)
{
    Arguments read;
    bool havePath = false;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size() && read.error.isEmpty(); ++i) {
        const QString &argument = arguments.at(i);
        const bool option
            = !optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1;
        if (option && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (option && argument == QLatin1String("--csv")) {
            read.csv = true;
        } else if (option
            && (argument == QLatin1String("--columns")
                || argument.startsWith(QLatin1String("--columns=")))) {
            QString text;
            if (argument.contains(QLatin1Char('='))) {
                text = argument.mid(argument.indexOf(QLatin1Char('=')) + 1);
            } else if (i + 1 < arguments.size()) {
                text = arguments.at(++i);
            } else {
                read.error
                    = QStringLiteral("после --columns нужны столбцы, например 2,3 или B-D,E");
                break;
            }
            if (read.columns) {
                read.error = QStringLiteral("--columns задан дважды");
                break;
            }
            read.columns = ClassList::Columns::parse(text, &read.error);
        } else if (option) {
            read.error = QStringLiteral("неизвестный параметр ") + ClassFile::shown(argument);
        } else if (havePath) {
            read.error = QStringLiteral("лишний аргумент ") + ClassFile::shown(argument);
        } else {
            read.path = argument;
            havePath = true;
        }
    }
    if (read.error.isEmpty() && read.path.isEmpty() && (pathRequired || havePath))
        read.error = QStringLiteral("не задан файл со списком");
    if (read.error.isEmpty() && read.path.isEmpty() && read.columns)
        read.error = QStringLiteral("--columns задается только вместе с файлом списка");
    return read;
}

// The file's bytes, or why not, in Russian whatever the system's language.
bool contents(const QString &path, QByteArray *bytes, QString *why)
{
    const QFileInfo info(path);
    QFile file(path);
    if (!info.exists())
        *why = QStringLiteral("файл не найден");
    else if (info.isDir())
        *why = QStringLiteral("это папка, а не файл");
    else if (!file.open(QIODevice::ReadOnly))
        *why = file.error() == QFileDevice::PermissionsError
            ? QStringLiteral("нет прав на чтение этого файла")
            : QStringLiteral("файл не открывается для чтения");
    else
        *bytes = file.readAll();
    if (why->isEmpty() && file.error() != QFileDevice::NoError)
        *why = QStringLiteral("файл не удалось прочитать до конца");
    return why->isEmpty();
}

QString problems(const QString &path, const QList<ClassList::Problem> &list)
{
    QString text;
    for (const ClassList::Problem &problem : list) {
        const QString column = problem.column > 0
            ? QStringLiteral(", столбец ") + ClassFile::columnName(problem.column)
            : QString();
        text += QStringLiteral("huffman-lab-key: %1, строка %2%3: %4\n")
                    .arg(ClassFile::shown(path, 0), QString::number(problem.line), column,
                        problem.text);
    }
    return text;
}

Output finish(const QList<SpreadsheetText::Row> &rows, const SpreadsheetText::Row &header, bool csv,
    const QString &path, const ClassList::Parsed &parsed)
{
    Output output;
    const QList<ClassList::Problem> &list = parsed.problems;
    if (csv)
        output.out = SpreadsheetText::csv(QList<SpreadsheetText::Row> {header} + rows);
    else if (!rows.isEmpty())
        output.out = SpreadsheetText::tsv(rows).toUtf8();
    if (!parsed.notice.isEmpty())
        output.err = QStringLiteral("huffman-lab-key: %1: %2\n")
                         .arg(ClassFile::shown(path, 0), parsed.notice);
    output.err += problems(path, list);
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
        return Output {{},
            QStringLiteral("huffman-lab-key: %1: %2\n").arg(ClassFile::shown(args.path, 0), why),
            problemExit};
    *parsed = parse(bytes, args.columns);
    if (!parsed->refusal.isEmpty())
        return Output {{},
            QStringLiteral("huffman-lab-key: %1: %2\n")
                .arg(ClassFile::shown(args.path, 0), parsed->refusal),
            problemExit};
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
    return finish(rows, header, args.csv, args.path, parsed);
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
        // What a student typed is shown, never sent raw to the teacher's terminal.
        rows.append({{entry.name, Kind::Label}, {ClassFile::shown(entry.answer, 0), Kind::Digits},
            {HomeworkDiagnosis::kindName(diagnosis.kind), Kind::Label},
            {ClassFile::shown(diagnosis.text, 0), Kind::Label}});
    }
    const SpreadsheetText::Row header {{QStringLiteral("ФИО"), Kind::Label},
        {QStringLiteral("ответ"), Kind::Label}, {QStringLiteral("вид ответа"), Kind::Label},
        {QStringLiteral("пояснение"), Kind::Label}};
    return finish(rows, header, args.csv, args.path, parsed);
}

namespace {

// A variant's fields as cells; in a CSV file L and H with decimal commas, as a Russian
// spreadsheet reads numbers.
SpreadsheetText::Row variantCells(const VariantAnswers &answers, bool csv)
{
    const QStringList fields = Variants::fields(answers);
    SpreadsheetText::Row row;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i == 1)
            row.append({fields.at(i), Kind::Label});
        else if (i >= 6)
            row.append({fields.at(i), Kind::Digits});
        else if ((i == 4 || i == 5) && csv && !fields.at(i).isEmpty())
            row.append({PlaneReport::entropyLine(fields.at(i)), Kind::Number});
        else
            row.append({fields.at(i), Kind::Number});
    }
    return row;
}

SpreadsheetText::Row titleCells(const QStringList &titles)
{
    SpreadsheetText::Row row;
    for (const QString &title : titles)
        row.append({title, Kind::Label});
    return row;
}

// "--variant K" taken out of the arguments (before any "--"); empty when not given.
QStringList withoutVariant(
    const QStringList &arguments, std::optional<QString> *variant, QString *error)
{
    QStringList rest;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        optionsEnded = optionsEnded || argument == QLatin1String("--");
        QString text;
        if (!optionsEnded && argument == QLatin1String("--variant")) {
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("после --variant нужен номер варианта");
                return {};
            }
            text = arguments.at(++i);
        } else if (!optionsEnded && argument.startsWith(QLatin1String("--variant="))) {
            text = argument.mid(argument.indexOf(QLatin1Char('=')) + 1);
        } else {
            rest.append(argument);
            continue;
        }
        if (variant->has_value()) {
            *error = QStringLiteral("--variant задан дважды");
            return {};
        }
        *variant = text;
    }
    return rest;
}

} // namespace

Output variants(const QStringList &arguments)
{
    std::optional<QString> variantText;
    QString error;
    const QStringList rest = withoutVariant(arguments, &variantText, &error);
    if (!error.isEmpty())
        return Output {{}, error, badArguments};
    const Arguments args = read(rest, false);
    if (!args.error.isEmpty())
        return Output {{}, args.error, badArguments};

    std::optional<Variant> only;
    if (variantText) {
        if (!args.path.isEmpty())
            return Output {
                {}, QStringLiteral("--variant и файл списка вместе не задаются"), badArguments};
        only = Variants::parse(*variantText, &error);
        if (!only)
            return Output {{}, error, badArguments};
    }
    const QList<VariantAnswers> answers
        = only ? QList<VariantAnswers> {Variants::answers(*only)} : Variants::allAnswers();
    for (const VariantAnswers &variant : answers) {
        if (!variant.read)
            return Output {{},
                QStringLiteral("huffman-lab-key: встроенное изображение «%1» не прочитано\n")
                    .arg(variant.variant.picture),
                problemExit};
    }

    if (args.path.isEmpty()) {
        QList<SpreadsheetText::Row> rows;
        for (const VariantAnswers &variant : answers)
            rows.append(variantCells(variant, args.csv));
        Output output;
        output.out = args.csv ? SpreadsheetText::csv(
                         QList<SpreadsheetText::Row> {titleCells(Variants::fieldTitles())} + rows)
                              : SpreadsheetText::tsv(rows).toUtf8();
        return output;
    }

    ClassList::Parsed parsed;
    if (const std::optional<Output> failed = readList(args, ClassList::names, &parsed))
        return *failed;
    QList<SpreadsheetText::Row> rows;
    for (qsizetype i = 0; i < parsed.entries.size(); ++i) {
        const VariantAnswers &variant = answers.at(Variants::forStudent(int(i + 1)) - 1);
        rows.append(SpreadsheetText::Row {{parsed.entries.at(i).name, Kind::Label}}
            + variantCells(variant, args.csv));
    }
    Output output
        = finish(rows, titleCells(QStringList {QStringLiteral("ФИО")} + Variants::fieldTitles()),
            args.csv, args.path, parsed);
    const QString file = ClassFile::shown(args.path, 0);
    if (parsed.entries.isEmpty()) {
        output.err += QStringLiteral("huffman-lab-key: %1: в списке нет ни одного имени: "
                                     "вариантам некого назначить\n")
                          .arg(file);
        output.exitCode = problemExit;
    } else if (!parsed.problems.isEmpty()) {
        output.err += QStringLiteral("huffman-lab-key: %1: варианты назначены по порядку "
                                     "принятых имен; когда строки с ошибками будут исправлены, "
                                     "варианты студентов после них сдвинутся\n")
                          .arg(file);
    }
    if (parsed.entries.size() > Variants::count()) {
        output.err
            += QStringLiteral("huffman-lab-key: %1: в списке %2 студентов, а вариантов "
                              "%3: студент %4 и следующие получают варианты снова с 1\n")
                   .arg(file, QString::number(parsed.entries.size()),
                       QString::number(Variants::count()), QString::number(Variants::count() + 1));
    }
    return output;
}

} // namespace KeyClass
