// SPDX-License-Identifier: GPL-3.0-or-later
#include "greyconversion.h"

#include "pixelmemory.h"

#include <array>
#include <cstring>

namespace {

// Weights times 1000 and the half for rounding: the sum stays below 2^18, and the division by
// the constant 1000 compiles to a multiplication.
constexpr quint32 redWeight = 299;
constexpr quint32 greenWeight = 587;
constexpr quint32 blueWeight = 114;
constexpr quint32 half = 500;

static_assert(GreyConversion::luma(255, 255, 255) == 255);
static_assert(GreyConversion::luma(0, 0, 0) == 0);
static_assert(GreyConversion::luma(1, 1, 1) == 1); // grey levels stay as they are
static_assert(GreyConversion::luma(255, 0, 0) == 76); // 76.245
static_assert(GreyConversion::luma(0, 255, 0) == 150); // 149.685
static_assert(GreyConversion::luma(0, 0, 255) == 29); // 29.07

void lumaOfRgb32(const uchar *line, uchar *out, int width)
{
    const auto *pixels = reinterpret_cast<const QRgb *>(line);
    for (int x = 0; x < width; ++x) {
        const quint32 p = pixels[x];
        out[x] = uchar(((p >> 16 & 0xff) * redWeight + (p >> 8 & 0xff) * greenWeight
                           + (p & 0xff) * blueWeight + half)
            / 1000);
    }
}

void lumaOfRgb888(const uchar *line, uchar *out, int width)
{
    for (int x = 0; x < width; ++x) {
        const uchar *p = line + 3 * x;
        out[x] = uchar((p[0] * redWeight + p[1] * greenWeight + p[2] * blueWeight + half) / 1000);
    }
}

using LumaTable = std::array<uchar, 256>;

// The luma of every palette entry; an index past the palette reads as 0, as QImage::pixel does.
LumaTable paletteLumas(const QImage &picture)
{
    LumaTable table {};
    const QList<QRgb> colours = picture.colorTable();
    for (qsizetype i = 0; i < qMin<qsizetype>(colours.size(), 256); ++i) {
        const QRgb c = colours.at(i);
        table[size_t(i)] = GreyConversion::luma(qRed(c), qGreen(c), qBlue(c));
    }
    return table;
}

// Any other format exactly as QImage::pixel reads it, as the split reads such a picture: with
// alpha, some formats give the colour premultiplied (over black), others as it is.
void convertByPixel(const QImage &picture, QImage &grey)
{
    for (int y = 0; y < picture.height(); ++y) {
        uchar *out = grey.scanLine(y);
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            out[x] = GreyConversion::luma(qRed(p), qGreen(p), qBlue(p));
        }
    }
}

} // namespace

QImage GreyConversion::toGrey(const QImage &picture)
{
    if (picture.isNull())
        return {};
    QImage grey = PixelMemory::allocate(picture.size(), QImage::Format_Grayscale8);
    if (grey.isNull())
        return {};
    const int width = picture.width();
    const int height = picture.height();
    switch (picture.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied: // QImage::pixel does not undo the alpha either
        for (int y = 0; y < height; ++y)
            lumaOfRgb32(picture.constScanLine(y), grey.scanLine(y), width);
        break;
    case QImage::Format_RGB888:
        for (int y = 0; y < height; ++y)
            lumaOfRgb888(picture.constScanLine(y), grey.scanLine(y), width);
        break;
    case QImage::Format_Grayscale8:
        for (int y = 0; y < height; ++y)
            std::memcpy(grey.scanLine(y), picture.constScanLine(y), size_t(width));
        break;
    case QImage::Format_Indexed8: {
        const LumaTable table = paletteLumas(picture);
        for (int y = 0; y < height; ++y) {
            const uchar *in = picture.constScanLine(y);
            uchar *out = grey.scanLine(y);
            for (int x = 0; x < width; ++x)
                out[x] = table[in[x]];
        }
        break;
    }
    default:
        convertByPixel(picture, grey);
        break;
    }
    return grey;
}

QString GreyConversion::nameSuffix()
{
    return QStringLiteral(" (оттенки серого)");
}

QString GreyConversion::nameOf(const QString &pictureName)
{
    return pictureName + nameSuffix();
}
