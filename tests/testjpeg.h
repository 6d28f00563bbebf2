// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// JPEG files written byte by byte, for what Qt's writer never makes: progressive files with
// thousands of scans that decode to nothing, an EXIF orientation, other kinds of frame.

#include <QByteArray>
#include <QtEndian>

namespace TestJpeg {

// Bits into bytes, most significant first, with a zero byte stuffed after every 0xff.
class BitWriter
{
public:
    void put(quint32 value, int length)
    {
        for (int i = length - 1; i >= 0; --i) {
            accumulator = accumulator << 1 | ((value >> i) & 1);
            if (++filled == 8)
                flushByte();
        }
    }
    // Pads the last byte with ones, as the format asks.
    QByteArray finish()
    {
        while (filled)
            put(1, 1);
        return bytes;
    }

private:
    void flushByte()
    {
        bytes.append(char(accumulator));
        if (uchar(accumulator) == 0xff)
            bytes.append('\0');
        accumulator = 0;
        filled = 0;
    }
    QByteArray bytes;
    quint32 accumulator = 0;
    int filled = 0;
};

inline void segment(QByteArray &jpeg, int marker, const QByteArray &body)
{
    jpeg.append(char(0xff)).append(char(marker));
    char length[2];
    qToBigEndian<quint16>(quint16(body.size() + 2), length);
    jpeg.append(length, 2).append(body);
}

// A scan of components first ... first + count - 1 (ids 1, 2, 3), all with tables 0.
inline QByteArray scanHeader(int start, int end, int high, int low, int first = 1, int count = 1)
{
    QByteArray header(1, char(count));
    for (int c = 0; c < count; ++c)
        header.append(char(first + c)).append('\0');
    return header.append(char(start)).append(char(end)).append(char(high << 4 | low));
}

// End-of-band runs over `blocks` blocks: each run of up to 32767 blocks is one 4-bit code (the
// table below) and its extra bits.
inline QByteArray endOfBandRuns(qint64 blocks)
{
    BitWriter bits;
    while (blocks > 0) {
        const qint64 run = qMin<qint64>(blocks, 32767);
        int r = 0;
        while ((qint64(2) << r) <= run)
            ++r;
        bits.put(quint32(r), 4);
        if (r)
            bits.put(quint32(run - (qint64(1) << r)), r);
        blocks -= run;
    }
    return bits.finish();
}

// A progressive JPEG of a flat mid-grey, of one component or of three (YCbCr, none of them
// subsampled): a DC scan, a first AC scan of each component, then `refineScans` AC refinement
// scans, taking the components in turn, that each change nothing in a few bytes, however large
// the picture. This is how a small file keeps a decoder busy for minutes.
inline QByteArray repeatedScans(int width, int height, int refineScans, int components = 1)
{
    QByteArray jpeg("\xff\xd8", 2);
    segment(jpeg, 0xdb, QByteArray(1, '\0') + QByteArray(64, '\1'));
    QByteArray frame;
    frame.append(char(8)).append(char(height >> 8)).append(char(height));
    frame.append(char(width >> 8)).append(char(width)).append(char(components));
    for (int c = 1; c <= components; ++c)
        frame.append(char(c)).append(char(0x11)).append('\0');
    segment(jpeg, 0xc2, frame);
    // DC table: one code, "0", for difference category 0.
    QByteArray dc(1, '\0');
    dc += QByteArray(1, '\1') + QByteArray(15, '\0') + QByteArray(1, '\0');
    segment(jpeg, 0xc4, dc);
    // AC table: fifteen 4-bit codes, 0000 ... 1110, for the end-of-band runs EOB0 ... EOB14.
    QByteArray ac(1, '\x10');
    QByteArray counts(16, '\0');
    counts[3] = 15;
    ac += counts;
    for (int r = 0; r < 15; ++r)
        ac.append(char(r << 4));
    segment(jpeg, 0xc4, ac);

    const qint64 blocks = qint64((width + 7) / 8) * ((height + 7) / 8);
    segment(jpeg, 0xda, scanHeader(0, 0, 0, 0, 1, components));
    BitWriter dcData;
    for (qint64 i = 0; i < blocks * components; ++i)
        dcData.put(0, 1);
    jpeg += dcData.finish();
    const QByteArray nothing = endOfBandRuns(blocks);
    for (int c = 1; c <= components; ++c) {
        segment(jpeg, 0xda, scanHeader(1, 63, 0, 1, c));
        jpeg += nothing;
    }
    for (int i = 0; i < refineScans; ++i) {
        segment(jpeg, 0xda, scanHeader(1, 63, 1, 0, 1 + i % components));
        jpeg += nothing;
    }
    return jpeg.append("\xff\xd9", 2);
}

// The file with an EXIF segment after its start marker whose orientation tag (0x0112) has the
// given value (6: the camera was turned 90 degrees clockwise).
inline QByteArray withOrientation(const QByteArray &jpeg, int orientation)
{
    // "Exif", a little-endian TIFF header, one directory of one SHORT entry, no next directory.
    const char exif[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3,
        0, 1, 0, 0, 0, char(orientation), 0, 0, 0, 0, 0, 0, 0};
    QByteArray app1;
    segment(app1, 0xe1, QByteArray(exif, sizeof exif));
    return QByteArray(jpeg).insert(2, app1);
}

// The file with the marker of its baseline frame header (0xc0) replaced, e.g. by 0xc3, which
// says lossless.
inline QByteArray withFrameMarker(const QByteArray &jpeg, int marker)
{
    QByteArray patched = jpeg;
    const qsizetype frame = patched.indexOf("\xff\xc0");
    if (frame >= 0)
        patched[frame + 1] = char(marker);
    return patched;
}

} // namespace TestJpeg
