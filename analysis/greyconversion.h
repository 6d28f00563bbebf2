// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

// Turns a colour picture into the grey one the lab can split: each pixel's luma by the ITU-R
// BT.601 weights, round(0.299 R + 0.587 G + 0.114 B), worked out in integers so the window and
// the key tool give the same levels on every machine.
class GreyConversion
{
public:
    // The luma of one pixel, rounded half up; alpha is ignored, as the split ignores it.
    static constexpr uchar luma(int red, int green, int blue)
    {
        return uchar((299 * red + 587 * green + 114 * blue + 500) / 1000);
    }

    // A Format_Grayscale8 picture of the same size with the luma of every pixel as QImage::pixel
    // reads it. A grey picture keeps its levels. Null for a null picture and when the memory for
    // the result cannot be had.
    static QImage toGrey(const QImage &picture);

    // The name the report gives the converted picture: "photo.jpg (оттенки серого)".
    static QString nameOf(const QString &pictureName);
    // What nameOf appends.
    static QString nameSuffix();
};
