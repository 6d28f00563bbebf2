// SPDX-License-Identifier: GPL-3.0-or-later
#include "classlist.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

namespace {

// Windows-1251 bytes of a text, through a table written apart from the reader's: Cyrillic
// А..я is one run from 0xC0, Ё and ё sit at 0xA8 and 0xB8.
QByteArray windows1251(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            bytes += char(u);
        else if (u >= 0x0410 && u <= 0x044F)
            bytes += char(0xC0 + (u - 0x0410));
        else if (u == 0x0401)
            bytes += char(0xA8);
        else if (u == 0x0451)
            bytes += char(0xB8);
        else
            bytes += '?';
    }
    return bytes;
}

QByteArray utf16(const QString &text, QStringEncoder::Encoding encoding)
{
    return QStringEncoder(encoding, QStringEncoder::Flag::WriteBom).encode(text);
}

QString withCr(QString text, const char *lineEnd)
{
    return text.replace(QLatin1Char('\n'), QLatin1String(lineEnd));
}

// The class every form below holds, as the plain list gives it.
const QStringList plainAnswers
    = {"Мама Мыла Раму:0,3,0,4", "Иванов Иван Иванович:0,2,3,2", "Сёмин Пётр Фёдорович:0,1,3,2,3"};

QStringList namesOf(const QStringList &answers)
{
    QStringList names;
    for (const QString &answer : answers)
        names << answer.section(QLatin1Char(':'), 0, 0);
    return names;
}

} // namespace

class tst_ClassList : public QObject
{
    Q_OBJECT

private slots:
    void fileForms_data();
    void fileForms();
    void badLines_data();
    void badLines();
    void refused_data();
    void refused();
    void names_data();
    void names();
    void columns_data();
    void columns();
    void identifierColumn_data();
    void identifierColumn();
};

// Every way a teacher's file arrives, as spreadsheets and forms write it: each gives the plain
// list's entries, for answers and for names alike.
void tst_ClassList::fileForms_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("columns"); // --columns, or empty for none
    QTest::addColumn<bool>("notice"); // the encoding is said on stderr
    QTest::addColumn<QList<int>>("damaged"); // lines refused as no text in the file's encoding

    const QString plain = QStringLiteral("Мама Мыла Раму\t0,3,0,4\nИванов Иван Иванович\t0,2,3,2\n"
                                         "Сёмин Пётр Фёдорович\t0,1,3,2,3\n");
    const QString semicolon = QStringLiteral("ФИО;Ответ\nМама Мыла Раму;0,3,0,4\n"
                                             "Иванов Иван Иванович;0,2,3,2\n"
                                             "Сёмин Пётр Фёдорович;0,1,3,2,3\n");

    QTest::newRow("plain list, TAB") << plain.toUtf8() << QString() << false << QList<int> {};
    QTest::newRow("Calc: semicolons, header")
        << semicolon.toUtf8() << QString() << false << QList<int> {};
    QTest::newRow("Excel CSV UTF-8: mark, CRLF")
        << QByteArray("\xEF\xBB\xBF") + withCr(semicolon, "\r\n").toUtf8() << QString() << false
        << QList<int> {};
    QTest::newRow("old Excel: Windows-1251, CRLF")
        << windows1251(withCr(semicolon, "\r\n")) << QString() << true << QList<int> {};
    QTest::newRow("old Mac: CR alone")
        << withCr(semicolon, "\r").toUtf8() << QString() << false << QList<int> {};
    QTest::newRow("Notepad Unicode: UTF-16 LE with mark, TAB, CRLF") << utf16(withCr(plain, "\r\n"),
        QStringEncoder::Utf16LE) << QString() << false << QList<int> {};
    QTest::newRow("UTF-16 BE with mark")
        << utf16(semicolon, QStringEncoder::Utf16BE) << QString() << false << QList<int> {};
    QTest::newRow("online form: commas, all quoted, time stamp first")
        << QByteArray("\"Отметка времени\",\"Фамилия, имя, отчество\",\"Ваш ответ (счётчики)\"\r\n"
                      "\"2024/09/01 10:00:01\",\"Мама Мыла Раму\",\"0,3,0,4\"\r\n"
                      "\"2024/09/01 10:02:13\",\"Иванов Иван Иванович\",\"0, 2, 3, 2\"\r\n"
                      "\"2024/09/02 23:59:59\",\"Сёмин Пётр Фёдорович\",\"0,1,3,2,3\"\r\n")
        << QString() << false << QList<int> {};
    QTest::newRow("three name columns with header, a group column")
        << QByteArray("Группа;ФАМИЛИЯ;имя;Отчество;Счетчики\n101;Мама;Мыла;Раму;0,3,0,4\n"
                      "101;Иванов;Иван;Иванович;0,2,3,2\n102;Сёмин;Пётр;Фёдорович;0,1,3,2,3\n")
        << QString() << false << QList<int> {};
    QTest::newRow("three name columns, no header")
        << QByteArray("101;Мама;Мыла;Раму;0,3,0,4\n101;Иванов;Иван;Иванович;0,2,3,2\n"
                      "102;Сёмин;Пётр;Фёдорович;0,1,3,2,3\n")
        << QString() << false << QList<int> {};
    QTest::newRow("a third column after name and answer")
        << QByteArray("Мама Мыла Раму\t0,3,0,4\t101\nИванов Иван Иванович\t0,2,3,2\t101\n"
                      "Сёмин Пётр Фёдорович\t0,1,3,2,3\t102\n")
        << QString() << false << QList<int> {};
    QTest::newRow("counters quoted, semicolons")
        << QByteArray("Мама Мыла Раму;\"0,3,0,4\"\nИванов Иван Иванович;\"0,2,3,2\"\n"
                      "Сёмин Пётр Фёдорович;\"0,1,3,2,3\"\n")
        << QString() << false << QList<int> {};
    QTest::newRow("the key tool's own check-all --csv") << QByteArray(
        "\xEF\xBB\xBFФИО;ответ;вид ответа;пояснение\n"
        "Мама Мыла Раму;\"=\"\"0,3,0,4\"\"\";right;\n"
        "Иванов Иван Иванович;\"=\"\"0,2,3,2\"\"\";right;\n"
        "Сёмин Пётр Фёдорович;\"=\"\"0,1,3,2,3\"\"\";tie;\"Ваш код; «а», \"\"б\"\"\"\n")
                                                        << QString() << false << QList<int> {};
    QTest::newRow("a quoted cell holding a line break")
        << QByteArray("ФИО;Ответ;Комментарий\nМама Мыла Раму;0,3,0,4;\"сдал\r\nвовремя\"\n"
                      "Иванов Иван Иванович;0,2,3,2;\n"
                      "Сёмин Пётр Фёдорович;0,1,3,2,3;\"\"\"переписал\"\"\"\n")
        << QString() << false << QList<int> {};
    QTest::newRow("blank rows a spreadsheet writes, comments")
        << QByteArray("# группа 101\nФИО;Ответ\n;\nМама Мыла Раму;0,3,0,4\n;;\n"
                      "Иванов Иван Иванович;0,2,3,2\n  \nСёмин Пётр Фёдорович;0,1,3,2,3\n;\n")
        << QString() << false << QList<int> {};
    QTest::newRow("--columns where the guess would take the teacher")
        << QByteArray("Преподаватель Петр Петрович;Мама Мыла Раму;0,3,0,4\n"
                      "Преподаватель Петр Петрович;Иванов Иван Иванович;0,2,3,2\n"
                      "Преподаватель Петр Петрович;Сёмин Пётр Фёдорович;0,1,3,2,3\n")
        << QStringLiteral("B,C") << false << QList<int> {};

    // A UTF-8 file stays UTF-8 when a few of its lines are not; those are refused. Windows-1251
    // text is UTF-8 only by chance, and one such line does not make the file UTF-8.
    const QByteArray head = QStringLiteral("ФИО;Ответ\nМама Мыла Раму;0,3,0,4\n").toUtf8();
    const QByteArray tail = QStringLiteral("Иванов Иван Иванович;0,2,3,2\n"
                                           "Сёмин Пётр Фёдорович;0,1,3,2,3\n")
                                .toUtf8();
    QTest::newRow("UTF-8, one name pasted in Windows-1251")
        << head + windows1251(QStringLiteral("Петров Пётр Петрович;0,1,2\n")) + tail << QString()
        << false << QList<int> {3};
    QTest::newRow("Excel CSV UTF-8: mark, a sequence cut in one line")
        << QByteArray("\xEF\xBB\xBF") + withCr(QString::fromUtf8(head), "\r\n").toUtf8()
            + QByteArray("Петров П\xD1;0,1\r\n") + withCr(QString::fromUtf8(tail), "\r\n").toUtf8()
        << QString() << false << QList<int> {3};
    QTest::newRow("old Excel: Windows-1251, one line valid UTF-8 by chance")
        << windows1251(QStringLiteral("# Сё\n") + semicolon) << QString() << true << QList<int> {};
}

void tst_ClassList::fileForms()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, columns);
    QFETCH(bool, notice);
    QFETCH(QList<int>, damaged);

    std::optional<ClassList::Columns> given;
    if (!columns.isEmpty()) {
        QString error;
        given = ClassList::Columns::parse(columns, &error);
        QVERIFY2(given, qPrintable(error));
    }
    const ClassList::Parsed answers = ClassList::answers(file, given);
    QStringList read;
    for (const ClassList::Entry &entry : answers.entries)
        read << entry.name + QLatin1Char(':') + entry.answer;
    QCOMPARE(read, plainAnswers);
    QVERIFY(answers.refusal.isEmpty());
    QCOMPARE(!answers.notice.isEmpty(), notice);

    const ClassList::Parsed names = ClassList::names(file, given);
    QStringList readNames;
    for (const ClassList::Entry &entry : names.entries)
        readNames << entry.name;
    QCOMPARE(readNames, namesOf(plainAnswers));

    for (const ClassList::Parsed &parsed : {answers, names}) {
        QList<int> lines;
        for (const ClassList::Problem &problem : parsed.problems) {
            lines << problem.line;
            QVERIFY2(problem.text.contains(QStringLiteral("UTF-8")), qPrintable(problem.text));
        }
        QCOMPARE(lines, damaged);
    }
}

// A bad line is reported once, at its line and column, and never takes another line with it.
void tst_ClassList::badLines_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("entries"); // "line:name:answer"
    QTest::addColumn<QStringList>("problems"); // "line:column"

    QTest::newRow("quote never closed")
        << QByteArray("ФИО;Ответ\nМама Мыла Раму;0,3,0,4\n\"Иванов Иван Иванович;0,2,3,2\n"
                      "Сёмин Пётр Фёдорович;0,1,3,2,3\n")
        << QStringList {"2:Мама Мыла Раму:0,3,0,4", "4:Сёмин Пётр Фёдорович:0,1,3,2,3"}
        << QStringList {"3:1"};
    QTest::newRow("quote closed lines later inside a cell")
        << QByteArray("Мама Мыла Раму;\"0,3,0,4\nИванов Иван Иванович;0,2,3,2\n"
                      "Сёмин Пётр Фёдорович;\"0,1,3,2,3\"\n")
        << QStringList {"2:Иванов Иван Иванович:0,2,3,2", "3:Сёмин Пётр Фёдорович:0,1,3,2,3"}
        << QStringList {"1:2"};
    QTest::newRow("CR alone: each line its own")
        << QByteArray("Мама Мыла Раму\t0,3,0,4\rиванов иван\t1\rСёмин Пётр Фёдорович\t0,1,3,2,3")
        << QStringList {"1:Мама Мыла Раму:0,3,0,4", "3:Сёмин Пётр Фёдорович:0,1,3,2,3"}
        << QStringList {"2:1"};
    QTest::newRow("plain list: no tab")
        << QByteArray("Мама Мыла Раму\t0,3,0,4\nИванов Иван 0,2,3,2\n")
        << QStringList {"1:Мама Мыла Раму:0,3,0,4"} << QStringList {"2:2"};
    QTest::newRow("a line without its answer cell")
        << QByteArray("ФИО;Ответ\nМама Мыла Раму;0,3,0,4\nИванов Иван Иванович\n")
        << QStringList {"2:Мама Мыла Раму:0,3,0,4"} << QStringList {"3:2"};
    QTest::newRow("empty answer kept for the diagnosis")
        << QByteArray("Мама Мыла Раму\t\n") << QStringList {"1:Мама Мыла Раму:"} << QStringList {};
    QTest::newRow("a lone name without tabs")
        << QByteArray("Мама Мыла Раму\n") << QStringList {} << QStringList {"1:0"};
}

void tst_ClassList::badLines()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, problems);

    const ClassList::Parsed parsed = ClassList::answers(file);
    QStringList read;
    for (const ClassList::Entry &entry : parsed.entries)
        read << QString::number(entry.line) + QLatin1Char(':') + entry.name + QLatin1Char(':')
                + entry.answer;
    QCOMPARE(read, entries);
    QStringList where;
    for (const ClassList::Problem &problem : parsed.problems) {
        where << QString::number(problem.line) + QLatin1Char(':') + QString::number(problem.column);
        QVERIFY(problem.text.contains(QLatin1Char(':'))); // what, then how to mend it
    }
    QCOMPARE(where, problems);
}

// Files read as a whole or not at all: one sentence, no entries.
void tst_ClassList::refused_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("says");

    QTest::newRow("xlsx") << QByteArray("PK\x03\x04\x14\x00\x06\x00", 8) << "CSV";
    QTest::newRow("xls") << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\x00\x00", 10) << "CSV";
    QTest::newRow("header without an answer column")
        << QByteArray("ФИО;Группа\nМама Мыла Раму;0,3,0,4\n") << "«Ответ»";
    QTest::newRow("header with a surname but no other parts")
        << QByteArray("Фамилия;Ответ\nМама;0,3,0,4\n") << "«Отчество»";
}

void tst_ClassList::refused()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, says);

    const ClassList::Parsed parsed = ClassList::answers(file);
    QVERIFY(parsed.entries.isEmpty());
    QVERIFY(parsed.problems.isEmpty());
    QVERIFY2(parsed.refusal.contains(says), qPrintable(parsed.refusal));
}

void tst_ClassList::names_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("entries"); // "line:name"
    QTest::addColumn<QList<int>>("problemLines");
    QTest::addColumn<QString>("message"); // in the first problem's text

    QTest::newRow("comments, empty lines and spaces around")
        << QByteArray("# группа 101\n\n  Мама Мыла Раму  \n\t\n   # и ещё\nИванов Иван Иванович")
        << QStringList {"3:Мама Мыла Раму", "6:Иванов Иван Иванович"} << QList<int> {} << QString();
    QTest::newRow("doubled space, a no-break space, ё as е and a combining diaeresis")
        << QByteArray("Петров  Пе\xCC\x88тр\xC2\xA0Петрович\n")
        << QStringList {"1:Петров Пётр Петрович"} << QList<int> {} << QString();
    QTest::newRow("refused as the window's field refuses")
        << QByteArray("Ivanov Ivan Ivanovich\nМама\nМама Мыла Раму Ещё\nМама Мыла Раму1\n"
                      "Ааааааааааааааааааааа Б В\n")
        << QStringList {} << QList<int> {1, 2, 3, 4, 5} << "«Ivanov Ivan Ivanovich»";
    QTest::newRow("control characters shown escaped, never raw")
        << QByteArray("Мама\x1b[31m Мыла\x07 Раму") + QByteArray(1, '\0') + "\n"
        << QStringList {} << QList<int> {1} << "«Мама\\x1B[31m Мыла\\x07 Раму\\x00»";
    QTest::newRow("a very long line shortened")
        << QByteArray("Мама Мыла ") + QByteArray(5000, 'x') + '\n'
        << QStringList {} << QList<int> {1} << "(всего символов: 5010)";
    QTest::newRow("empty file") << QByteArray() << QStringList {} << QList<int> {} << QString();
}

void tst_ClassList::names()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, entries);
    QFETCH(QList<int>, problemLines);
    QFETCH(QString, message);

    const ClassList::Parsed parsed = ClassList::names(file);
    QStringList read;
    for (const ClassList::Entry &entry : parsed.entries)
        read << QString::number(entry.line) + QLatin1Char(':') + entry.name;
    QCOMPARE(read, entries);
    QList<int> lines;
    for (const ClassList::Problem &problem : parsed.problems)
        lines << problem.line;
    QCOMPARE(lines, problemLines);
    if (!message.isEmpty()) {
        const QString text = parsed.problems.first().text;
        QVERIFY2(text.contains(message), qPrintable(text));
        // The name and the reason are shortened; the rule's description follows them whole.
        QVERIFY2(text.size() < 500, qPrintable(text));
        for (const QChar c : text)
            QVERIFY2(c.unicode() >= 0x20, qPrintable(text));
    }
}

void tst_ClassList::columns_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("columns"); // name column, name count, answer; empty: refused

    QTest::newRow("numbers") << "2,3" << QList<int> {2, 1, 3};
    QTest::newRow("name only") << "4" << QList<int> {4, 1, 5};
    QTest::newRow("letters, a range of three") << "b-D,e" << QList<int> {2, 3, 5};
    QTest::newRow("past Z") << "AA,AB" << QList<int> {27, 1, 28};
    QTest::newRow("a range of two") << "2-3,4" << QList<int> {};
    QTest::newRow("answer inside the name") << "1-3,2" << QList<int> {};
    QTest::newRow("column 0") << "0,1" << QList<int> {};
    QTest::newRow("words") << "ФИО,Ответ" << QList<int> {};
}

void tst_ClassList::columns()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, columns);

    QString error;
    const std::optional<ClassList::Columns> parsed = ClassList::Columns::parse(text, &error);
    QCOMPARE(parsed.has_value(), !columns.isEmpty());
    if (parsed)
        QCOMPARE((QList<int> {parsed->nameColumn, parsed->nameCount, parsed->answer()}), columns);
    else
        QVERIFY(error.contains(QStringLiteral("--columns")));
}

// The column that identifies a student to a gradebook, by its header, whatever the name's form.
void tst_ClassList::identifierColumn_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("entries"); // "name:identifier"

    QTest::newRow("Moodle's e-mail after the name")
        << QByteArray("ФИО;Адрес электронной почты\nМама Мыла Раму; mama@example.ru \n")
        << "Адрес электронной почты" << QStringList {"Мама Мыла Раму:mama@example.ru"};
    QTest::newRow("ID number after a name in three columns")
        << QByteArray("Фамилия;Имя;Отчество;Идентификационный номер\nМама;Мыла;Раму;007\n")
        << "Идентификационный номер" << QStringList {"Мама Мыла Раму:007"};
    QTest::newRow("a user name first, not a given name")
        << QByteArray("Имя пользователя,E-mail,ФИО\nmama,m@example.ru,Мама Мыла Раму\n")
        << "Имя пользователя" << QStringList {"Мама Мыла Раму:mama"};
    QTest::newRow("no header, no identifier")
        << QByteArray("Мама Мыла Раму;mama@example.ru\n") << ""
        << QStringList {"Мама Мыла Раму:"};
}

void tst_ClassList::identifierColumn()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, title);
    QFETCH(QStringList, entries);

    const ClassList::Parsed parsed = ClassList::names(file);
    QCOMPARE(parsed.identifierTitle, title);
    QStringList read;
    for (const ClassList::Entry &entry : parsed.entries)
        read << entry.name + QLatin1Char(':') + entry.identifier;
    QCOMPARE(read, entries);
}

QTEST_GUILESS_MAIN(tst_ClassList)
#include "tst_classlist.moc"
