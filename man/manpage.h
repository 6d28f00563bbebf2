// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// A program's --help text turned into a man page, so the two can never say different things.
// The help is read as paragraphs separated by empty lines:
//   - the first reads "PROGRAM — what it does" (it may wrap): the page's name and whatis line;
//   - the one whose indented lines all start with PROGRAM is the synopsis; the word after PROGRAM
//     on each of its lines, unless it is an option, names a command;
//   - one starting at column 0 with a command's name is that command's subsection, and every
//     command of the synopsis must have one;
//   - one starting at column 0 with "Heading:" and an indented body is a section of its own;
//   - any other goes into the description.
// Indented lines are filled into paragraphs; a line ending in ';' or ':' ends its line, and
// deeper indentation nests.
class ManPage
{
public:
    struct Result
    {
        QString roff;
        QString error; // why the help cannot be read as a man page; empty when it can
        bool ok() const { return error.isEmpty(); }
    };

    // source: the package and version for the page's footer, e.g. "huffman-lab 1.0".
    static Result fromHelp(
        const QString &help, const QString &source, const QStringList &seeAlso = {});

    // Text as roff prints it literally: backslashes, leading dots and quotes, ASCII hyphens.
    static QString escaped(const QString &text);
};
