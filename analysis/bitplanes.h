// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>

// Splits a picture into its eight one-bit planes.
class BitPlanes
{
public:
    static constexpr int count = 8;

    // Eight Format_Mono planes of the picture's size with colorTable(), index 0 = bit 7 (value 128)
    // ... index 7 = bit 0. A pixel is black (index 1) where its level, the largest of red, green
    // and blue of QImage::pixel (QColor::value), has the plane's bit. Empty for a null picture
    // and when the memory for the planes cannot be had.
    static QList<QImage> split(const QImage &picture);

    // Whether the lab splits the picture: every pixel grey (QImage::allGray), whatever the
    // palette. Qt's isGrayscale() also wants an 8-bit palette to be the exact ramp 0..255, so
    // a 16-grey or 1-bit picture, or grey levels stored in another order, would not count.
    static bool isGrey(const QImage &picture);

    // Index 0 opaque white, index 1 opaque black.
    static QList<QRgb> colorTable();
};
