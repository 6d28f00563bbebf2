// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever a student picks with "Обзор", the window either opens it (the picture, its plane, the
// table and the report, no message) or refuses it (one message naming the file and why, and
// everything on screen as it was). Each file is met the way a student meets it: homework
// skipped, a picture already analysed, then the file dialog. Nothing may crash, hang or lose work.
#include "lab.h"
#include "labsession.h"
#include "testbmp.h"
#include "testpictures.h"
#include "windowtesting.h"

#include <QBuffer>
#include <QComboBox>
#include <QDial>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using namespace TestBmp;

enum class Outcome {
    Split, // greyscale: shown as the plane of the dial
    Unsplit, // colour: shown and analysed as it is
    Refused,
};

// How the path the dialog returns is made.
enum class Kind { File, Folder, Missing, DanglingLink, Unreadable, Pipe };

} // namespace

Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(Kind)

namespace {

using WindowTesting::typeKeys;

QImage rgb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}

// The pixels as a grey-level picture.
QImage greyPicture(int width, int height, const Levels &levels, int scale = 1)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.scanLine(y)[x] = uchar(levels(x, y) * scale);
    }
    return image;
}

// Never the same level in a row or column twice in a row, so every plane has black and white.
Levels levelsBelow(int count)
{
    return [count](int x, int y) { return (x * 7 + y * 13 + x * y) % count; };
}

QByteArray encoded(const QImage &image, const char *format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image))
        qFatal("cannot encode %s", format);
    return bytes;
}

// A JPEG with one field of its frame header (SOF0) replaced: the precision at +4, the height at
// +5 and the width at +7, counted from the marker.
QByteArray patchedJpeg(const QByteArray &jpeg, int at, const QByteArray &value)
{
    const qsizetype sof = jpeg.indexOf("\xff\xc0");
    if (sof < 0)
        qFatal("no baseline frame header");
    return QByteArray(jpeg).replace(sof + at, value.size(), value);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Whether `shown` is `expected` in its first `rows` rows (all when 0), each channel within
// `tolerance`.
bool looksLike(const QImage &shown, const QImage &expected, int rows, int tolerance)
{
    if (shown.size() != expected.size())
        return false;
    const int height = rows ? rows : expected.height();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb a = shown.pixel(x, y);
            const QRgb b = expected.pixel(x, y);
            if (qAbs(qRed(a) - qRed(b)) > tolerance || qAbs(qGreen(a) - qGreen(b)) > tolerance
                || qAbs(qBlue(a) - qBlue(b)) > tolerance)
                return false;
        }
    }
    return true;
}

QString homeworkName(const QString &letters)
{
    // Three words of twenty letters each: the longest name the field takes.
    QStringList words;
    for (int i = 0; i < 3; ++i)
        words << letters.mid(20 * i, 20);
    return words.join(QLatin1Char(' '));
}

} // namespace

class TestRobustness : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void anyFile_data();
    void anyFile();
    void homeworkInput_data();
    void homeworkInput();

private:
    QTemporaryDir dir;
    QString earlierFile;
    QImage earlierPicture;
};

void TestRobustness::initTestCase()
{
    QVERIFY(dir.isValid());
    earlierPicture = greyPicture(24, 18, levelsBelow(256));
    earlierFile = dir.filePath(QStringLiteral("earlier.bmp"));
    QVERIFY(earlierPicture.save(earlierFile, "bmp"));
}

void TestRobustness::anyFile_data()
{
    QTest::addColumn<QString>("name"); // in the temporary folder
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QImage>("picture"); // what is shown or split, when opened
    QTest::addColumn<int>("rows"); // how many top rows must look like it (0: all)
    QTest::addColumn<int>("tolerance"); // per channel
    QTest::addColumn<QString>("reason"); // the refusal's last line

    const auto opens
        = [](const char *row, const QString &name, const QByteArray &bytes, Outcome outcome,
              const QImage &picture, int rows = 0, int tolerance = 0) {
              QTest::newRow(row) << name << Kind::File << bytes << outcome << picture << rows
                                 << tolerance << QString();
          };
    const auto refuses = [](const char *row, const QString &name, Kind kind,
                             const QByteArray &bytes, const QString &reason) {
        QTest::newRow(row) << name << kind << bytes << Outcome::Refused << QImage() << 0 << 0
                           << reason;
    };
    const auto plain = [](const QByteArray &bytes) { return QImage::fromData(bytes); };

    const int w = 37; // odd widths exercise the row padding
    const int h = 23;
    const Levels grey = levelsBelow(256);
    const QImage greyJpegSource = greyPicture(64, 48, grey);
    const QByteArray jpeg = encoded(greyJpegSource, "jpg");
    const QByteArray bmp8 = bmp(w, h, 8, 0, packedRows(w, h, 8, grey));
    const QByteArray bmp24 = bmp(w, h, 24, 0, packedRows(w, h, 24, grey));

    refuses("zero-byte file", "empty.bmp", Kind::File, QByteArray(), "Файл пуст.");
    refuses("truncated 8-bit BMP", "cut8.bmp", Kind::File, bmp8.left(bmp8.size() * 6 / 10),
        "Файл BMP обрезан: в нём 3 из 23 строк изображения.");
    refuses("truncated 24-bit BMP", "cut24.bmp", Kind::File, bmp24.left(bmp24.size() * 6 / 10),
        "Файл BMP обрезан: в нём 13 из 23 строк изображения.");
    // libjpeg would end a cut-off file with its own grey fill.
    refuses("truncated JPEG", "cut.jpg", Kind::File, jpeg.left(jpeg.size() * 3 / 4),
        "Файл JPEG обрезан: данные изображения кончаются раньше последней строки.");
    opens("BMP named .jpg", "bmp.jpg", bmp8, Outcome::Split, greyPicture(w, h, grey));
    opens("JPEG named .bmp", "jpeg.bmp", jpeg, Outcome::Split, plain(jpeg));
    opens("1 x 1 BMP", "dot.bmp", bmp(1, 1, 8, 0, packedRows(1, 1, 8, grey)), Outcome::Split,
        greyPicture(1, 1, grey));
    opens("1 x 100000 BMP", "tall.bmp", bmp(1, 100000, 8, 0, packedRows(1, 100000, 8, grey)),
        Outcome::Split, greyPicture(1, 100000, grey));
    opens("100000 x 1 BMP", "wide.bmp", bmp(100000, 1, 8, 0, packedRows(100000, 1, 8, grey)),
        Outcome::Split, greyPicture(100000, 1, grey));
    refuses("BMP claiming 100000 x 100000", "huge.bmp", Kind::File,
        bmp(100000, 100000, 8, 0, QByteArray(4096, '\x40')),
        "Изображение 100000 × 100000 точек слишком велико: допускается не больше 64 мегапикселей.");
    // JPEG's size fields are 16 bits wide; libjpeg takes up to 65500.
    refuses("JPEG claiming 65500 x 65500", "huge.jpg", Kind::File,
        patchedJpeg(jpeg, 5, QByteArray("\xff\xdc\xff\xdc", 4)),
        "Изображение 65500 × 65500 точек слишком велико: допускается не больше 64 мегапикселей.");
    refuses("12-bit JPEG", "twelve.jpg", Kind::File, patchedJpeg(jpeg, 4, QByteArray(1, 12)),
        "В этом JPEG 12 бит на отсчёт, а читаются только JPEG с 8 битами.");
    refuses("16-bit JPEG", "sixteen.jpg", Kind::File, patchedJpeg(jpeg, 4, QByteArray(1, 16)),
        "В этом JPEG 16 бит на отсчёт, а читаются только JPEG с 8 битами.");
    {
        // ImageMagick's CMYK (Adobe YCCK) of a vertical black-to-white ramp; see data/README.md.
        QFile cmyk(QFINDTESTDATA("data/cmyk-grey.jpg"));
        QVERIFY(cmyk.open(QIODevice::ReadOnly));
        const QImage ramp = greyPicture(12, 8, [](int, int y) { return 255 * y / 7; });
        opens("CMYK JPEG", "cmyk.jpg", cmyk.readAll(), Outcome::Split, ramp, 0, 3);
    }
    opens("RLE8 BMP", "rle8.bmp", bmp(w, h, 8, 1, rleRows(w, h, 8, grey)), Outcome::Split,
        greyPicture(w, h, grey));
    // Sixteen grey entries 0, 17, ..., 255: no greyscale palette to Qt (entry i is not i), but
    // every pixel is grey, so the picture is split.
    opens("RLE4 BMP", "rle4.bmp", bmp(w, h, 4, 2, rleRows(w, h, 4, levelsBelow(16))),
        Outcome::Split, greyPicture(w, h, levelsBelow(16), 17));
    opens("1-bit BMP", "mono.bmp", bmp(w, h, 1, 0, packedRows(w, h, 1, levelsBelow(2))),
        Outcome::Split, greyPicture(w, h, levelsBelow(2), 255));
    opens("4-bit BMP", "nibble.bmp", bmp(w, h, 4, 0, packedRows(w, h, 4, levelsBelow(16))),
        Outcome::Split, greyPicture(w, h, levelsBelow(16), 17));
    opens("top-down BMP", "topdown.bmp", bmp(w, -h, 8, 0, packedRows(w, h, 8, grey, true)),
        Outcome::Split, greyPicture(w, h, grey));
    const QByteArray progressive = encoded(greyJpegSource, "jpg", true);
    opens("progressive JPEG", "progressive.jpg", progressive, Outcome::Split, plain(progressive));
    refuses("folder", "folder.bmp", Kind::Folder, QByteArray(), "Это папка, а не файл.");
    refuses("missing file", "missing.bmp", Kind::Missing, QByteArray(), "Файл не найден.");
    refuses(
        "dangling symlink", "dangling.bmp", Kind::DanglingLink, QByteArray(), "Файл не найден.");
    refuses(
        "unreadable file", "locked.bmp", Kind::Unreadable, bmp8, "Нет прав на чтение этого файла.");
    refuses("named pipe", "pipe.bmp", Kind::Pipe, QByteArray(), "Это не обычный файл.");
    opens("Cyrillic folder and name with spaces", "мои снимки/портрет студента 1.bmp", bmp8,
        Outcome::Split, greyPicture(w, h, grey));
}

void TestRobustness::anyFile()
{
    QFETCH(QString, name);
    QFETCH(Kind, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(Outcome, outcome);
    QFETCH(QImage, picture);
    QFETCH(int, rows);
    QFETCH(int, tolerance);
    QFETCH(QString, reason);

    const QString file = dir.filePath(name);
    QVERIFY(QDir().mkpath(QFileInfo(file).path()));
    switch (kind) {
    case Kind::File:
        QVERIFY(writeFile(file, bytes));
        break;
    case Kind::Folder:
        QVERIFY(QDir().mkpath(file));
        break;
    case Kind::Missing:
        break;
    case Kind::DanglingLink:
#ifdef Q_OS_WIN
        QSKIP("a link on Windows is a .lnk shortcut file, which is no picture and not followed");
#endif
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("deleted.bmp")), file));
        break;
    case Kind::Unreadable:
#ifdef Q_OS_UNIX
        if (geteuid() == 0)
            QSKIP("root reads every file");
#else
        QSKIP("Qt sets no read permission on a Windows file");
#endif
        QVERIFY(writeFile(file, bytes));
        QVERIFY(QFile::setPermissions(file, {}));
        break;
    case Kind::Pipe:
#ifdef Q_OS_UNIX
        if (!QFileInfo::exists(file))
            QCOMPARE(mkfifo(QFile::encodeName(file).constData(), 0600), 0);
#else
        QSKIP("no named pipes here");
#endif
        break;
    }

    // The plain reading of the file, which the plane must be split from.
    const QImage decoded = rows || tolerance ? QImage::fromData(bytes) : picture;

    for (const bool lenaFirst : {true, false}) {
        const QString before
            = lenaFirst ? QStringLiteral("after Лена") : QStringLiteral("after a file");
        const auto where = qScopeGuard([&before] {
            if (QTest::currentTestFailed())
                qWarning("... %s", qPrintable(before));
        });
        Lab lab(Lab::AtHomework);
        lab.show();
        lab.dial->setValue(3);
        QImage earlier = earlierPicture;
        if (lenaFirst) {
            lab.passHomework();
            lab.goToLab();
            lab.chooseLena();
            QCOMPARE(lab.combo->currentText(), QStringLiteral("Лена"));
            earlier = QImage(QStringLiteral(":/images/images/lena.bmp"));
            lab.press(true); // skipped after all: the lab now asks for a file
        } else {
            lab.press(true);
            lab.goToLab();
            lab.open(earlierFile);
        }
        QVERIFY2(lab.browse->isVisible(), qPrintable(before));
        QVERIFY(lab.table->rowCount() > 0);
        QVERIFY(lab.messages.isEmpty());
        const Lab::Snapshot start = lab.snapshot();

        lab.open(file);

        if (outcome == Outcome::Refused) {
            QCOMPARE(lab.messages.size(), 1);
            const QStringList parts = lab.messages.first().split(QLatin1Char('|'));
            QCOMPARE(parts.first(), QStringLiteral("Обзор"));
            const QStringList lines = parts.last().split(QLatin1Char('\n'));
            QCOMPARE(lines.size(), 3);
            QCOMPARE(lines.at(0), QStringLiteral("Не удалось прочитать изображение"));
            QCOMPARE(lines.at(1), file);
            QCOMPARE(lines.at(2), reason);
            QCOMPARE(lab.snapshot().differences(start), QStringList());
        } else {
            QVERIFY2(lab.messages.isEmpty(), qPrintable(lab.messages.join(QLatin1Char(';'))));
            QCOMPARE(lab.path->text(), file);
            const QImage shown = rgb(lab.preview->pixmap().toImage());
            QVERIFY2(looksLike(shown, rgb(picture), rows, tolerance), qPrintable(before));
            if (outcome == Outcome::Split) {
                const QImage plane = TestPictures::referencePlanes(decoded).at(2);
                QCOMPARE(rgb(lab.viewer->image()), rgb(plane));
                QCOMPARE(lab.table->rowCount(),
                    TestPictures::referenceHistogram(plane).firstSeen.size());
            } else {
                QCOMPARE(rgb(lab.viewer->image()), shown);
            }
            QVERIFY(lab.table->rowCount() > 0);
            const QString report = lab.report->toPlainText();
            QVERIFY(report.startsWith(start.report + QLatin1Char('\n')));
            QVERIFY(report.mid(start.report.size()).contains(file));
        }

        // The dial: the new picture's planes, or those of the last greyscale picture.
        lab.dial->setValue(8);
        const QImage planesOf = outcome == Outcome::Split ? decoded : earlier;
        QCOMPARE(rgb(lab.viewer->image()), rgb(TestPictures::referencePlanes(planesOf).at(7)));
        QCOMPARE(lab.messages.size(), outcome == Outcome::Refused ? 1 : 0);
    }
}

void TestRobustness::homeworkInput_data()
{
    QTest::addColumn<QString>("name"); // typed key by key
    QTest::addColumn<QString>("counters");
    QTest::addColumn<QString>("nameKept"); // what the field holds after the typing
    QTest::addColumn<QString>("countersKept");
    QTest::addColumn<bool>("right");

    const QString alphabet = QStringLiteral("абвгдежзийклмнопрстуфхцчшщъыьэюя");
    const QString longest
        = homeworkName(QStringLiteral("А") + QString(19, QChar(0x430)) + QStringLiteral("А")
            + QString(19, QChar(0x430)) + QStringLiteral("А") + QString(19, QChar(0x430)));
    // Varied letters: a long, uneven code.
    QCOMPARE(longest.size(), 62);
    const QString varied = homeworkName(QStringLiteral("Р") + alphabet.mid(0, 19)
        + QStringLiteral("Ш") + alphabet.mid(12, 19) + QStringLiteral("Ю") + alphabet.mid(5, 19));
    QStringList sixty;
    for (int i = 0; i < 60; ++i)
        sixty << QString::number(10 + i);
    const QString sixtyCounters = sixty.join(QLatin1Char(','));

    // Only а and the space: two symbols, one bit each.
    QTest::newRow("62-character name, 63rd letter refused, right counters")
        << longest + QStringLiteral("а") << "2" << longest << "2" << true;
    QTest::newRow("62-character name, 60 counters, 61st refused")
        << varied << sixtyCounters + QStringLiteral(",5") << varied << sixtyCounters << false;
    QTest::newRow("62-character name, 60 one-digit counters, 61st refused")
        << varied << QStringList(60, QStringLiteral("1")).join(QLatin1Char(',')) + ",5" << varied
        << QStringList(59, QStringLiteral("1")).join(QLatin1Char(',')) + ",15" << false;
    // One word is no complete name: the message box says so, and no verdict is given.
    QTest::newRow("one word typed") << "Иванов"
                                    << "1"
                                    << "Иванов"
                                    << "1" << false;
    QTest::newRow("second word begun") << "Иванов П"
                                       << "0,2"
                                       << "Иванов П"
                                       << "0,2" << false;
    QTest::newRow("one letter typed") << "Я"
                                      << "1"
                                      << "Я"
                                      << "1" << true;
}

void TestRobustness::homeworkInput()
{
    QFETCH(QString, name);
    QFETCH(QString, counters);
    QFETCH(QString, nameKept);
    QFETCH(QString, countersKept);
    QFETCH(bool, right);

    Lab lab(Lab::AtHomework);
    lab.show();
    typeKeys(lab.name, name);
    typeKeys(lab.counters, counters);
    QCOMPARE(lab.name->text(), nameKept);
    QCOMPARE(lab.counters->text(), countersKept);

    const QString notice = lab.verdict->text();
    lab.press(false);
    const QString refusal = LabSession::nameRefusal(nameKept);
    if (!refusal.isEmpty()) {
        QCOMPARE(lab.messages, QStringList(QStringLiteral("Домашнее задание|") + refusal));
        QCOMPARE(lab.verdict->text(), notice);
        QVERIFY(!lab.labTab->isEnabled());
        QCOMPARE(lab.name->text(), nameKept);
        return;
    }
    QVERIFY(lab.messages.isEmpty());
    const QString status
        = right ? QStringLiteral("выполнено верно!") : QStringLiteral("выполнено неверно!");
    QCOMPARE(lab.shownVerdict().lines, QStringList({QStringLiteral("Домашнее задание"), status}));
    QCOMPARE(lab.labTab->isEnabled(), right);
    // What the student typed stays for the next try.
    QCOMPARE(lab.name->text(), nameKept);
    QCOMPARE(lab.counters->text(), countersKept);
}

QTEST_MAIN(TestRobustness)
#include "tst_robustness.moc"
