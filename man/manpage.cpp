// SPDX-License-Identifier: GPL-3.0-or-later
#include "manpage.h"

#include <QList>
#include <QRegularExpression>

namespace {

struct Line
{
    int indent = 0;
    QString text; // without the indentation
};
using Paragraph = QList<Line>;

QList<Paragraph> paragraphsOf(const QString &help)
{
    QList<Paragraph> paragraphs;
    Paragraph current;
    for (QString line : help.split(QLatin1Char('\n'))) {
        while (!line.isEmpty() && line.back().isSpace())
            line.chop(1);
        if (line.isEmpty()) {
            if (!current.isEmpty())
                paragraphs.append(current);
            current.clear();
            continue;
        }
        int indent = 0;
        while (line.at(indent) == QLatin1Char(' '))
            ++indent;
        current.append({indent, line.mid(indent)});
    }
    if (!current.isEmpty())
        paragraphs.append(current);
    return paragraphs;
}

QString firstWord(const QString &text)
{
    return text.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
}

QString joined(const Paragraph &paragraph)
{
    QStringList texts;
    for (const Line &line : paragraph)
        texts.append(line.text);
    return texts.join(QLatin1Char(' '));
}

// A macro's argument in double quotes: a quote inside would end it early.
QString quoted(const QString &text)
{
    QString escaped = ManPage::escaped(text);
    escaped.replace(QLatin1Char('"'), QLatin1String("\\(dq"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// Options (-h, --plane) in bold, the rest as it is.
QString withBoldOptions(const QString &text)
{
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])--?[A-Za-z][A-Za-z0-9-]*"));
    QString out;
    qsizetype from = 0;
    for (auto it = option.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        out += ManPage::escaped(text.mid(from, match.capturedStart() - from));
        out += QLatin1String("\\fB") + ManPage::escaped(match.captured()) + QLatin1String("\\fR");
        from = match.capturedEnd();
    }
    return out + ManPage::escaped(text.mid(from));
}

// Filled text; ';' or ':' at the end of a line keeps the break there, a deeper indentation nests.
QString bodyOf(const Paragraph &lines)
{
    QString out;
    QList<int> levels;
    for (const Line &line : lines) {
        if (levels.isEmpty())
            levels.append(line.indent);
        const qsizetype depth = levels.size();
        while (levels.size() > 1 && line.indent < levels.last()) {
            out += QLatin1String(".RE\n");
            levels.removeLast();
        }
        // Back from a nested list to the outer text: a new paragraph, as the help's reader sees it.
        if (levels.size() == 1 && depth > 1)
            out += QLatin1String(".PP\n");
        if (line.indent > levels.last()) {
            out += QLatin1String(".RS\n");
            levels.append(line.indent);
        }
        out += ManPage::escaped(line.text) + QLatin1Char('\n');
        if (line.text.endsWith(QLatin1Char(';')) || line.text.endsWith(QLatin1Char(':')))
            out += QLatin1String(".br\n");
    }
    for (qsizetype level = 1; level < levels.size(); ++level)
        out += QLatin1String(".RE\n");
    return out;
}

bool isSynopsis(const Paragraph &paragraph, const QString &program)
{
    if (paragraph.size() < 2)
        return false;
    for (qsizetype i = 1; i < paragraph.size(); ++i) {
        const Line &line = paragraph.at(i);
        if (line.indent == 0 || firstWord(line.text) != program)
            return false;
    }
    return true;
}

} // namespace

QString ManPage::escaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\e");
        else if (c == QLatin1Char('-'))
            out += QLatin1String("\\-");
        else
            out += c;
    }
    if (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1Char('\'')))
        out.prepend(QLatin1String("\\&"));
    return out;
}

ManPage::Result ManPage::fromHelp(
    const QString &help, const QString &source, const QStringList &seeAlso)
{
    Result result;
    const QList<Paragraph> paragraphs = paragraphsOf(help);
    if (paragraphs.isEmpty()) {
        result.error = QStringLiteral("the help is empty");
        return result;
    }
    const QString nameLine = joined(paragraphs.first());
    const QString dash = QStringLiteral(" — ");
    const qsizetype dashAt = nameLine.indexOf(dash);
    if (dashAt <= 0) {
        result.error
            = QStringLiteral("the first paragraph does not read \"PROGRAM — what it does\"");
        return result;
    }
    const QString program = nameLine.left(dashAt);
    const QString whatis = nameLine.mid(dashAt + dash.size());

    qsizetype synopsisAt = -1;
    for (qsizetype i = 1; i < paragraphs.size() && synopsisAt < 0; ++i) {
        if (isSynopsis(paragraphs.at(i), program))
            synopsisAt = i;
    }
    if (synopsisAt < 0) {
        result.error = QStringLiteral("no paragraph of lines starting with %1").arg(program);
        return result;
    }
    const Paragraph &synopsis = paragraphs.at(synopsisAt);
    QStringList commands;
    for (qsizetype i = 1; i < synopsis.size(); ++i) {
        const QString command
            = synopsis.at(i).text.section(QLatin1Char(' '), 1, 1, QString::SectionSkipEmpty);
        if (!command.isEmpty() && !command.startsWith(QLatin1Char('-'))
            && !commands.contains(command))
            commands.append(command);
    }

    QList<Paragraph> description {paragraphs.first()};
    QList<Paragraph> commandParagraphs(commands.size());
    QList<Paragraph> sections;
    for (qsizetype i = 1; i < paragraphs.size(); ++i) {
        if (i == synopsisAt)
            continue;
        const Paragraph &paragraph = paragraphs.at(i);
        const Line &head = paragraph.first();
        const qsizetype command = head.indent == 0 ? commands.indexOf(firstWord(head.text)) : -1;
        if (command >= 0) {
            if (!commandParagraphs.at(command).isEmpty()) {
                result.error
                    = QStringLiteral("the command %1 is described twice").arg(commands.at(command));
                return result;
            }
            commandParagraphs[command] = paragraph;
        } else if (head.indent == 0 && head.text.endsWith(QLatin1Char(':'))
            && paragraph.size() > 1) {
            sections.append(paragraph);
        } else {
            description.append(paragraph);
        }
    }
    for (qsizetype i = 0; i < commands.size(); ++i) {
        if (commandParagraphs.at(i).isEmpty()) {
            result.error = QStringLiteral("the command %1 of the synopsis has no paragraph of "
                                          "its own starting with its name")
                               .arg(commands.at(i));
            return result;
        }
    }

    QString &out = result.roff;
    out += QLatin1String(".TH ") + quoted(program.toUpper()) + QLatin1String(" 1 \"\" ")
        + quoted(source) + QLatin1Char(' ') + quoted(QStringLiteral("Команды пользователя"))
        + QLatin1Char('\n');
    // Ragged right and no hyphenation: groff's patterns are English, and options must stay whole.
    out += QLatin1String(".ad l\n.nh\n");
    out += QStringLiteral(".SH ИМЯ\n") + escaped(program) + QLatin1String(" \\- ") + escaped(whatis)
        + QLatin1Char('\n');

    out += QStringLiteral(".SH ОБЗОР\n");
    for (qsizetype i = 1; i < synopsis.size(); ++i) {
        const QString &text = synopsis.at(i).text;
        const QString second = text.section(QLatin1Char(' '), 1, 1, QString::SectionSkipEmpty);
        const qsizetype boldEnd = commands.contains(second)
            ? text.indexOf(second, program.size()) + second.size()
            : program.size();
        out += QLatin1String("\\fB") + escaped(text.left(boldEnd)) + QLatin1String("\\fR")
            + withBoldOptions(text.mid(boldEnd)) + QLatin1String("\n.br\n");
    }

    out += QStringLiteral(".SH ОПИСАНИЕ\n");
    for (qsizetype i = 0; i < description.size(); ++i) {
        if (i > 0)
            out += QLatin1String(".PP\n");
        out += bodyOf(description.at(i));
    }

    if (!commands.isEmpty())
        out += QStringLiteral(".SH КОМАНДЫ\n");
    for (const Paragraph &paragraph : std::as_const(commandParagraphs)) {
        out += QLatin1String(".SS ") + quoted(paragraph.first().text) + QLatin1Char('\n');
        out += bodyOf(paragraph.mid(1));
    }

    for (const Paragraph &paragraph : std::as_const(sections)) {
        QString heading = paragraph.first().text;
        heading.chop(1);
        out += QLatin1String(".SH ") + quoted(heading.toUpper()) + QLatin1Char('\n');
        out += bodyOf(paragraph.mid(1));
    }

    if (!seeAlso.isEmpty()) {
        QStringList references;
        for (const QString &page : seeAlso) {
            const qsizetype open = page.indexOf(QLatin1Char('('));
            references.append(open > 0 ? QLatin1String("\\fB") + escaped(page.left(open))
                        + QLatin1String("\\fR") + escaped(page.mid(open))
                                       : escaped(page));
        }
        out += QStringLiteral(".SH \"СМ. ТАКЖЕ\"\n") + references.join(QLatin1String(",\n"))
            + QLatin1Char('\n');
    }
    return result;
}
