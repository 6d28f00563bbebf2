// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The road of a picture file's bytes through the program's cores: read (PictureReader, as the
// window does), split, analyse, report.
// Shared by the fuzz harness and the regression test, so that a saved input replays exactly.
// Each check returns a description of what went wrong, or an empty string.

#include "bitblock.h"
#include "bitplanes.h"
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

namespace PicturePath {

// Bigger pictures are skipped: their planes and statistics would trip the fuzzer's memory limit.
constexpr qint64 maxPixels = qint64(4096) * 4096;
// The literal per-pixel references are slow; the fast paths are compared with them below this.
constexpr qint64 maxReferencePixels = 128 * 128;

// True when some decoder would see more than maxPixels in these bytes (sizes from the headers).
inline bool tooLargeToAnalyse(const QByteArray &bytes)
{
    for (const char *format : {"bmp", "jpeg", ""}) { // PNG only when detected
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, format);
        reader.setAutoDetectImageFormat(!*format);
        const QSize size = reader.size();
        if (size.isValid() && qint64(size.width()) * size.height() > maxPixels)
            return true;
    }
    return false;
}

// The window's reader, the file named with the given format (empty: no name to go by).
inline QImage read(const QByteArray &bytes, const QByteArray &format, QString *problem)
{
    const PictureReader::Result result = PictureReader::fromData(bytes, format);
    if (result.ok() == result.image.isNull() || result.ok() == !result.reason.isEmpty()
        || result.ok() == result.format.isEmpty())
        *problem = QStringLiteral("reader result inconsistent");
    if (qint64(result.image.width()) * result.image.height() > maxPixels)
        return {};
    return result.image;
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
    QSet<int> patterns;
    for (qsizetype i = 0; i < types; ++i) {
        const BlockType &type = stats.types.at(i);
        if (type.count < 1 || (i > 0 && type.count > stats.types.at(i - 1).count))
            return QStringLiteral("counts not ranked");
        if (type.pattern < 0 || type.pattern >= 512 || patterns.contains(type.pattern))
            return QStringLiteral("pattern out of range or repeated");
        if (TestPictures::patternOf(type.block) != type.pattern)
            return QStringLiteral("block does not match its pattern");
        patterns.insert(type.pattern);
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
    for (qsizetype i = 0; i < stats.types.size(); ++i) {
        const QString probability = PlaneReport::probabilityText(stats.probabilities.at(i));
        if (probability.isEmpty() || PlaneReport::entropyLine(probability).isEmpty())
            return QStringLiteral("empty probability text");
        if (stats.types.at(i).block.toImage().size() != QSize(16, 16))
            return QStringLiteral("block picture is not 16 x 16");
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

// Split when greyscale, as the window does, then analyse every plane; else the picture itself.
inline QString checkPicture(const QImage &picture)
{
    if (picture.isNull())
        return {};
    if (!picture.isGrayscale())
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

// The bytes read as a .bmp file, as a .jpg file and with nothing but the contents to go by.
inline QString check(const QByteArray &bytes)
{
    if (tooLargeToAnalyse(bytes))
        return {};
    static const QByteArray formats[]
        = {QByteArrayLiteral("bmp"), QByteArrayLiteral("jpeg"), QByteArray()};
    for (const QByteArray &format : formats) {
        QString problem;
        const QImage picture = read(bytes, format, &problem);
        if (problem.isEmpty())
            problem = checkPicture(picture);
        if (!problem.isEmpty())
            return (format.isEmpty() ? QStringLiteral("detected") : QString::fromLatin1(format))
                + QStringLiteral(": ") + problem;
    }
    return {};
}

} // namespace PicturePath
