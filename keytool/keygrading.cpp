// SPDX-License-Identifier: GPL-3.0-or-later
#include "keygrading.h"

#include "bitplanes.h"
#include "blockhistogram.h"
#include "builtinpictures.h"
#include "classfile.h"
#include "classlist.h"
#include "fieldtext.h"
#include "namecode.h"
#include "picturereader.h"
#include "planereport.h"
#include "spreadsheettext.h"
#include "submission.h"
#include "variants.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>
#include <vector>

namespace KeyGrading {

namespace {

constexpr int problemExit = 1;
constexpr int badArguments = 2;
// A class list is text: a few hundred kilobytes at most.
constexpr qint64 maxClassFile = 16 * 1024 * 1024;

const QString passedText = QStringLiteral("зачтено");
const QString failedText = QStringLiteral("не зачтено");
const QString noWorkText = QStringLiteral("нет работы");

QString quoted(const QString &text)
{
    return QStringLiteral("«") + ClassFile::shown(text, 40) + QStringLiteral("»");
}

// A handed-in file's or folder's name is the student's text: shown, never sent raw to a terminal.
QString fileName(const QString &path)
{
    return ClassFile::shown(QFileInfo(path).fileName(), 100);
}

QString planeLabel(const SessionRecord::Plane &plane)
{
    if (plane.plane == 0)
        return quoted(plane.picture) + QStringLiteral(" целиком");
    return quoted(plane.picture) + QStringLiteral(", плоскость ") + QString::number(plane.plane);
}

// A name's words in lower case, ё as е, in order: "Иванов Иван" and "Иван Иванов" are one set.
QStringList nameWords(const QString &name)
{
    QString text = FieldText::name(name).toLower();
    text.replace(u'ё', u'е');
    QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

// Two names of one student: at least two words shared, and all of one name's words in the other
// (Moodle may show "Иван Иванов" for "Иванов Иван Иванович").
bool sameStudent(const QStringList &a, const QStringList &b)
{
    int common = 0;
    for (const QString &word : a)
        common += b.contains(word) ? 1 : 0;
    return common >= 2 && (common == a.size() || common == b.size());
}

} // namespace

QString Judgement::verdict() const
{
    return passed() ? passedText : failedText;
}

QString Judgement::reason() const
{
    if (!faults.isEmpty())
        return faults.join(QStringLiteral("; "));
    QStringList all {QStringLiteral("все верно")};
    return (all + notes).join(QStringLiteral("; "));
}

Grader::Grader(QList<VariantPlane> variants)
    : table(std::move(variants))
{ }

std::optional<int> Grader::variantForStudent(int position) const
{
    if (table.isEmpty() || position < 1)
        return std::nullopt;
    return (position - 1) % int(table.size()) + 1;
}

const PlaneStatistics *Grader::builtIn(const QString &picture, int plane, QString *why)
{
    const QString path = BuiltInPictures::resourcePath(picture);
    if (path.isEmpty()) {
        *why = quoted(picture)
            + QStringLiteral(" отмечено как встроенное изображение, но такого нет");
        return nullptr;
    }
    if (plane < 1 || plane > BitPlanes::count) {
        *why = quoted(picture)
            + QStringLiteral(": встроенное изображение анализируется по "
                             "плоскостям, а в файле плоскость %1")
                  .arg(plane);
        return nullptr;
    }
    const auto key = std::make_pair(picture, plane);
    const auto found = analysed.find(key);
    if (found != analysed.end())
        return &found->second;
    auto planes = pictures.find(picture);
    if (planes == pictures.end()) {
        // Read as the window reads it, so that the key is the window's own answer.
        const PictureReader::Result read = PictureReader::read(path);
        planes = pictures.emplace(picture, BitPlanes::split(read.image)).first;
    }
    if (planes->second.size() != BitPlanes::count) {
        *why = QStringLiteral("встроенное изображение ") + quoted(picture)
            + QStringLiteral(" не прочитано: ключ не вычислить");
        return nullptr;
    }
    return &analysed.emplace(key, PlaneStatistics::of(planes->second.at(plane - 1))).first->second;
}

Grader::PlaneResult Grader::judgePlane(const SessionRecord::Plane &plane)
{
    PlaneResult result;
    PlaneStatistics own;
    const PlaneStatistics *stats = nullptr;
    if (plane.builtIn) {
        QString why;
        stats = builtIn(plane.picture, plane.plane, &why);
        if (!stats) {
            result.faults.append(why);
            return result;
        }
        if (plane.width != stats->width || plane.height != stats->height)
            result.faults.append(QStringLiteral("размер изображения в файле %1 x %2, а у %3 — "
                                                "%4 x %5")
                                     .arg(plane.width)
                                     .arg(plane.height)
                                     .arg(quoted(plane.picture))
                                     .arg(stats->width)
                                     .arg(stats->height));
    } else {
        // A picture of the student's own is not handed in: its code is worked out again from
        // the block table the file carries, which must at least fit the picture's size. The
        // table's order is the order of first appearance among equal counts.
        const qint64 columns = (qint64(plane.width) + 2) / 3;
        const qint64 rows = (qint64(plane.height) + 2) / 3;
        BlockHistogram histogram;
        histogram.blockColumns = int(columns);
        histogram.blockRows = int(rows);
        qint64 total = 0;
        bool consistent = plane.width > 0 && plane.height > 0 && !plane.histogram.isEmpty();
        int previous = std::numeric_limits<int>::max();
        for (const auto &[pattern, count] : plane.histogram) {
            if (count < 1 || count > previous || histogram.counts[size_t(pattern)] != 0) {
                consistent = false;
                break;
            }
            histogram.counts[size_t(pattern)] = count;
            histogram.firstSeen.append(pattern);
            total += count;
            previous = count;
        }
        if (!consistent || total != columns * rows) {
            result.faults.append(QStringLiteral("таблица типов блоков в файле не согласуется с "
                                                "изображением %1 x %2: коды не проверить")
                                     .arg(plane.width)
                                     .arg(plane.height));
            return result;
        }
        own = PlaneStatistics::fromHistogram(plane.width, plane.height, histogram);
        stats = &own;
        result.notes.append(QStringLiteral("свое изображение: коды проверены по таблице типов "
                                           "блоков из файла"));
    }
    result.judged = true;

    result.codesAll = int(std::min<qsizetype>(LabSession::hiddenRows, stats->codes.size()));
    QStringList wrong;
    for (int row = 0; row < result.codesAll; ++row) {
        const QString typed = plane.typed.value(row);
        if (typed == stats->codes.at(row)) {
            ++result.codesRight;
        } else if (typed.isEmpty()) {
            wrong.append(QStringLiteral("в строке %1 код не введен").arg(row + 1));
        } else {
            wrong.append(
                QStringLiteral("в строке %1 введено %2 — неверно").arg(row + 1).arg(quoted(typed)));
        }
    }
    result.faults += wrong;
    if (!wrong.isEmpty() && plane.verdict.value_or(false))
        result.faults.append(QStringLiteral("в файле проверка отмечена как верная, но коды "
                                            "неверны"));

    const int types = int(stats->types.size());
    const QString averageLength = PlaneReport::figureText(stats->averageLength);
    const QString entropy = PlaneReport::figureText(stats->entropy);
    if (plane.types == types)
        ++result.figuresRight;
    else
        result.faults.append(
            QStringLiteral("типов блоков в файле %1, а верно %2").arg(plane.types).arg(types));
    if (plane.averageLength == averageLength)
        ++result.figuresRight;
    else
        result.faults.append(QStringLiteral("L в файле %1, а верно %2")
                                 .arg(quoted(plane.averageLength), averageLength));
    if (plane.entropy == entropy)
        ++result.figuresRight;
    else
        result.faults.append(
            QStringLiteral("H в файле %1, а верно %2").arg(quoted(plane.entropy), entropy));
    return result;
}

Judgement Grader::judge(const SessionRecord &record, std::optional<int> assigned)
{
    Judgement judgement;
    judgement.name = record.name;

    // The homework, from the name and counters alone.
    if (record.homework == HomeworkOutcome::Verdict::Skipped) {
        judgement.homework = QStringLiteral("пропущено");
        judgement.faults.append(QStringLiteral("домашнее задание пропущено"));
    } else {
        const QString name = FieldText::name(record.name);
        const QString counters = FieldText::counters(record.counters);
        const bool right
            = NameCode::acceptable(name) && NameCode::analyse(name).answers().contains(counters);
        judgement.homework = right ? QStringLiteral("верно") : QStringLiteral("неверно");
        if (!right && counters.isEmpty()) {
            judgement.faults.append(QStringLiteral("домашнее задание не проверено"));
        } else if (!right) {
            judgement.faults.append(QStringLiteral("домашнее задание неверно: счетчики %1 для %2%3")
                                        .arg(quoted(counters), quoted(name),
                                            record.homework == HomeworkOutcome::Verdict::Right
                                                ? QStringLiteral(" (в файле отмечено как верное)")
                                                : QString()));
        }
    }

    // The variant: the class list's, which the work must not contradict.
    std::optional<VariantPlane> target;
    judgement.variant = record.variant ? record.variant : assigned;
    if (assigned && record.variant && *record.variant != *assigned)
        judgement.faults.append(QStringLiteral("работа по варианту %1, а по списку группы — "
                                               "вариант %2")
                                    .arg(*record.variant)
                                    .arg(*assigned));
    if (judgement.variant) {
        const int number = *judgement.variant;
        if (number >= 1 && number <= table.size())
            target = table.at(number - 1);
        else if (table.isEmpty())
            judgement.faults.append(
                QStringLiteral("вариант %1: таблицы вариантов нет, не проверить").arg(number));
        else
            judgement.faults.append(
                QStringLiteral("варианта %1 нет (их %2)").arg(number).arg(table.size()));
    }

    QList<int> candidates;
    for (int i = 0; i < record.planes.size(); ++i) {
        const SessionRecord::Plane &plane = record.planes.at(i);
        if (!target
            || (plane.builtIn && plane.picture == target->picture && plane.plane == target->plane))
            candidates.append(i);
    }
    if (candidates.isEmpty()) {
        if (target)
            judgement.faults.append(
                QStringLiteral("в работе нет плоскости %1 изображения %2 (вариант %3)")
                    .arg(target->plane)
                    .arg(quoted(target->picture))
                    .arg(*judgement.variant));
        else if (!judgement.variant)
            judgement.faults.append(QStringLiteral("в работе нет ни одной плоскости"));
        return judgement;
    }
    // Without a variant any plane will do: the first one all right, else the first.
    PlaneResult chosen;
    int chosenIndex = -1;
    for (const int index : std::as_const(candidates)) {
        PlaneResult result = judgePlane(record.planes.at(index));
        if (chosenIndex < 0 || (result.faults.isEmpty() && !chosen.faults.isEmpty())) {
            chosen = result;
            chosenIndex = index;
        }
    }
    const QString label = planeLabel(record.planes.at(chosenIndex));
    if (chosen.judged) {
        judgement.codes = QStringLiteral("%1 из %2").arg(chosen.codesRight).arg(chosen.codesAll);
        judgement.figures = QStringLiteral("%1 из 3").arg(chosen.figuresRight);
    }
    for (const QString &fault : std::as_const(chosen.faults))
        judgement.faults.append(label + QStringLiteral(": ") + fault);
    judgement.notes.append(label);
    judgement.notes += chosen.notes;
    return judgement;
}

namespace {

struct Arguments
{
    QStringList paths;
    QString classPath;
    std::optional<ClassList::Columns> columns;
    bool csv = false;
    QString error;
};

Arguments read(const QStringList &arguments)
{
    Arguments read;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size() && read.error.isEmpty(); ++i) {
        const QString &argument = arguments.at(i);
        const bool option
            = !optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1;
        const auto value = [&](const QString &name) -> std::optional<QString> {
            if (argument.startsWith(name + QLatin1Char('=')))
                return argument.mid(name.size() + 1);
            if (i + 1 < arguments.size())
                return arguments.at(++i);
            read.error = QStringLiteral("после %1 нужно значение").arg(name);
            return std::nullopt;
        };
        const auto is = [&](const char *name) {
            return argument == QLatin1String(name)
                || argument.startsWith(QLatin1String(name) + QLatin1Char('='));
        };
        if (option && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (option && argument == QLatin1String("--csv")) {
            read.csv = true;
        } else if (option && is("--class")) {
            if (!read.classPath.isEmpty()) {
                read.error = QStringLiteral("--class задан дважды");
            } else if (const std::optional<QString> path = value(QStringLiteral("--class"))) {
                read.classPath = *path;
                if (read.classPath.isEmpty())
                    read.error = QStringLiteral("после --class нужен файл со списком группы");
            }
        } else if (option && is("--columns")) {
            if (read.columns)
                read.error = QStringLiteral("--columns задан дважды");
            else if (const std::optional<QString> text = value(QStringLiteral("--columns")))
                read.columns = ClassList::Columns::parse(*text, &read.error);
        } else if (option) {
            read.error = QStringLiteral("неизвестный параметр ") + ClassFile::shown(argument);
        } else {
            read.paths.append(argument);
        }
    }
    if (read.error.isEmpty() && read.paths.isEmpty())
        read.error = QStringLiteral("не заданы файлы или папки с работами");
    if (read.error.isEmpty() && read.columns && read.classPath.isEmpty())
        read.error = QStringLiteral("--columns имеет смысл только с --class");
    return read;
}

QString message(const QString &path, const QString &text)
{
    return QStringLiteral("huffman-lab-key: %1: %2\n").arg(ClassFile::shown(path, 200), text);
}

// One handed-in file with what was made of it.
struct Work
{
    Submission submission;
    Judgement judgement;
    QString who; // the student it is taken to be: Moodle's sender, else the name in the file
};

// A student's line: the work shown and the others they handed in.
struct Line
{
    QString name;
    QString identifier;
    std::optional<int> assigned;
    QList<const Work *> works;
};

Work judged(Grader &grader, Submission submission, const QString &classListName,
    std::optional<int> assigned)
{
    Work work;
    work.who = !classListName.isEmpty() ? classListName
        : !submission.sender.isEmpty()  ? submission.sender
        : submission.record             ? submission.record->name
                                        : QString();
    if (submission.record) {
        work.judgement = grader.judge(*submission.record, assigned);
        const QString recorded = submission.record->name;
        if (!recorded.isEmpty() && !work.who.isEmpty()
            && !sameStudent(nameWords(recorded), nameWords(work.who)))
            work.judgement.faults.prepend(QStringLiteral("работа на имя %1, а сдал(а) %2")
                                              .arg(quoted(recorded), quoted(work.who)));
    } else {
        work.judgement.variant = assigned;
        work.judgement.faults.append(
            fileName(submission.path) + QStringLiteral(": ") + submission.problem);
    }
    work.submission = std::move(submission);
    return work;
}

// The line's work: the first that passed, else the first; the others named beside it.
SpreadsheetText::Row row(const Line &line, bool csv)
{
    using Kind = SpreadsheetText::Kind;
    SpreadsheetText::Row row;
    if (csv)
        row.append({line.identifier, Kind::Label});
    row.append({line.name, Kind::Label});
    if (line.works.isEmpty()) {
        const QString variant = line.assigned ? QString::number(*line.assigned) : QString();
        if (csv)
            return row
                + SpreadsheetText::Row {{variant, Kind::Number}, {{}, Kind::Label},
                    {{}, Kind::Label}, {{}, Kind::Label}, {{}, Kind::Label},
                    {noWorkText, Kind::Label}};
        return row
            + SpreadsheetText::Row {{variant, Kind::Number}, {{}, Kind::Label}, {{}, Kind::Label},
                {{}, Kind::Label}, {noWorkText, Kind::Label}, {{}, Kind::Label}};
    }
    const Work *shown = line.works.first();
    for (const Work *work : line.works) {
        if (work->judgement.passed()) {
            shown = work;
            break;
        }
    }
    const Judgement &judgement = shown->judgement;
    QString reason = judgement.reason();
    if (line.works.size() > 1) {
        QStringList others;
        for (const Work *work : line.works) {
            if (work != shown)
                others.append(fileName(work->submission.path) + QStringLiteral(" — ")
                    + work->judgement.verdict());
        }
        reason += QStringLiteral("; сдано работ: %1 (в строке — %2; %3)")
                      .arg(line.works.size())
                      .arg(fileName(shown->submission.path), others.join(QStringLiteral("; ")));
    }
    row.append({judgement.variant ? QString::number(*judgement.variant) : QString(), Kind::Number});
    row.append({judgement.homework, Kind::Label});
    row.append({judgement.codes, Kind::Label});
    row.append({judgement.figures, Kind::Label});
    row.append({judgement.verdict(), Kind::Label});
    row.append({reason, Kind::Label});
    return row;
}

} // namespace

QList<VariantPlane> variantTable()
{
    QList<VariantPlane> table;
    for (const Variant &variant : Variants::all())
        table.append({variant.picture, variant.plane});
    return table;
}

KeyClass::Output checkResults(const QStringList &arguments, const QList<VariantPlane> &variants)
{
    using Kind = SpreadsheetText::Kind;
    KeyClass::Output output;
    const Arguments args = read(arguments);
    if (!args.error.isEmpty())
        return {{}, args.error, badArguments};

    // The class first: a list that cannot be read stops before any work is judged.
    std::optional<ClassList::Parsed> roll;
    if (!args.classPath.isEmpty()) {
        QFile file(args.classPath);
        const QFileInfo info(args.classPath);
        QString why;
        if (!info.isFile())
            why = QStringLiteral("файл со списком группы не найден");
        else if (info.size() > maxClassFile)
            why = QStringLiteral("файл слишком велик для списка группы");
        else if (!file.open(QIODevice::ReadOnly))
            why = QStringLiteral("файл не открывается для чтения");
        if (!why.isEmpty())
            return {{}, message(args.classPath, why), problemExit};
        roll = ClassList::names(file.readAll(), args.columns);
        if (!roll->refusal.isEmpty())
            return {{}, message(args.classPath, roll->refusal), problemExit};
        if (!roll->notice.isEmpty())
            output.err += message(args.classPath, roll->notice);
        for (const ClassList::Problem &problem : roll->problems) {
            output.err += message(args.classPath,
                QStringLiteral("строка %1: %2").arg(problem.line).arg(problem.text));
            output.exitCode = problemExit;
        }
        if (args.csv && roll->identifierTitle.isEmpty())
            output.err += message(args.classPath,
                QStringLiteral("в списке нет столбца адреса электронной почты или "
                               "идентификационного номера: в Moodle строки не сопоставить"));
    }

    QStringList missing;
    const QStringList files = Submission::find(args.paths, &missing);
    for (const QString &path : std::as_const(missing)) {
        output.err += message(path, QStringLiteral("нет такого файла или папки"));
        output.exitCode = problemExit;
    }

    Grader grader(variants);
    const QList<ClassList::Entry> entries = roll ? roll->entries : QList<ClassList::Entry> {};
    QList<QStringList> entryWords;
    for (const ClassList::Entry &entry : entries)
        entryWords.append(nameWords(entry.name));

    // Works kept by pointer in the lines: reserved so that they never move.
    std::vector<Work> works;
    works.reserve(size_t(files.size()));
    QList<Line> lines(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        lines[i].name = entries.at(i).name;
        lines[i].identifier = entries.at(i).identifier;
        lines[i].assigned = grader.variantForStudent(int(i) + 1);
    }
    QList<Line> apart;
    for (const QString &path : files) {
        Submission submission = Submission::read(path);
        const bool handedIn = submission.kind == Submission::Kind::Report
            || submission.kind == Submission::Kind::Results
            || (submission.kind == Submission::Kind::Document && !submission.sender.isEmpty());
        if (!handedIn) {
            output.err += message(path, QStringLiteral("пропущен: ") + submission.problem);
            continue;
        }
        if (!submission.record)
            output.exitCode = problemExit;
        const QString who = !submission.sender.isEmpty() ? submission.sender
            : submission.record                          ? submission.record->name
                                                         : QString();
        // The student of the list: the one whose name is the same set of words, else the only
        // one whose name holds the other's words.
        int student = -1;
        if (roll && !who.isEmpty()) {
            const QStringList words = nameWords(who);
            QList<int> matches;
            for (int i = 0; i < entryWords.size(); ++i) {
                if (entryWords.at(i) == words) {
                    matches = {i};
                    break;
                }
                if (sameStudent(entryWords.at(i), words))
                    matches.append(i);
            }
            if (matches.size() == 1)
                student = matches.first();
        }
        if (student >= 0) {
            works.push_back(judged(grader, std::move(submission), entries.at(student).name,
                lines.at(student).assigned));
            lines[student].works.append(&works.back());
            continue;
        }
        works.push_back(judged(grader, std::move(submission), {}, std::nullopt));
        Work &work = works.back();
        // Without a class, one line a student: a Moodle number, else the name's words.
        const QStringList words = nameWords(work.who);
        Line *same = nullptr;
        if (!roll) {
            for (Line &other : lines) {
                const Work *first = other.works.first();
                const bool sameNumber = !work.submission.senderNumber.isEmpty()
                    && first->submission.senderNumber == work.submission.senderNumber;
                if (sameNumber
                    || (work.submission.senderNumber.isEmpty()
                        && first->submission.senderNumber.isEmpty() && !words.isEmpty()
                        && nameWords(first->who) == words)) {
                    same = &other;
                    break;
                }
            }
        }
        if (same) {
            same->works.append(&work);
            continue;
        }
        Line alone;
        alone.name = work.who.isEmpty()
            ? QStringLiteral("(имя неизвестно: %1)").arg(fileName(work.submission.path))
            : ClassFile::shown(work.who, 100);
        alone.works.append(&work);
        (roll ? apart : lines).append(alone);
    }

    QList<SpreadsheetText::Row> rows;
    for (const Line &student : std::as_const(lines))
        rows.append(row(student, args.csv));
    if (args.csv) {
        SpreadsheetText::Row header;
        header.append({roll && !roll->identifierTitle.isEmpty() ? roll->identifierTitle
                                                                : QStringLiteral("Идентификатор"),
            Kind::Label});
        for (const char16_t *title :
            {u"ФИО", u"Вариант", u"Домашнее задание", u"Коды", u"Показатели", u"Оценка", u"Отзыв"})
            header.append({QString::fromUtf16(title), Kind::Label});
        output.out = SpreadsheetText::csv(QList<SpreadsheetText::Row> {header} + rows);
        // Kept out of the gradebook's file, which has no student to put them to.
        for (const Line &other : std::as_const(apart)) {
            const SpreadsheetText::Row r = row(other, false);
            output.err += message(other.works.first()->submission.path,
                QStringLiteral("%1 нет в списке группы: %2, %3")
                    .arg(quoted(other.name), r.at(5).text, r.at(6).text));
        }
    } else {
        QString text = SpreadsheetText::tsv(rows);
        if (!apart.isEmpty()) {
            QList<SpreadsheetText::Row> others;
            for (const Line &other : std::as_const(apart)) {
                SpreadsheetText::Row r = row(other, false);
                r.last().text = QStringLiteral("нет в списке группы; ") + r.last().text;
                others.append(r);
            }
            text += QLatin1Char('\n') + SpreadsheetText::tsv(others);
        }
        output.out = text.toUtf8();
    }
    return output;
}

} // namespace KeyGrading
