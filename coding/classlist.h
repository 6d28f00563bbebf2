// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "classfile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// A class's file for the teacher's key, read by ClassFile: a plain list (one name a line, or
// name TAB counters) or a table exported from a spreadsheet or an online form. Which cells hold
// the name and the answer comes from a header row, recognised by its words (ФИО, Фамилия, Имя,
// Отчество, Студент, Ответ, Счетчики, in any case; an e-mail or ID number column beside them is
// kept as each entry's identifier), else from the cells themselves: the first
// column of names (or three adjacent columns of single words: surname, given name, patronymic),
// and for answers the first column after it holding lists with commas (else simply the next).
// Columns can also be given. Names and counters are shaped as the window's fields shape pasted
// text (FieldText), and a name counts when the window's name field would then take it.
class ClassList
{
public:
    struct Entry
    {
        int line = 0; // from 1
        QString name;
        QString answer; // the counters, for a file of answers
        QString identifier; // the cell of the identifier column, when the header names one
    };
    using Problem = ClassFile::Problem;

    // Columns from 1: the name in nameCount adjacent columns from nameColumn (joined by spaces),
    // the answer in answerColumn (0: the column after the name).
    struct Columns
    {
        int nameColumn = 1;
        int nameCount = 1;
        int answerColumn = 0;

        int answer() const { return answerColumn > 0 ? answerColumn : nameColumn + nameCount; }

        // "2", "B", "2-4" or "B-D" for the name, then optionally "," and the answer's column:
        // "2,5", "A-C,D". nullopt and error set when the text is none of these.
        static std::optional<Columns> parse(const QString &text, QString *error);
    };

    struct Parsed
    {
        QList<Entry> entries;
        QList<Problem> problems;
        QString notice; // how the file was read, when a teacher should know (its encoding)
        QString refusal; // the file as a whole cannot be read so: why and what to do
        // The header of the column identifying a student to a gradebook (an e-mail address,
        // "Идентификационный номер", "ID number", a user name); empty when there is none.
        QString identifierTitle;
    };

    // One full name a record.
    static Parsed names(const QByteArray &contents, std::optional<Columns> columns = {});
    // A full name and the counters a student handed in, a record.
    static Parsed answers(const QByteArray &contents, std::optional<Columns> columns = {});
};
