// SPDX-License-Identifier: GPL-3.0-or-later
#include "classlist.h"

#include "fieldtext.h"
#include "namecode.h"
#include "namerule.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

using Record = ClassFile::Record;

const QString refusedName
    = QStringLiteral("поле имени в окне программы не примет «%1» (%2): нужны ");

enum class Role { None, FullName, Surname, GivenName, Patronymic, Answer, Identifier };

// What a header cell names, from its words: "ФИО", "Фамилия, имя, отчество", "Студент",
// "Ответ", "Ваш ответ (счётчики длин кодов)", ...
Role headerRole(const QString &cell)
{
    QString text = cell.toLower();
    text.replace(u'ё', u'е');
    for (QChar &c : text) {
        if (!c.isLetter())
            c = QLatin1Char(' ');
    }
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto has
        = [&words](const char16_t *word) { return words.contains(QString::fromUtf16(word)); };
    const auto hasStart = [&words](const char16_t *start) {
        for (const QString &word : words) {
            if (word.startsWith(QString::fromUtf16(start)))
                return true;
        }
        return false;
    };
    // Whatever identifies a student to a gradebook: Moodle's "Адрес электронной почты",
    // "Идентификационный номер", "ID number", "Имя пользователя" (before "имя" means a name).
    if (has(u"email") || (has(u"e") && has(u"mail")) || hasStart(u"почт")
        || (hasStart(u"идентификац") && has(u"номер")) || has(u"idnumber")
        || (has(u"id") && has(u"number")) || has(u"username") || has(u"логин")
        || (has(u"имя") && has(u"пользователя")))
        return Role::Identifier;
    if (has(u"фио") || (has(u"фамилия") && (has(u"имя") || has(u"отчество"))) || has(u"студент")
        || has(u"студентка") || has(u"учащийся") || has(u"обучающийся") || has(u"student")
        || (has(u"full") && has(u"name")))
        return Role::FullName;
    if (hasStart(u"ответ") || hasStart(u"счетчик") || has(u"answer") || has(u"counters"))
        return Role::Answer;
    if (has(u"фамилия"))
        return Role::Surname;
    if (has(u"отчество"))
        return Role::Patronymic;
    if (has(u"имя"))
        return Role::GivenName;
    return Role::None;
}

bool isWordOfLetters(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!c.isLetter() && c != QLatin1Char('-') && c != QChar(0x0308))
            return false;
    }
    return true;
}

// Two or more words of letters: a name, perhaps one the window refuses.
bool looksLikeName(const QString &cell)
{
    const QStringList words = FieldText::name(cell).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 2)
        return false;
    for (const QString &word : words) {
        if (!isWordOfLetters(word))
            return false;
    }
    return true;
}

bool looksLikeWord(const QString &cell)
{
    return isWordOfLetters(FieldText::name(cell));
}

// A list with commas, as students write their counters.
bool looksLikeCounters(const QString &cell)
{
    static const QRegularExpression list(QStringLiteral("^[\\d\\s]*(,[\\d\\s]*)+$"));
    return list.match(cell).hasMatch();
}

QString cell(const Record &record, int column)
{
    return record.cells.value(column - 1);
}

struct Layout
{
    ClassList::Columns columns;
    bool header = false;
    int identifier = 0; // the column identifying a student to a gradebook, from the header
    QString identifierTitle;
    QString refusal;
};

// The columns from a header row, if the first record is one.
std::optional<Layout> fromHeader(const Record &first, bool wantAnswer)
{
    int fullName = 0;
    int answer = 0;
    int parts[3] = {0, 0, 0}; // surname, given name, patronymic
    int identifier = 0;
    bool any = false;
    for (int column = 1; column <= first.cells.size(); ++column) {
        const Role role = headerRole(cell(first, column));
        if (role == Role::FullName && !fullName)
            fullName = column;
        else if (role == Role::Answer && !answer)
            answer = column;
        else if (role == Role::Surname && !parts[0])
            parts[0] = column;
        else if (role == Role::GivenName && !parts[1])
            parts[1] = column;
        else if (role == Role::Patronymic && !parts[2])
            parts[2] = column;
        else if (role == Role::Identifier && !identifier)
            identifier = column;
        any = any || role != Role::None;
    }
    // A lone "Имя" may be a list's own title; a header needs a word no name line has.
    if (!any || (!fullName && !answer && !parts[0] && !parts[2]))
        return std::nullopt;

    Layout layout;
    layout.header = true;
    layout.identifier = identifier;
    if (identifier)
        layout.identifierTitle = cell(first, identifier).trimmed();
    const QString where = QStringLiteral("в строке заголовков (строка %1) ").arg(first.line);
    const QString orColumns = QStringLiteral(" либо укажите столбцы параметром --columns");
    // A lone "Имя" beside an answer is the whole name, as forms ask it.
    if (!fullName && parts[1] && !parts[0] && !parts[2])
        fullName = parts[1];
    if (fullName) {
        layout.columns.nameColumn = fullName;
    } else if (parts[0] && parts[1] == parts[0] + 1 && parts[2] == parts[0] + 2) {
        layout.columns.nameColumn = parts[0];
        layout.columns.nameCount = 3;
    } else if (parts[0] || parts[1] || parts[2]) {
        layout.refusal = where
            + QStringLiteral("имя разбито на столбцы, но не на три соседних «Фамилия», «Имя», "
                             "«Отчество»: поставьте их рядом в этом порядке")
            + orColumns;
        return layout;
    } else {
        layout.refusal = where
            + QStringLiteral("нет столбца с именем студента: назовите его «ФИО» (или три "
                             "столбца «Фамилия», «Имя», «Отчество»)")
            + orColumns;
        return layout;
    }
    if (wantAnswer) {
        if (!answer) {
            layout.refusal
                = where + QStringLiteral("нет столбца с ответом: назовите его «Ответ»") + orColumns;
            return layout;
        }
        layout.columns.answerColumn = answer;
    }
    return layout;
}

// The columns from the cells themselves, when there is no header.
ClassList::Columns guessed(const QList<Record> &records, bool wantAnswer)
{
    constexpr int sampleSize = 50;
    const QList<Record> sample = records.mid(0, sampleSize);
    int width = 0;
    for (const Record &record : sample)
        width = qMax(width, int(record.cells.size()));

    ClassList::Columns columns;
    int bestHits = 0;
    for (int column = 1; column <= width; ++column) {
        int single = 0;
        int triple = 0;
        for (const Record &record : sample) {
            single += looksLikeName(cell(record, column)) ? 1 : 0;
            triple += looksLikeWord(cell(record, column)) && looksLikeWord(cell(record, column + 1))
                    && looksLikeWord(cell(record, column + 2))
                ? 1
                : 0;
        }
        if (single > bestHits || triple > bestHits) {
            columns.nameColumn = column;
            columns.nameCount = single >= triple ? 1 : 3;
            bestHits = qMax(single, triple);
        }
    }
    if (!wantAnswer)
        return columns;
    for (int column = columns.nameColumn + columns.nameCount; column <= width; ++column) {
        int hits = 0;
        for (const Record &record : sample)
            hits += looksLikeCounters(cell(record, column)) ? 1 : 0;
        if (2 * hits >= int(sample.size())) {
            columns.answerColumn = column;
            break;
        }
    }
    return columns;
}

QString separatorName(QChar separator)
{
    if (separator == QLatin1Char(';'))
        return QStringLiteral("точкой с запятой");
    if (separator == QLatin1Char(','))
        return QStringLiteral("запятой (а список счетчиков возьмите в кавычки)");
    return QStringLiteral("табуляцией");
}

ClassList::Parsed parse(
    const QByteArray &contents, std::optional<ClassList::Columns> given, bool wantAnswer)
{
    ClassList::Parsed parsed;
    const ClassFile::Table table = ClassFile::read(contents);
    if (!table.refusal.isEmpty()) {
        parsed.refusal = table.refusal;
        return parsed;
    }
    if (table.encoding == ClassFile::Encoding::Windows1251) {
        parsed.notice = QStringLiteral("файл не в кодировке UTF-8, он прочитан как Windows-1251 "
                                       "(так сохраняют Excel и Блокнот старых версий)");
    }
    QList<Record> records = table.records;
    Layout layout;
    if (!records.isEmpty()) {
        if (const std::optional<Layout> header = fromHeader(records.first(), wantAnswer)) {
            layout = *header;
            records.removeFirst();
        }
    }
    if (given) {
        layout.columns = *given;
    } else if (!layout.refusal.isEmpty()) {
        parsed.refusal = layout.refusal;
        return parsed;
    } else if (!layout.header) {
        layout.columns = guessed(records, wantAnswer);
    }
    const ClassList::Columns &columns = layout.columns;
    parsed.identifierTitle = layout.identifierTitle;
    const bool isTable = !table.separator.isNull();
    const auto at = [isTable](int column) { return isTable ? column : 0; };

    // Problems in line order, whether the file's reading or a record found them.
    QList<ClassList::Problem> problems = table.problems;
    for (const Record &record : std::as_const(records)) {
        // A line that lacks its answer says so first: that is what broke it.
        const int answer = columns.answer();
        if (wantAnswer && record.cells.size() < answer) {
            problems.append({record.line, at(answer),
                isTable && table.separator != QLatin1Char('\t')
                    ? QStringLiteral("нет ответа: отделите список счетчиков от имени %1")
                          .arg(separatorName(table.separator))
                    : QStringLiteral("нет табуляции между именем и счетчиками: разделите их "
                                     "табуляцией")});
            continue;
        }
        const int last = columns.nameColumn + columns.nameCount - 1;
        if (record.cells.size() < last) {
            problems.append({record.line, at(columns.nameColumn),
                QStringLiteral("имя должно занимать столбцы до %1, а в строке их всего %2: "
                               "проверьте разделители в этой строке")
                    .arg(ClassFile::columnName(last))
                    .arg(record.cells.size())});
            continue;
        }
        QStringList parts;
        for (int column = columns.nameColumn; column <= last; ++column)
            parts.append(cell(record, column));
        ClassList::Entry entry;
        entry.line = record.line;
        entry.name = FieldText::name(parts.join(QLatin1Char(' ')));
        if (entry.name.isEmpty()) {
            problems.append({record.line, at(columns.nameColumn),
                QStringLiteral("нет имени: впишите фамилию, имя и отчество или удалите строку")});
            continue;
        }
        if (!NameCode::acceptable(entry.name)) {
            problems.append({record.line, at(columns.nameColumn),
                refusedName.arg(
                    ClassFile::shown(entry.name), ClassFile::shown(NameRule::problem(entry.name)))
                    + NameRule::description()});
            continue;
        }
        if (wantAnswer)
            entry.answer = FieldText::counters(cell(record, answer));
        if (layout.identifier)
            entry.identifier = cell(record, layout.identifier).trimmed();
        parsed.entries.append(entry);
    }
    std::stable_sort(problems.begin(), problems.end(),
        [](const ClassList::Problem &a, const ClassList::Problem &b) { return a.line < b.line; });
    parsed.problems = problems;
    return parsed;
}

// "B" or "2" as a column number; 0 when it is neither.
int columnNumber(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (ok)
        return number >= 1 && number <= 16384 ? number : 0;
    int column = 0;
    for (const QChar c : text) {
        const char16_t u = c.toUpper().unicode();
        if (u < u'A' || u > u'Z' || column > 16384)
            return 0;
        column = column * 26 + (u - u'A' + 1);
    }
    return column <= 16384 ? column : 0;
}

} // namespace

std::optional<ClassList::Columns> ClassList::Columns::parse(const QString &text, QString *error)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\w+)\\s*(?:-\\s*(\\w+)\\s*)?(?:,\\s*(\\w+)\\s*)?$"));
    const QRegularExpressionMatch match = form.match(text);
    const QString example = QStringLiteral(
        "нужен столбец имени (номер или буква, для трех столбцов Фамилия, Имя, Отчество — "
        "диапазон) и, через запятую, столбец ответа: например 2,3 или B-D,E");
    if (!match.hasMatch()) {
        *error = QStringLiteral("не понят параметр --columns «%1»: ").arg(ClassFile::shown(text))
            + example;
        return std::nullopt;
    }
    Columns columns;
    columns.nameColumn = columnNumber(match.captured(1));
    const int to
        = match.captured(2).isEmpty() ? columns.nameColumn : columnNumber(match.captured(2));
    columns.nameCount = to - columns.nameColumn + 1;
    columns.answerColumn = match.captured(3).isEmpty() ? 0 : columnNumber(match.captured(3));
    const bool badAnswer = !match.captured(3).isEmpty()
        && (columns.answerColumn == 0
            || (columns.answerColumn >= columns.nameColumn && columns.answerColumn <= to));
    if (columns.nameColumn == 0 || to == 0 || (columns.nameCount != 1 && columns.nameCount != 3)
        || badAnswer) {
        *error = QStringLiteral("не понят параметр --columns «%1»: ").arg(ClassFile::shown(text))
            + example;
        return std::nullopt;
    }
    return columns;
}

ClassList::Parsed ClassList::names(const QByteArray &contents, std::optional<Columns> columns)
{
    return parse(contents, columns, false);
}

ClassList::Parsed ClassList::answers(const QByteArray &contents, std::optional<Columns> columns)
{
    return parse(contents, columns, true);
}
