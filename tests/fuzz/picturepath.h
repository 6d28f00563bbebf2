// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The road of a picture file's bytes through the program's cores: read (PictureReader, as the
// window does), split, analyse, report.
// Shared by the fuzz harness and the regression test, so that a saved input replays exactly.
// Each check returns a description of what went wrong, or an empty string.

#include "bitblock.h"
#include "bitplanes.h"
#include "bmplayout.h"
#include "jpeglayout.h"
#include "picturereader.h"
#include "planereport.h"
#include "planestatistics.h"
#include "testpictures.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QList>
#include <QSet>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <bitset>
#include <cstring>

namespace PicturePath {

// Pictures whose headers claim more are skipped before anything is decoded: the fuzzer is
// after the corner cases of small files, and every pixel costs under the sanitizers. Big
// pictures have tests of their own.
constexpr qint64 maxPixels = 128 * 128;
// The literal per-pixel references are slow; the fast paths are compared with them below this.
constexpr qint64 maxReferencePixels = 64 * 64;

// The largest size any of the three decoders would find in the header, from the headers
// alone: BMP and JPEG as the reader itself walks them, PNG from its IHDR chunk.
inline qint64 claimedPixels(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    const BmpLayout bmp = BmpLayout::of(&buffer, 0);
    qint64 pixels = bmp.width * bmp.height;
    buffer.seek(0);
    const JpegLayout jpeg = JpegLayout::of(&buffer);
    pixels = qMax(pixels, qint64(jpeg.width) * jpeg.height);
    if (bytes.startsWith("\x89PNG\r\n\x1a\n") && bytes.size() >= 24) {
        const auto *ihdr = reinterpret_cast<const uchar *>(bytes.constData()) + 16;
        // Each side is 31 bits at most in a valid file; capped so the product cannot overflow.
        const qint64 width = qMin<quint32>(qFromBigEndian<quint32>(ihdr), 1u << 31);
        const qint64 height = qMin<quint32>(qFromBigEndian<quint32>(ihdr + 4), 1u << 31);
        pixels = qMax(pixels, width * height);
    }
    return pixels;
}

// The window's reader, the file named with the given format (empty: no name to go by).
inline PictureReader::Result read(
    const QByteArray &bytes, const QByteArray &format, QString *problem)
{
    const PictureReader::Result result = PictureReader::fromData(bytes, format);
    if (result.ok() == result.image.isNull() || result.ok() == !result.reason.isEmpty()
        || result.ok() == result.format.isEmpty() || (!result.ok() && !result.warning.isEmpty()))
        *problem = QStringLiteral("reader result inconsistent");
    else if (!result.ok() && result.reason.contains(QLatin1String("Unable")))
        *problem = QStringLiteral("Qt's English text in the reason");
    return result;
}

// Qt's BMP reader decodes into the picture it is handed: into one filled with 0x00 and one
// filled with 0xff, every pixel it writes comes out the same. A BMP the reader accepted must
// have no pixel that differs (the RLE kinds are decoded by the reader itself).
inline QString checkBmpCoverage(const QByteArray &bytes, const QImage &accepted)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    const BmpLayout layout = BmpLayout::of(&buffer, 0);
    if (layout.verdict != BmpLayout::Verdict::Readable)
        return {};
    QImage filled[2];
    for (int i = 0; i < 2; ++i) {
        buffer.seek(0);
        QImageReader reader(&buffer, "bmp");
        const QImage::Format announced = reader.imageFormat();
        int format = 0; // copied as bytes: Qt may announce garbage
        std::memcpy(&format, &announced, sizeof format);
        if (format <= QImage::Format_Invalid || format >= QImage::NImageFormats)
            return {};
        filled[i] = QImage(reader.size(), QImage::Format(format));
        if (filled[i].isNull())
            return {};
        filled[i].fill(i ? 0xffffffffu : 0u);
        const uchar *bits = filled[i].constBits();
        buffer.seek(0);
        if (!reader.read(&filled[i]) || filled[i].constBits() != bits)
            return {}; // not decoded in place: nothing to learn
    }
    if (filled[0].size() != accepted.size())
        return QStringLiteral("bmp: size differs from Qt's");
    // Bytes, not QImage's comparison, which looks indices past the colour table up in it.
    const qsizetype rowBytes = (qsizetype(accepted.width()) * filled[0].depth() + 7) / 8;
    for (int y = 0; y < accepted.height(); ++y) {
        const uchar *row = filled[0].constScanLine(y);
        if (std::memcmp(row, filled[1].constScanLine(y), size_t(rowBytes)))
            return QStringLiteral("bmp: Qt leaves pixels of row %1 unwritten").arg(y);
        if (accepted.format() != filled[0].format()
            || std::memcmp(row, accepted.constScanLine(y), size_t(rowBytes)))
            return QStringLiteral("bmp: row %1 differs from Qt's").arg(y);
    }
    QList<QRgb> table = filled[0].colorTable();
    if (table.size() == 1 && accepted.format() == QImage::Format_Mono)
        table.append(qRgb(0, 0, 0)); // index 1 past a one-colour palette, as Qt shows it
    if (accepted.colorTable() != table)
        return QStringLiteral("bmp: colour table differs from Qt's");
    return {};
}

inline QString checkStatistics(const QImage &plane, const PlaneStatistics &stats)
{
    const int columns = plane.width() / 3 + (plane.width() % 3 ? 1 : 0);
    const int rows = plane.height() / 3 + (plane.height() % 3 ? 1 : 0);
    if (stats.blockColumns != columns || stats.blockRows != rows)
        return QStringLiteral("block grid");
    if (stats.total != columns * rows)
        return QStringLiteral("total is not the number of blocks");
    const qsizetype types = stats.types.size();
    if (types < 1 || types > 512)
        return QStringLiteral("type count");
    if (stats.probabilities.size() != types || stats.lengths.size() != types
        || stats.codes.size() != types)
        return QStringLiteral("row lists of different lengths");
    qint64 sum = 0;
    std::bitset<512> patterns;
    for (qsizetype i = 0; i < types; ++i) {
        const BlockType &type = stats.types.at(i);
        if (type.count < 1 || (i > 0 && type.count > stats.types.at(i - 1).count))
            return QStringLiteral("counts not ranked");
        if (type.pattern < 0 || type.pattern >= 512 || patterns[size_t(type.pattern)])
            return QStringLiteral("pattern out of range or repeated");
        if (TestPictures::patternOf(type.block) != type.pattern)
            return QStringLiteral("block does not match its pattern");
        patterns[size_t(type.pattern)] = true;
        sum += type.count;
    }
    if (sum != stats.total)
        return QStringLiteral("counts do not sum to the number of blocks");
    if (!(stats.averageLength >= 0) || !(stats.entropy >= -1e-3f)
        || !(stats.entropy <= stats.averageLength + 1e-3f))
        return QStringLiteral("average length below the entropy");

    if (qint64(plane.width()) * plane.height() <= maxReferencePixels) {
        const TestPictures::ReferenceHistogram reference = TestPictures::referenceHistogram(plane);
        for (const BlockType &type : stats.types) {
            if (reference.counts[size_t(type.pattern)] != type.count)
                return QStringLiteral("count differs from the literal reading");
        }
        if (reference.firstSeen.size() != types)
            return QStringLiteral("types differ from the literal reading");
    }
    return {};
}

// Everything the window would show for one plane: table texts, icons and the three paragraphs.
inline QString checkReport(const PlaneStatistics &stats, int planeNumber)
{
    // A block's picture depends on its pattern alone, a probability's texts on its value alone:
    // each is looked at once.
    static std::bitset<512> picturesChecked;
    static QSet<float> probabilitiesChecked;
    for (qsizetype i = 0; i < stats.types.size(); ++i) {
        const float p = stats.probabilities.at(i);
        if (!probabilitiesChecked.contains(p)) {
            const QString probability = PlaneReport::probabilityText(p);
            if (probability.isEmpty() || PlaneReport::entropyLine(probability).isEmpty())
                return QStringLiteral("empty probability text");
            probabilitiesChecked.insert(p);
        }
        const BlockType &type = stats.types.at(i);
        if (!picturesChecked[size_t(type.pattern)]) {
            if (type.block.toImage().size() != QSize(16, 16))
                return QStringLiteral("block picture is not 16 x 16");
            picturesChecked[size_t(type.pattern)] = true;
        }
    }
    const QString name = QStringLiteral("fuzz.bmp");
    if (!PlaneReport::imageParagraph(name, planeNumber).contains(name)
        || PlaneReport::blockTypesParagraph(stats.types.size()).isEmpty()
        || !PlaneReport::summaryParagraph(stats).endsWith(QString(65, QLatin1Char('_'))))
        return QStringLiteral("report paragraphs");
    return {};
}

inline QString checkPlane(const QImage &plane, int planeNumber)
{
    const PlaneStatistics stats = PlaneStatistics::of(plane);
    QString problem = checkStatistics(plane, stats);
    if (problem.isEmpty())
        problem = checkReport(stats, planeNumber);
    return problem;
}

// Same format, size, colour table and pixel bytes. QImage's own comparison looks indices past
// the colour table up in it, which a damaged file has.
inline bool samePicture(const QImage &a, const QImage &b)
{
    if (a.format() != b.format() || a.size() != b.size() || a.colorTable() != b.colorTable())
        return false;
    const qsizetype rowBytes = (qsizetype(a.width()) * a.depth() + 7) / 8;
    for (int y = 0; y < a.height(); ++y) {
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), size_t(rowBytes)))
            return false;
    }
    return true;
}

// Split when grey, as the window does, then analyse every plane; else the picture itself.
inline QString checkPicture(const QImage &picture)
{
    if (picture.isNull())
        return {};
    if (!BitPlanes::isGrey(picture))
        return checkPlane(picture, 1);

    const QList<QImage> planes = BitPlanes::split(picture);
    if (planes.size() != BitPlanes::count)
        return QStringLiteral("not eight planes");
    const bool small = qint64(picture.width()) * picture.height() <= maxReferencePixels;
    const QList<QImage> reference
        = small ? TestPictures::referencePlanes(picture) : QList<QImage>();
    for (int k = 0; k < BitPlanes::count; ++k) {
        const QImage &plane = planes.at(k);
        if (plane.size() != picture.size() || plane.format() != QImage::Format_Mono
            || plane.colorTable() != BitPlanes::colorTable())
            return QStringLiteral("plane %1: size, format or colour table").arg(k + 1);
        if (small) {
            for (int y = 0; y < plane.height(); ++y) {
                for (int x = 0; x < plane.width(); ++x) {
                    if (plane.pixelIndex(x, y) != reference.at(k).pixelIndex(x, y))
                        return QStringLiteral("plane %1 differs from the literal split at %2, %3")
                            .arg(k + 1)
                            .arg(x)
                            .arg(y);
                }
            }
        }
        const QString problem = checkPlane(plane, k + 1);
        if (!problem.isEmpty())
            return QStringLiteral("plane %1: ").arg(k + 1) + problem;
    }
    return {};
}

// The bytes read with nothing but the contents to go by, and when Qt does not recognise them,
// also as a .bmp and as a .jpg file (when it does, the name plays no part: the contents' decoder
// alone is tried, so one reading stands for all three). Where two readings give the same
// picture, it is analysed once.
inline QString check(const QByteArray &bytes)
{
    if (claimedPixels(bytes) > maxPixels)
        return {};
    QList<QImage> analysed;
    for (const QByteArray &format :
        {QByteArray(), QByteArrayLiteral("bmp"), QByteArrayLiteral("jpeg")}) {
        QString problem;
        const PictureReader::Result result = read(bytes, format, &problem);
        const QImage &picture = result.image;
        if (problem.isEmpty() && result.format == "bmp")
            problem = checkBmpCoverage(bytes, picture);
        const bool seen = std::any_of(analysed.cbegin(), analysed.cend(),
            [&](const QImage &earlier) { return samePicture(earlier, picture); });
        if (problem.isEmpty() && !seen) {
            problem = checkPicture(picture);
            analysed.append(picture);
        }
        if (!problem.isEmpty())
            return (format.isEmpty() ? QStringLiteral("detected") : QString::fromLatin1(format))
                + QStringLiteral(": ") + problem;
        if (format.isEmpty() && result.failure != PictureReader::Failure::UnknownFormat)
            break; // recognised
    }
    return {};
}

} // namespace PicturePath
