// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// BMP files written byte by byte, for layouts Qt's writer never makes: 1 and 4 bits, RLE, rows
// stored top-down, headers that lie about the size.

#include <QByteArray>
#include <QtEndian>

#include <functional>

namespace TestBmp {

// Palette index (grey level for 8 and 24 bits) of pixel (x, y).
using Levels = std::function<int(int x, int y)>;

inline void put16(QByteArray &bytes, int value)
{
    char raw[2];
    qToLittleEndian<quint16>(quint16(value), raw);
    bytes.append(raw, 2);
}

inline void put32(QByteArray &bytes, qint64 value)
{
    char raw[4];
    qToLittleEndian<quint32>(quint32(value), raw);
    bytes.append(raw, 4);
}

// A BMP with a 40-byte header and a grey palette of 2^bits entries (none for 24 bits), entry i
// the level i * 255 / (2^bits - 1). A negative height stores the rows top-down.
inline QByteArray bmp(int width, int height, int bits, int compression, const QByteArray &pixelData)
{
    const int colours = bits <= 8 ? 1 << bits : 0;
    const int offset = 14 + 40 + 4 * colours;
    QByteArray bytes("BM");
    put32(bytes, offset + pixelData.size());
    put32(bytes, 0);
    put32(bytes, offset);
    put32(bytes, 40);
    put32(bytes, width);
    put32(bytes, height);
    put16(bytes, 1);
    put16(bytes, bits);
    put32(bytes, compression);
    put32(bytes, pixelData.size());
    put32(bytes, 2835);
    put32(bytes, 2835);
    put32(bytes, colours);
    put32(bytes, 0);
    for (int i = 0; i < colours; ++i) {
        const char grey = char(i * 255 / (colours - 1));
        bytes.append(grey).append(grey).append(grey).append('\0');
    }
    return bytes + pixelData;
}

// A 16- or 32-bit BITFIELDS BMP: a 40-byte header, the red, green and blue masks after it, and
// each pixel's raw value, bottom-up.
inline QByteArray bitfieldsBmp(int width, int height, int bits, const quint32 (&masks)[3],
    const std::function<quint32(int x, int y)> &pixel)
{
    const int rowBytes = (width * bits + 31) / 32 * 4;
    QByteArray data;
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < width; ++x) {
            if (bits == 16)
                qToLittleEndian<quint16>(quint16(pixel(x, y)), row.data() + 2 * x);
            else
                qToLittleEndian<quint32>(pixel(x, y), row.data() + 4 * x);
        }
        data += row;
    }
    QByteArray bytes = bmp(width, height, bits, 3, QByteArray());
    qToLittleEndian<quint32>(quint32(14 + 40 + 12), bytes.data() + 10); // bfOffBits
    for (const quint32 mask : masks)
        put32(bytes, mask);
    return bytes + data;
}

// An 8-bit BMP with the 12-byte OS/2 1.x header and its 3-byte palette entries.
inline QByteArray os2Bmp(int width, int height, const QByteArray &pixelData)
{
    const int offset = 14 + 12 + 3 * 256;
    QByteArray bytes("BM");
    put32(bytes, offset + pixelData.size());
    put32(bytes, 0);
    put32(bytes, offset);
    put32(bytes, 12);
    put16(bytes, width);
    put16(bytes, height);
    put16(bytes, 1);
    put16(bytes, 8);
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i)).append(char(i)).append(char(i));
    return bytes + pixelData;
}

// Uncompressed rows, each padded to 32 bits; bottom-up unless `topDown`.
inline QByteArray packedRows(
    int width, int height, int bits, const Levels &levels, bool topDown = false)
{
    const int rowBytes = (width * bits + 31) / 32 * 4;
    QByteArray data;
    for (int i = 0; i < height; ++i) {
        const int y = topDown ? i : height - 1 - i;
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < width; ++x) {
            const int v = levels(x, y);
            if (bits == 24)
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = char(v);
            else if (bits == 8)
                row[x] = char(v);
            else if (bits == 4)
                row[x / 2] = char(row[x / 2] | (x % 2 ? v : v << 4));
            else if (bits == 1 && v)
                row[x / 8] = char(row[x / 8] | 0x80 >> x % 8);
        }
        data += row;
    }
    return data;
}

// RLE8 or RLE4: one run per pixel (pairs of pixels for RLE4), an end of line after each row.
inline QByteArray rleRows(int width, int height, int bits, const Levels &levels)
{
    QByteArray data;
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; x += bits == 8 ? 1 : 2) {
            if (bits == 8) {
                data.append(char(1)).append(char(levels(x, y)));
            } else {
                const int second = x + 1 < width ? levels(x + 1, y) : 0;
                data.append(char(x + 1 < width ? 2 : 1)).append(char(levels(x, y) << 4 | second));
            }
        }
        data.append('\0').append('\0');
    }
    return data.append('\0').append('\1');
}

} // namespace TestBmp
