// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturereader.h"

#include "bmplayout.h"
#include "jpegdecoder.h"
#include "jpeglayout.h"
#include "pixelmemory.h"
#include "vectorstate.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageIOHandler>
#include <QImageReader>
#include <QTransform>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using Failure = PictureReader::Failure;
using Result = PictureReader::Result;

Result failed(Failure failure, const QString &reason)
{
    Result result;
    result.failure = failure;
    result.reason = reason;
    return result;
}

Result tooLarge(qint64 width, qint64 height)
{
    return failed(Failure::TooLarge,
        QStringLiteral("Изображение %1 × %2 точек слишком велико: допускается не больше "
                       "%3 мегапикселей.")
            .arg(width)
            .arg(height)
            .arg(PictureReader::maxPixels / (1024 * 1024)));
}

// One name per decoder, so a JPEG is never decoded twice as "jpg" and as "jpeg".
QByteArray canonical(const QByteArray &format)
{
    const QByteArray lower = format.toLower();
    if (lower == "jpg" || lower == "jpe")
        return "jpeg";
    return lower;
}

// The decoders whose failures we know: BMP is checked below, Qt's JPEG and PNG readers either
// fill what is missing deterministically or refuse.
bool isAccepted(const QByteArray &format)
{
    return format == "bmp" || format == "jpeg" || format == "png";
}

Result outOfMemory(const QSize &size)
{
    return failed(Failure::OutOfMemory, PictureReader::outOfMemoryReason(size));
}

// Collects what Qt's image readers log while one picture is decoded, and passes everything on
// to the handler that was there before: libpng reports through it that memory ran out. One
// decoding at a time: the program reads pictures on its GUI thread only. (JPEG files are decoded
// by JpegDecoder, whose warnings come as codes.)
class DecoderLog
{
public:
    DecoderLog()
        : previous(qInstallMessageHandler(&DecoderLog::handle))
    {
        current = this;
    }
    ~DecoderLog()
    {
        current = nullptr;
        qInstallMessageHandler(previous);
    }
    DecoderLog(const DecoderLog &) = delete;
    DecoderLog &operator=(const DecoderLog &) = delete;

    bool mentionedMemory() const { return memory; }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        DecoderLog *log = current;
        if (log && context.category && qstrncmp(context.category, "qt.gui.imageio", 14) == 0) {
            log->memory
                = log->memory || text.contains(QLatin1String("memory"), Qt::CaseInsensitive);
        }
        if (log && log->previous)
            log->previous(type, context, text);
    }

    static inline DecoderLog *current = nullptr;
    const QtMessageHandler previous;
    bool memory = false; // libpng's "Out of memory"
};

// Whether every pixel of an indexed picture names an entry of its colour table: QImage reads
// any other as transparent black, with a warning in English.
bool withinPalette(const QImage &image)
{
    const int colours = image.colorCount();
    if (image.format() == QImage::Format_Mono) {
        if (colours >= 2)
            return true;
        const qsizetype rowBytes = (image.width() + 7) / 8;
        const uchar lastMask = uchar(0xff << (rowBytes * 8 - image.width()));
        for (int y = 0; y < image.height(); ++y) {
            const uchar *row = image.constScanLine(y);
            for (qsizetype i = 0; i < rowBytes; ++i) {
                if (row[i] & (i + 1 < rowBytes ? 0xff : lastMask))
                    return false;
            }
        }
        return true;
    }
    if (image.format() != QImage::Format_Indexed8 || colours >= 256)
        return true;
    for (int y = 0; y < image.height(); ++y) {
        const uchar *row = image.constScanLine(y);
        if (*std::max_element(row, row + image.width()) >= colours)
            return false;
    }
    return true;
}

Result pastThePalette(const QImage &image)
{
    return failed(Failure::DecodeFailed,
        QStringLiteral("Данные изображения BMP повреждены: у части точек номер цвета больше, "
                       "чем цветов в палитре (%1).")
            .arg(image.colorCount()));
}

// Whether the PNG's header says grey without alpha (colour type 0).
bool isGreyPng(QIODevice *device, qint64 start)
{
    device->seek(start);
    const QByteArray header = device->read(26); // signature, IHDR's length, name and fields
    return header.size() == 26 && header.startsWith("\x89PNG\r\n\x1a\n")
        && header.mid(12, 4) == "IHDR" && header.at(25) == 0;
}

QString formatName(const QByteArray &format)
{
    return QString::fromLatin1(format.toUpper());
}

// Refusals of what the JPEG's markers say, before any decoding.
Result checkJpeg(const JpegLayout &layout)
{
    if (layout.isLossless() || layout.isHierarchical()) {
        return failed(Failure::UnsupportedFormat,
            QStringLiteral("Этот JPEG записан %1, а читаются только обычные JPEG (базовые и "
                           "прогрессивные).")
                .arg(layout.isLossless() ? QStringLiteral("со сжатием без потерь (lossless)")
                                         : QStringLiteral("в иерархическом режиме")));
    }
    if (layout.precision != 0 && layout.precision != 8) {
        return failed(Failure::UnsupportedFormat,
            QStringLiteral("В этом JPEG %1 бит на отсчёт, а читаются только JPEG с 8 битами.")
                .arg(layout.precision));
    }
    if (layout.scans > PictureReader::maxJpegScans
        || layout.scanBlocks > PictureReader::maxJpegScanBlocks) {
        return failed(Failure::TooManyScans,
            QStringLiteral("В этом JPEG слишком много сканов (%1) для изображения %2 × %3 точек: "
                           "его чтение заняло бы слишком много времени. В обычном прогрессивном "
                           "JPEG около 10 сканов.")
                .arg(layout.scans)
                .arg(layout.width)
                .arg(layout.height));
    }
    return {};
}

Result truncatedJpeg()
{
    return failed(Failure::Truncated,
        QStringLiteral("Файл JPEG обрезан: данные изображения кончаются раньше последней строки."));
}

Result damagedData(const QByteArray &format)
{
    return failed(Failure::DecodeFailed,
        QStringLiteral("Данные изображения %1 повреждены.").arg(formatName(format)));
}

// Refusals of what the markers say about the scans, before any memory is taken for pixels.
Result checkJpegScans(const JpegLayout &layout)
{
    if (layout.scans == 0 || layout.scanDataShort)
        return truncatedJpeg();
    if (!layout.scansCover) {
        return failed(Failure::Truncated,
            QStringLiteral("Файл JPEG обрезан: в нём есть не все сканы изображения, часть его "
                           "данных потеряна."));
    }
    return {};
}

// The picture turned as the file's EXIF orientation says, the way Qt's readers turn it.
QImage upright(const QImage &image, QImageIOHandler::Transformations turn)
{
    if (turn == QImageIOHandler::TransformationNone)
        return image;
    if (turn == QImageIOHandler::TransformationRotate270)
        return image.transformed(QTransform().rotate(270));
    QImage turned = image.mirrored(turn & QImageIOHandler::TransformationMirror,
        turn & QImageIOHandler::TransformationFlip);
    if (turn & QImageIOHandler::TransformationRotate90)
        turned = turned.transformed(QTransform().rotate(90));
    return turned;
}

// A JPEG, decoded into `image` (allocated at its size and format).
Result decodeJpeg(QIODevice *device, QImage image, QImageIOHandler::Transformations turn)
{
    const QSize size = image.size();
    const JpegDecoder::Outcome outcome = JpegDecoder::decode(device, image);
    VectorState::clearUpper(); // libjpeg's vector code
    QString warning;
    switch (outcome) {
    case JpegDecoder::Outcome::Decoded:
        break;
    case JpegDecoder::Outcome::RestartsRenumbered:
        warning = QStringLiteral("Метки перезапуска (RST) в этом JPEG пронумерованы не по "
                                 "порядку; данные изображения при этом целы, и оно прочитано "
                                 "полностью.");
        break;
    case JpegDecoder::Outcome::Truncated:
        return truncatedJpeg();
    case JpegDecoder::Outcome::LostRestart:
        return failed(Failure::DecodeFailed,
            QStringLiteral("Данные изображения JPEG повреждены: после одного из интервалов "
                           "блоков нет его метки перезапуска (RST), и часть изображения "
                           "потеряна."));
    case JpegDecoder::Outcome::Damaged:
        return damagedData("jpeg");
    case JpegDecoder::Outcome::OutOfMemory:
        return outOfMemory(size);
    }
    Result result;
    result.image = upright(image, turn);
    if (result.image.isNull()) // no memory to turn it upright
        return outOfMemory(size);
    result.format = "jpeg";
    result.warning = warning;
    return result;
}

// The format the decoder will produce, as its handler announces it. Qt's JPEG handler can
// announce an uninitialised value for a header it fails to read, so the value is copied as
// bytes, not loaded as the enum, and anything out of range is no format at all.
QImage::Format announcedFormat(const QImageReader &reader)
{
    const QImage::Format announced = reader.imageFormat();
    int value = 0;
    static_assert(sizeof value == sizeof announced);
    std::memcpy(&value, &announced, sizeof value);
    if (value <= QImage::Format_Invalid || value >= QImage::NImageFormats)
        return QImage::Format_Invalid;
    return QImage::Format(value);
}

Result readAs(QIODevice *device, qint64 start, const QByteArray &format)
{
    QImageReader reader(device, format);
    reader.setAutoDetectImageFormat(false); // exactly this decoder; the caller tries the others
    const QSize size = reader.size(); // from the header alone
    const QImage::Format decodedFormat = announcedFormat(reader);
    const QImageIOHandler::Transformations turn = reader.transformation();
    if (size.isValid() && qint64(size.width()) * size.height() > PictureReader::maxPixels)
        return tooLarge(size.width(), size.height());

    BmpLayout bmp;
    if (format == "bmp") {
        bmp = BmpLayout::of(device, start);
        using Verdict = BmpLayout::Verdict;
        if (bmp.verdict != Verdict::NotBmp && bmp.verdict != Verdict::Unsupported
            && bmp.verdict != Verdict::Damaged && bmp.width * bmp.height > PictureReader::maxPixels)
            return tooLarge(bmp.width, bmp.height);
        switch (bmp.verdict) {
        case Verdict::Truncated:
            return failed(Failure::Truncated, bmp.reason);
        case Verdict::Unsupported:
            return failed(Failure::UnsupportedFormat, bmp.reason);
        case Verdict::Damaged:
            return failed(Failure::DecodeFailed, bmp.reason);
        case Verdict::Rle: {
            Result result;
            QString problem;
            bool noMemory = false;
            result.image = bmp.decodeRle(device, start, &problem, &noMemory);
            if (noMemory)
                return outOfMemory(QSize(int(bmp.width), int(bmp.height)));
            if (result.image.isNull())
                return failed(Failure::Truncated, problem);
            if (!withinPalette(result.image))
                return pastThePalette(result.image);
            result.format = format;
            return result;
        }
        case Verdict::Bitfields: {
            Result result;
            result.image = bmp.decodeBitfields(device, start);
            if (result.image.isNull())
                return outOfMemory(QSize(int(bmp.width), int(bmp.height)));
            result.format = format;
            return result;
        }
        case Verdict::NotBmp:
        case Verdict::Readable:
            break;
        }
    }

    JpegLayout jpeg;
    if (format == "jpeg") {
        device->seek(start);
        jpeg = JpegLayout::of(device);
        Result refusal = checkJpeg(jpeg);
        if (refusal.ok() && jpeg.isJpeg)
            refusal = checkJpegScans(jpeg);
        if (!refusal.ok())
            return refusal;
    }

    // A picture the allocation limit refuses would read as damaged data otherwise: Qt says no
    // more than that it could not read it.
    const qint64 bytes = PixelMemory::bytesFor(size, decodedFormat);
    if (size.isValid() && (bytes < 0 || bytes > qint64(PictureReader::allocationLimitMB) << 20)) {
        return failed(Failure::TooLarge,
            QStringLiteral("Изображение %1 × %2 точек слишком велико: в памяти оно заняло бы "
                           "%3 МБ, а допускается не больше %4 МБ.")
                .arg(size.width())
                .arg(size.height())
                .arg(bytes < 0 ? qint64(-1) : (bytes + (1 << 20) - 1) >> 20)
                .arg(PictureReader::allocationLimitMB));
    }

    // The decoder writes into a picture of its size and format when it is handed one, so its
    // memory is allocated here, where a failure is known to be one of memory.
    Result result;
    if (size.isValid() && decodedFormat != QImage::Format_Invalid) {
        result.image = PixelMemory::allocate(size, decodedFormat);
        if (result.image.isNull())
            return outOfMemory(size);
    }

    device->seek(start);
    if (jpeg.isJpeg) {
        if (result.image.isNull())
            return damagedData(format);
        // Handed over, not shared: a shared picture would be copied when the decoder writes.
        return decodeJpeg(device, std::move(result.image), turn);
    }
    QImageReader::setAllocationLimit(PictureReader::allocationLimitMB);
    QImageReader decoder(device, format);
    decoder.setAutoDetectImageFormat(false);
    decoder.setAutoTransform(true); // a phone's portrait photo is stored lying on its side
    bool read = false;
    bool memory = false;
    {
        const DecoderLog log;
        read = decoder.read(&result.image);
        VectorState::clearUpper();
        memory = log.mentionedMemory();
    }
    if (memory)
        return outOfMemory(size);
    if (!read)
        return damagedData(format);
    if (result.image.isNull()) // read, but no memory to turn it upright
        return outOfMemory(size);
    if (bmp.verdict == BmpLayout::Verdict::Readable
        && (result.image.width() != bmp.width || result.image.height() != bmp.height
            || result.image.depth() != QImage::toPixelFormat(bmp.format).bitsPerPixel())) {
        // Qt read the header otherwise than counted above, so its pixels are not vouched for.
        return damagedData(format);
    }
    if (bmp.verdict == BmpLayout::Verdict::Readable && result.image.format() == QImage::Format_Mono
        && result.image.colorCount() == 1) {
        // A 1-bit palette of one colour: Qt reads index 1 past it as black, which the table now
        // says, so no pixel is left to a lookup past the table's end.
        const bool pastIt = !withinPalette(result.image);
        result.image.setColorTable({result.image.color(0), qRgb(0, 0, 0)});
        if (pastIt) {
            result.warning = QStringLiteral("В палитре этого BMP только один цвет, а у части "
                                            "точек номер цвета 1, которого в ней нет: они "
                                            "прочитаны чёрными.");
        }
    }
    if (bmp.verdict == BmpLayout::Verdict::Readable && !withinPalette(result.image))
        return pastThePalette(result.image);
    if (format == "png" && result.image.format() == QImage::Format_Indexed8
        && isGreyPng(device, start)) {
        // A grey PNG of fewer than 8 bits or with a transparency key (tRNS): Qt gives the keyed
        // level transparent black in the colour table. Transparency plays no part in the lab,
        // as for grey with alpha: every entry is its grey level again.
        const int count = result.image.colorCount();
        for (int i = 0; i < count; ++i) {
            const int grey = count > 1 ? i * 255 / (count - 1) : 0;
            result.image.setColor(i, qRgb(grey, grey, grey));
        }
    }
    result.format = format;
    return result;
}

// The formats a Qt may lack a reader for (Qt for Windows here has none for GIF), named by their
// signature, so that such a file is still called a picture of an unsupported format.
QByteArray formatBySignature(const QByteArray &head)
{
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return "gif";
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)))
        return "tiff";
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        return "webp";
    return {};
}

Result readDevice(QIODevice *device, const QByteArray &namedFormat)
{
    if (!device || !device->isReadable())
        return failed(Failure::CannotOpen, QStringLiteral("Файл не открыт для чтения."));
    if (device->isSequential()) {
        // Both the retry and the BMP check go back to the start.
        return PictureReader::fromData(device->readAll(), namedFormat);
    }
    const qint64 start = device->pos();
    if (device->size() - start <= 0)
        return failed(Failure::Empty, QStringLiteral("Файл пуст."));

    QByteArray detected = canonical(QImageReader::imageFormat(device));
    if (detected.isEmpty()) {
        detected = formatBySignature(device->peek(12));
        device->seek(start);
    }
    const QByteArray named = canonical(namedFormat);
    // The name's format first, as long as the contents do not say otherwise; then the contents'.
    QList<QByteArray> attempts;
    if (isAccepted(named) && (detected.isEmpty() || detected == named))
        attempts << named;
    if (isAccepted(detected) && detected != named)
        attempts << detected;

    Result result;
    for (const QByteArray &format : std::as_const(attempts)) {
        device->seek(start);
        result = readAs(device, start, format);
        if (result.ok() || format == detected)
            return result;
    }
    if (detected.isEmpty()) {
        return failed(Failure::UnknownFormat,
            QStringLiteral("Содержимое файла не похоже на изображение BMP, JPEG или PNG."));
    }
    return failed(Failure::UnsupportedFormat,
        QStringLiteral("Формат %1 не поддерживается: нужен BMP, JPEG или PNG.")
            .arg(QString::fromLatin1(detected.toUpper())));
}

#ifdef Q_OS_UNIX
// A file name in another encoding than the system's UTF-8 (Windows-1251 from an old USB stick)
// comes from the file dialog with its undecodable bytes replaced by U+FFFD, and no file has that
// name. The folder is searched for the one entry whose name decodes the same, which is opened by
// its bytes.
Result readUndecodableName(const QString &fileName)
{
    const QFileInfo info(fileName);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QString name = info.fileName();
    QByteArray found;
    int matches = 0;
    if (DIR *dir = ::opendir(folder.constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            if (QFile::decodeName(entry->d_name) == name) {
                found = entry->d_name;
                ++matches;
            }
        }
        ::closedir(dir);
    }
    if (matches != 1) {
        return failed(Failure::CannotOpen,
            QStringLiteral("Имя этого файла записано не в UTF-8 (видимо, в кодировке Windows), и "
                           "прочитать его нельзя. Переименуйте файл и откройте его снова."));
    }
    // Not blocking, so a named pipe of that name is refused rather than waited on.
    const int fd = ::open((folder + '/' + found).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return failed(Failure::CannotOpen,
            errno == EACCES ? QStringLiteral("Нет прав на чтение этого файла.")
                            : QStringLiteral("Файл не открывается: %1.")
                                  .arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return failed(Failure::NotAFile,
            S_ISDIR(status.st_mode) ? QStringLiteral("Это папка, а не файл.")
                                    : QStringLiteral("Это не обычный файл."));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return failed(Failure::CannotOpen,
            QStringLiteral("Файл не открывается: %1.").arg(file.errorString()));
    }
    return PictureReader::read(&file, PictureReader::formatFromName(fileName));
}
#endif

// Why a name that leads to no file leads nowhere.
Result missing(const QString &fileName)
{
#ifdef Q_OS_UNIX
    if (!fileName.isEmpty()) {
        struct stat status;
        if (::stat(QFile::encodeName(fileName).constData(), &status) != 0 && errno == ELOOP) {
            return failed(Failure::CannotOpen,
                QStringLiteral("Это символическая ссылка, которая через другие ссылки ведёт по "
                               "кругу сама к себе: файла за ней нет."));
        }
        if (fileName.contains(QChar::ReplacementCharacter))
            return readUndecodableName(fileName);
    }
#endif
    return failed(Failure::Missing, QStringLiteral("Файл не найден."));
}

} // namespace

QString PictureReader::outOfMemoryReason(const QSize &size)
{
    return QStringLiteral("Недостаточно памяти для изображения %1 x %2")
        .arg(size.width())
        .arg(size.height());
}

QByteArray PictureReader::formatFromName(const QString &fileName)
{
    return fileName.right(3).toLower().toLocal8Bit();
}

PictureReader::Result PictureReader::read(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.exists())
        return missing(fileName);
    if (info.isDir())
        return failed(Failure::NotAFile, QStringLiteral("Это папка, а не файл."));
    if (!info.isFile())
        return failed(Failure::NotAFile, QStringLiteral("Это не обычный файл."));
    if (!info.isReadable())
        return failed(Failure::CannotOpen, QStringLiteral("Нет прав на чтение этого файла."));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return failed(Failure::CannotOpen,
            QStringLiteral("Файл не открывается: %1.").arg(file.errorString()));
    }
    return read(&file, formatFromName(fileName));
}

PictureReader::Result PictureReader::read(QIODevice *device, const QByteArray &namedFormat)
{
    const qint64 start = device ? device->pos() : 0;
    try {
        return readDevice(device, namedFormat);
    } catch (const std::bad_alloc &) {
        // A container of ours or of Qt's could not grow: the pixels are not the only memory a
        // picture takes.
        device->seek(start);
        const QSize size = QImageReader(device).size();
        if (size.isValid())
            return outOfMemory(size);
        return failed(Failure::OutOfMemory, QStringLiteral("Недостаточно памяти для изображения"));
    }
}

PictureReader::Result PictureReader::fromData(const QByteArray &data, const QByteArray &namedFormat)
{
    QByteArray bytes = data; // shared, never written
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return read(&buffer, namedFormat);
}
