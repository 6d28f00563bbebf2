// SPDX-License-Identifier: GPL-3.0-or-later
// The man page written from a --help text: what each kind of paragraph becomes, and the helps
// that cannot become a page (the build stops on them rather than ship a page that lost a command).

#include "manpage.h"

#include <QTest>

namespace {

// A help in the key tool's layout, small enough to compare whole.
const QString smallHelp = QStringLiteral("prog — does one thing\n"
                                         "for the teacher.\n"
                                         "\n"
                                         "Использование:\n"
                                         "  prog run ФАЙЛ [--fast]\n"
                                         "  prog --help\n"
                                         "\n"
                                         "run ФАЙЛ [--fast]\n"
                                         "  Runs the file\n"
                                         "  quickly. For each part:\n"
                                         "    a heading;\n"
                                         "    a table.\n"
                                         "  Then the end.\n"
                                         "\n"
                                         "Output is UTF-8.\n"
                                         "\n"
                                         "Коды завершения:\n"
                                         "  0 — успех;\n"
                                         "  2 — ошибка.\n");

// A help with a synopsis naming the given commands, each described unless left out.
QString helpWith(const QStringList &synopsisCommands, const QStringList &described)
{
    QString help = QStringLiteral("prog — does things\n\nUsage:\n");
    for (const QString &command : synopsisCommands)
        help += QStringLiteral("  prog ") + command + QLatin1Char('\n');
    for (const QString &command : described)
        help += QLatin1Char('\n') + command + QStringLiteral("\n  Does ") + command
            + QStringLiteral(".\n");
    return help;
}

} // namespace

class tst_ManPage : public QObject
{
    Q_OBJECT

private slots:
    void wholePage();
    void paragraphs_data();
    void paragraphs();
    void refused_data();
    void refused();
    void escaped_data();
    void escaped();
};

void tst_ManPage::wholePage()
{
    const ManPage::Result page
        = ManPage::fromHelp(smallHelp, QStringLiteral("prog 2.1"), {QStringLiteral("other(1)")});
    QVERIFY2(page.ok(), qPrintable(page.error));
    QCOMPARE(page.roff,
        QStringLiteral(".TH \"PROG\" 1 \"\" \"prog 2.1\" \"Команды пользователя\"\n"
                       ".ad l\n"
                       ".nh\n"
                       ".SH ИМЯ\n"
                       "prog \\- does one thing for the teacher.\n"
                       ".SH ОБЗОР\n"
                       "\\fBprog run\\fR ФАЙЛ [\\fB\\-\\-fast\\fR]\n"
                       ".br\n"
                       "\\fBprog\\fR \\fB\\-\\-help\\fR\n"
                       ".br\n"
                       ".SH ОПИСАНИЕ\n"
                       "prog — does one thing\n"
                       "for the teacher.\n"
                       ".PP\n"
                       "Output is UTF\\-8.\n"
                       ".SH КОМАНДЫ\n"
                       ".SS \"run ФАЙЛ [\\-\\-fast]\"\n"
                       "Runs the file\n"
                       "quickly. For each part:\n"
                       ".br\n"
                       ".RS\n"
                       "a heading;\n"
                       ".br\n"
                       "a table.\n"
                       ".RE\n"
                       ".PP\n"
                       "Then the end.\n"
                       ".SH \"КОДЫ ЗАВЕРШЕНИЯ\"\n"
                       "0 — успех;\n"
                       ".br\n"
                       "2 — ошибка.\n"
                       ".SH \"СМ. ТАКЖЕ\"\n"
                       "\\fBother\\fR(1)\n"));
}

void tst_ManPage::paragraphs_data()
{
    QTest::addColumn<QString>("help");
    QTest::addColumn<QString>("fragment");

    QTest::newRow("commands follow the synopsis's order, not the help's")
        << helpWith({QStringLiteral("b"), QStringLiteral("a")},
               {QStringLiteral("a"), QStringLiteral("b")})
        << QStringLiteral(".SS \"b\"\nDoes b.\n.SS \"a\"\nDoes a.\n");
    QTest::newRow("a command named on two synopsis lines has one subsection") << QStringLiteral(
        "prog — x\n\nUsage:\n  prog name A\n  prog name A B\n\nname A [B]\n"
        "  Names.\n") << QStringLiteral(".SH КОМАНДЫ\n.SS \"name A [B]\"\nNames.\n.SH \"СМ.");
    QTest::newRow("synopsis: options in bold, a hyphen inside a word is no option")
        << QStringLiteral("prog — x\n\nUsage:\n  prog go FILE-NAME [-v]\n\ngo\n  Goes.\n")
        << QStringLiteral("\\fBprog go\\fR FILE\\-NAME [\\fB\\-v\\fR]\n.br\n");
    QTest::newRow("a quote in a subsection heading does not end it")
        << QStringLiteral("prog — x\n\nUsage:\n  prog name \"ФИО\"\n\nname \"ФИО\"\n  Names.\n")
        << QStringLiteral(".SS \"name \\(dqФИО\\(dq\"\n");
    QTest::newRow("two levels deeper, then back out one level at a time")
        << QStringLiteral("prog — x\n\nUsage:\n  prog go\n\ngo\n  Outer:\n    middle:\n"
                          "      inner\n    middle again\n  outer again\n")
        << QStringLiteral("Outer:\n.br\n.RS\nmiddle:\n.br\n.RS\ninner\n.RE\nmiddle again\n.RE\n"
                          ".PP\nouter again\n");
    QTest::newRow("a list still open at the end of the paragraph is closed")
        << QStringLiteral("prog — x\n\nUsage:\n  prog go\n\ngo\n  List:\n    one\n      two\n")
        << QStringLiteral(".RS\none\n.RS\ntwo\n.RE\n.RE\n.SH \"СМ.");
    QTest::newRow("an option mentioned in a command's text stays a word")
        << QStringLiteral("prog — x\n\nUsage:\n  prog go\n\ngo\n  Without --plane, all.\n")
        << QStringLiteral("Without \\-\\-plane, all.\n");
    QTest::newRow("a heading without a colon is description, not a section")
        << QStringLiteral("prog — x\n\nUsage:\n  prog go\n\ngo\n  Goes.\n\nNotes\n  indented\n")
        << QStringLiteral(".SH ОПИСАНИЕ\nprog — x\n.PP\nNotes\n.RS\nindented\n.RE\n.SH КОМАНДЫ\n");
    QTest::newRow("a lone heading line with a colon is description too")
        << QStringLiteral("prog — x\n\nUsage:\n  prog go\n\nSee below:\n\ngo\n  Goes.\n")
        << QStringLiteral(".PP\nSee below:\n.br\n.SH КОМАНДЫ\n");
    QTest::newRow("a synopsis of options only has no commands section")
        << QStringLiteral("prog — x\n\nUsage:\n  prog --help\n")
        << QStringLiteral(".SH ОПИСАНИЕ\nprog — x\n.SH \"СМ.");
    QTest::newRow("Windows line ends and trailing spaces are dropped")
        << QStringLiteral("prog — x\r\n\r\nUsage:\r\n  prog go  \r\n\r\ngo\r\n  Goes. \r\n")
        << QStringLiteral(".SS \"go\"\nGoes.\n");
}

void tst_ManPage::paragraphs()
{
    QFETCH(QString, help);
    QFETCH(QString, fragment);

    const ManPage::Result page
        = ManPage::fromHelp(help, QStringLiteral("prog 1"), {QStringLiteral("x(1)")});
    QVERIFY2(page.ok(), qPrintable(page.error));
    QVERIFY2(page.roff.contains(fragment), qPrintable(page.roff));
}

void tst_ManPage::refused_data()
{
    QTest::addColumn<QString>("help");
    QTest::addColumn<QString>("error");

    QTest::newRow("empty") << QString() << QStringLiteral("the help is empty");
    QTest::newRow("only empty lines")
        << QStringLiteral("\n  \n\n") << QStringLiteral("the help is empty");
    QTest::newRow("first paragraph without a dash")
        << QStringLiteral("prog does things\n\nUsage:\n  prog go\n\ngo\n  Goes.\n")
        << QStringLiteral("the first paragraph does not read \"PROGRAM — what it does\"");
    QTest::newRow("first paragraph starting with the dash")
        << QStringLiteral(" — does things\n\nUsage:\n   go\n")
        << QStringLiteral("the first paragraph does not read \"PROGRAM — what it does\"");
    QTest::newRow("no synopsis") << QStringLiteral("prog — x\n\ngo\n  Goes.\n")
                                 << QStringLiteral("no paragraph of lines starting with prog");
    QTest::newRow("synopsis lines of another program")
        << QStringLiteral("prog — x\n\nUsage:\n  other go\n")
        << QStringLiteral("no paragraph of lines starting with prog");
    QTest::newRow("a command of the synopsis left undescribed")
        << helpWith({QStringLiteral("a"), QStringLiteral("check")}, {QStringLiteral("a")})
        << QStringLiteral("the command check of the synopsis has no paragraph of its own "
                          "starting with its name");
    QTest::newRow("a command's description indented like its body")
        << QStringLiteral("prog — x\n\nUsage:\n  prog go\n\n  go\n  Goes.\n")
        << QStringLiteral("the command go of the synopsis has no paragraph of its own "
                          "starting with its name");
    QTest::newRow("a command described twice")
        << helpWith({QStringLiteral("a")}, {QStringLiteral("a"), QStringLiteral("a")})
        << QStringLiteral("the command a is described twice");
}

void tst_ManPage::refused()
{
    QFETCH(QString, help);
    QFETCH(QString, error);

    const ManPage::Result page = ManPage::fromHelp(help, QStringLiteral("prog 1"));
    QCOMPARE(page.error, error);
    QVERIFY(!page.ok());
}

void tst_ManPage::escaped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("roff");

    QTest::newRow("backslash") << QStringLiteral("a\\b") << QStringLiteral("a\\eb");
    QTest::newRow("hyphens are minus signs, for options to copy")
        << QStringLiteral("--plane 8-bit") << QStringLiteral("\\-\\-plane 8\\-bit");
    QTest::newRow("a leading dot is no request")
        << QStringLiteral(". Плоскость №N") << QStringLiteral("\\&. Плоскость №N");
    QTest::newRow("a leading apostrophe is no request")
        << QStringLiteral("'quoted'") << QStringLiteral("\\&'quoted'");
    QTest::newRow("a dot inside the line stays")
        << QStringLiteral("a. b") << QStringLiteral("a. b");
    QTest::newRow("a leading backslash is escaped, not hidden")
        << QStringLiteral("\\fB") << QStringLiteral("\\efB");
}

void tst_ManPage::escaped()
{
    QFETCH(QString, text);
    QFETCH(QString, roff);

    QCOMPARE(ManPage::escaped(text), roff);
}

QTEST_GUILESS_MAIN(tst_ManPage)
#include "tst_manpage.moc"
