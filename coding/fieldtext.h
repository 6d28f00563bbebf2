// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the student types or pastes into the homework fields, brought into the form their rules
// expect where only the form is off: a line break copied along, a no-break space, a doubled
// space, an ё written as е followed by a combining diaeresis. The key tool reads names the same
// way, so the window and the teacher's key always work on the same text.
class FieldText
{
public:
    enum class Ending {
        Trimmed, // a finished text: no space at either end
        KeepSpace, // a text still being typed: a trailing space stays, as one space
    };

    // Every space, tab, line break and no-break space becomes a plain space, runs of spaces
    // become one, the ends are trimmed (see Ending), the hyphens U+2010 and U+2011 become '-',
    // and the text is put in Unicode form C.
    static QString name(const QString &text, Ending ending = Ending::Trimmed);
    // As name, and no spaces around commas: "0, 3 ,0" becomes "0,3,0".
    static QString counters(const QString &text, Ending ending = Ending::Trimmed);
};
