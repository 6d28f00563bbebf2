// SPDX-License-Identifier: GPL-3.0-or-later
#include "builtinpictures.h"

#include <array>
#include <utility>

namespace {

struct Picture
{
    const char16_t *name;
    const char16_t *path;
};

constexpr std::array<Picture, 3> pictures {{
    {u"Лена", u":/images/images/lena.bmp"},
    {u"Барбара", u":/images/images/barbara.bmp"},
    {u"Золотой холм", u":/images/images/goldhill.bmp"},
}};

} // namespace

QString BuiltInPictures::noPicture()
{
    return QStringLiteral("выбери изображение");
}

QStringList BuiltInPictures::names()
{
    QStringList list;
    for (const Picture &picture : pictures)
        list.append(QString::fromUtf16(picture.name));
    return list;
}

QString BuiltInPictures::resourcePath(const QString &name)
{
    for (const Picture &picture : pictures) {
        if (name == QString::fromUtf16(picture.name))
            return QString::fromUtf16(picture.path);
    }
    return {};
}
