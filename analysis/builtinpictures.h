// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The pictures built into the program, by the names the picture list shows: the window's list,
// the key tool and the variants all name them the same way.
class BuiltInPictures
{
public:
    // The list's first item, which chooses no picture.
    static QString noPicture();
    // The pictures in the order the list offers them.
    static QStringList names();
    // ":/images/images/..." for a built-in picture's name; empty for any other text.
    static QString resourcePath(const QString &name);
};
