// SPDX-License-Identifier: GPL-3.0-or-later
#include "lab.h"
#include "picturefiledialog.h"
#include "pixelmemory.h"
#include "plaincsv.h"
#include "planecomparison.h"
#include "variants.h"

#include <QBuffer>
#include <QComboBox>
#include <QDial>
#include <QDir>
#include <QFile>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

namespace {

using Access = MainWidgetTestAccess;

const QRgb white = 0xffffffff;
const QRgb black = 0xff000000;

QImage greyPicture(const QList<int> &levels, int width)
{
    const int height = int(levels.size()) / width;
    QImage image(width, height, QImage::Format_Indexed8);
    QList<QRgb> ramp;
    for (int i = 0; i < 256; ++i)
        ramp << qRgb(i, i, i);
    image.setColorTable(ramp);
    for (int i = 0; i < levels.size(); ++i)
        image.setPixel(i % width, i / width, uint(levels.at(i)));
    return image;
}

QImage gradient(int width, int height)
{
    QList<int> levels;
    for (int i = 0; i < width * height; ++i)
        levels << (i * 37 + i / width * 11) % 256;
    return greyPicture(levels, width);
}

QString save(const QTemporaryDir &dir, const QString &name, const QImage &image, const char *format)
{
    const QString path = dir.filePath(name);
    if (!image.save(path, format, 100))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// True when `plane` is black exactly where the picture's grey level has the bit of dial `dial`.
bool isPlaneOf(const QImage &plane, const QImage &picture, int dial)
{
    if (plane.size() != picture.size() || plane.format() != QImage::Format_Mono)
        return false;
    const int mask = 0x80 >> (dial - 1);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb expected = qGray(picture.pixel(x, y)) & mask ? black : white;
            if (plane.pixel(x, y) != expected)
                return false;
        }
    }
    return true;
}

QImage rgb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}

// The analysis's table as pattern:count pairs, most frequent first.
QStringList typeCounts(const QList<BlockType> &types)
{
    QStringList counts;
    for (const BlockType &type : types)
        counts << QStringLiteral("%1:%2").arg(type.pattern).arg(type.count);
    return counts;
}

} // namespace

class TestImageLoading : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void builtInPicture_data();
    void builtInPicture();
    void extremeLevels_data();
    void extremeLevels();
    void dialSwapsStoredPlanes();
    void sameItemAgain();
    void variantChoosesPictureAndPlane();
    void noPictureChosen();
    void shownUnsplit_data();
    void shownUnsplit();
    void neverMixed();
    void opensFiles_data();
    void opensFiles();
    void dialogFilter();
    void cancelledDialog();
    void unreadableFile_data();
    void unreadableFile();
    void shortOfMemory_data();
    void shortOfMemory();

private:
    QTemporaryDir dir;
};

void TestImageLoading::initTestCase()
{
    QVERIFY(dir.isValid());
}

void TestImageLoading::builtInPicture_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("resource");
    QTest::addColumn<int>("dial");

    QTest::newRow("Лена, plane 1 (128 and up)") << "Лена"
                                                << ":/images/images/lena.bmp" << 1;
    QTest::newRow("Лена, plane 8 (odd levels)") << "Лена"
                                                << ":/images/images/lena.bmp" << 8;
    QTest::newRow("Барбара, plane 4") << "Барбара"
                                      << ":/images/images/barbara.bmp" << 4;
    QTest::newRow("Золотой холм, plane 2") << "Золотой холм"
                                           << ":/images/images/goldhill.bmp" << 2;
}

void TestImageLoading::builtInPicture()
{
    QFETCH(QString, text);
    QFETCH(QString, resource);
    QFETCH(int, dial);

    Lab lab;
    lab.dial->setValue(dial);
    lab.choose(text);

    const QImage picture(resource);
    QVERIFY(isPlaneOf(lab.viewer->image(), picture, dial));
    QCOMPARE(Access::currentImage(lab.window), lab.viewer->image());
    QCOMPARE(Access::planeIndex(lab.window), dial - 1);
    QCOMPARE(rgb(lab.preview->pixmap().toImage()), rgb(picture));
    QVERIFY(lab.table->rowCount() > 5);
    QVERIFY(lab.report->toPlainText().contains(text));
}

void TestImageLoading::extremeLevels_data()
{
    QTest::addColumn<int>("dial");
    for (int dial = 1; dial <= 8; ++dial)
        QTest::addRow("plane %d", dial) << dial;
}

void TestImageLoading::extremeLevels()
{
    QFETCH(int, dial);

    // Levels 0 and 255 and the neighbours of every bit's edge.
    const QList<int> levels = {0, 255, 127, 128, 1, 254, 63, 64, 0, 255, 31, 32};
    const QString file = save(dir, "levels.bmp", greyPicture(levels, 4), "bmp");
    Lab lab;
    lab.dial->setValue(dial);
    lab.open(file);

    const QImage plane = lab.viewer->image();
    QCOMPARE(plane.size(), QSize(4, 3));
    for (int i = 0; i < levels.size(); ++i) {
        const QRgb expected = levels.at(i) & (0x80 >> (dial - 1)) ? black : white;
        QCOMPARE(plane.pixel(i % 4, i / 4), expected);
    }
    QCOMPARE(plane.pixel(0, 0), white);
    QCOMPARE(plane.pixel(1, 0), black);
}

void TestImageLoading::dialSwapsStoredPlanes()
{
    const QImage picture = gradient(40, 30);
    const QString file = save(dir, "gradient.bmp", picture, "bmp");
    Lab lab;
    lab.open(file);
    QVERIFY(QFile::remove(file)); // a reread would now fail
    const QImage first = lab.viewer->image();
    const QList<qint64> planes = Access::planeKeys(lab.window);

    for (const int dial : {3, 1, 8, 2}) {
        const QString before = lab.report->toPlainText();
        lab.dial->setValue(dial);
        QVERIFY2(isPlaneOf(lab.viewer->image(), picture, dial), qPrintable(QString::number(dial)));
        QCOMPARE(Access::currentImage(lab.window), lab.viewer->image());
        QCOMPARE(Access::planeIndex(lab.window), dial - 1);
        QVERIFY(lab.reportGrewFrom(before));
    }
    QCOMPARE(Access::planeKeys(lab.window), planes);
    QCOMPARE(lab.path->text(), file);
    lab.dial->setValue(1);
    QCOMPARE(lab.viewer->image(), first);
    QVERIFY(lab.messages.isEmpty());
}

void TestImageLoading::sameItemAgain()
{
    Lab lab;
    lab.choose("Лена");
    const int rows = lab.table->rowCount();
    const QString firstReport = lab.report->toPlainText();
    QVERIFY(!firstReport.isEmpty());

    lab.choose("Лена");
    QCOMPARE(lab.report->toPlainText(), firstReport + QLatin1Char('\n') + firstReport);
    QCOMPARE(lab.table->rowCount(), rows);
}

void TestImageLoading::variantChoosesPictureAndPlane()
{
    Lab lab(Lab::AtHomework);
    auto *variants = WindowTesting::child<QComboBox>(lab.window, "variantList");
    QVERIFY(variants->isHidden()); // offered with the built-in pictures only
    lab.submit(QStringLiteral("Мама Мыла Раму"), QStringLiteral("0,3,0,4"));
    QVERIFY(!lab.combo->isHidden());
    QVERIFY(!variants->isHidden());

    lab.choose("Лена");
    const Variant variant = *Variants::variant(5);
    QVERIFY(variant.plane != 1 && variant.picture != QStringLiteral("Лена"));
    const int index = variants->findData(5);
    variants->setCurrentIndex(index);
    emit variants->activated(index);

    QCOMPARE(lab.combo->currentText(), variant.picture);
    QCOMPARE(lab.dial->value(), variant.plane);
    QCOMPARE(lab.lcd->intValue(), variant.plane);
    const LabSession &session = Access::session(lab.window);
    QCOMPARE(session.variant(), std::optional<int>(5));
    QCOMPARE(session.currentPlane()->picture, variant.picture);
    QCOMPARE(session.currentPlane()->plane, variant.plane);
    QVERIFY(lab.report->toPlainText().contains(variant.picture));
    // Лена's plane 1 and the variant's plane: the dial's move did not analyse Лена again.
    QCOMPARE(session.analysed().size(), 2);

    lab.dial->setValue(1); // any other plane may still be looked at
    QCOMPARE(session.currentPlane()->plane, 1);
    QCOMPARE(session.variant(), std::optional<int>(5));
}

void TestImageLoading::noPictureChosen()
{
    Lab lab;
    lab.dial->setValue(2);
    lab.choose("Лена");
    const QList<qint64> planes = Access::planeKeys(lab.window);
    const int rows = lab.table->rowCount();
    const QString report = lab.report->toPlainText();

    lab.choose("выбери изображение");
    QVERIFY(lab.preview->pixmap().isNull());
    QVERIFY(lab.viewer->image().isNull());
    QVERIFY(Access::currentImage(lab.window).isNull());
    QCOMPARE(Access::planeKeys(lab.window), planes);
    QCOMPARE(lab.table->rowCount(), rows);
    QCOMPARE(lab.report->toPlainText(), report);

    // The stored planes come back with the dial.
    lab.dial->setValue(3);
    QVERIFY(isPlaneOf(lab.viewer->image(), QImage(":/images/images/lena.bmp"), 3));

    // An unknown text is no picture either.
    lab.choose("Лена");
    emit lab.combo->textActivated("Мона Лиза");
    QVERIFY(lab.preview->pixmap().isNull());
    QVERIFY(lab.viewer->image().isNull());
}

void TestImageLoading::shownUnsplit_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<bool>("lenaFirst");

    QImage colour(30, 20, QImage::Format_RGB32);
    for (int y = 0; y < colour.height(); ++y) {
        for (int x = 0; x < colour.width(); ++x)
            colour.setPixel(x, y, qRgb(8 * x, 12 * y, 200));
    }

    QTest::newRow("colour jpeg after Лена") << "colour.jpg" << colour << true;
    QTest::newRow("colour jpeg first") << "colour.jpg" << colour << false;
    QTest::newRow("colour bmp after Лена") << "colour.bmp" << colour << true;
    QTest::newRow("colour bmp first") << "colour.bmp" << colour << false;
}

void TestImageLoading::shownUnsplit()
{
    QFETCH(QString, name);
    QFETCH(QImage, picture);
    QFETCH(bool, lenaFirst);

    const QString file
        = save(dir, name, picture, name.endsWith(QLatin1String("jpg")) ? "jpg" : "bmp");
    const QImage decoded(file);
    Lab lab;
    lab.dial->setValue(5);
    if (lenaFirst)
        lab.choose("Лена");
    const QString report = lab.report->toPlainText();
    QLabel *const notice = WindowTesting::child<QLabel>(lab.window, "colourNotice");
    QPushButton *const convert = WindowTesting::child<QPushButton>(lab.window, "greyButton");
    QVERIFY(notice->isHidden());
    QVERIFY(convert->isHidden());

    lab.open(file);
    QVERIFY(!notice->isHidden());
    QVERIFY(!convert->isHidden());
    QCOMPARE(lab.path->text(), file);
    QCOMPARE(rgb(lab.viewer->image()), rgb(decoded));
    QCOMPARE(rgb(Access::currentImage(lab.window)), rgb(decoded));
    QCOMPARE(rgb(lab.preview->pixmap().toImage()), rgb(decoded));
    // Лена's planes are gone with her: nothing of hers can come back under this picture.
    QCOMPARE(Access::planeKeys(lab.window), QList<qint64>(8, 0));
    QVERIFY(lab.reportGrewFrom(report)); // analysed as it is

    // No plane to take: the picture stays, and its table; only the dial moved.
    const Lab::Snapshot unsplit = lab.snapshot();
    lab.dial->setValue(6);
    QCOMPARE(lab.snapshot().differences(unsplit), QStringList {QStringLiteral("dial")});
    // A colour picture still in view keeps its line under the viewer.
    QVERIFY(!notice->isHidden());

    lab.open(save(dir, "grey.bmp", gradient(12, 9), "bmp"));
    QVERIFY(notice->isHidden());
    QVERIFY(convert->isHidden());
}

// A grey picture, then a colour one, then the dial, then a save: every file holds the colour
// picture the window shows, under its name; nothing of the grey picture's planes.
void TestImageLoading::neverMixed()
{
    QTemporaryDir saved;
    QImage colour(31, 20, QImage::Format_RGB32);
    for (int y = 0; y < colour.height(); ++y) {
        for (int x = 0; x < colour.width(); ++x)
            colour.setPixel(x, y, qRgb(8 * x, 12 * y, (x * y) % 2 ? 200 : 0));
    }
    const QString colourFile = save(dir, "цвет.png", colour, "png");
    Lab lab;
    lab.open(save(dir, "серый.bmp", gradient(24, 21), "bmp"));
    lab.dial->setValue(2);
    lab.open(colourFile);
    const QStringList colourTypes = typeCounts(Access::planeTypes(lab.window));
    const QString report = lab.report->toPlainText();
    lab.dial->setValue(3);
    QCOMPARE(typeCounts(Access::planeTypes(lab.window)), colourTypes);
    QCOMPARE(lab.report->toPlainText(), report);
    QCOMPARE(rgb(lab.viewer->image()), colour);
    QCOMPARE(lab.tabs->findChild<QLabel *>("planeComparisonMessage")->text(),
        PlaneComparison::colourPictureText());

    lab.savedFile = saved.filePath(QStringLiteral("итоги.csv"));
    QTest::mouseClick(
        WindowTesting::child<QPushButton>(lab.window, "saveResultsButton"), Qt::LeftButton);
    QVERIFY2(lab.warnings.isEmpty(), qPrintable(lab.warnings.join(';')));
    QCOMPARE(QFileInfo(lab.saveDir).fileName(), QStringLiteral("цвет.csv"));
    QCOMPARE(rgb(QImage(saved.filePath(QStringLiteral("итоги.png")))), colour);
    QFile table(saved.filePath(QStringLiteral("итоги.csv")));
    QVERIFY(table.open(QIODevice::ReadOnly));
    const PlainCsv::Table csv = PlainCsv::parse(table.readAll());
    QStringList savedCounts;
    for (qsizetype row = 1; row < csv.records.size(); ++row) {
        // Bits as ="010000000", the count as it is.
        const QString bits = csv.records.at(row).at(0).mid(2).chopped(1);
        int pattern = 0;
        for (int bit = 0; bit < 9; ++bit)
            pattern |= (bits.at(bit) == QLatin1Char('1')) << bit;
        savedCounts << QStringLiteral("%1:%2").arg(pattern).arg(csv.records.at(row).at(1));
    }
    QCOMPARE(savedCounts, colourTypes);
    // The text file holds the colour picture's report alone, the pane goes whole beside it.
    const QString pane = lab.report->toPlainText();
    QFile text(saved.filePath(QStringLiteral("итоги.txt")));
    QVERIFY(text.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(text.readAll()),
        pane.mid(pane.lastIndexOf(QStringLiteral("Изображение: "))).trimmed() + QLatin1Char('\n'));
    QFile whole(saved.filePath(QStringLiteral("итоги, весь отчет.txt")));
    QVERIFY(whole.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(whole.readAll()), pane + QLatin1Char('\n'));
}

void TestImageLoading::opensFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format"); // written as

    QTest::newRow("camera name IMG_0001.JPG") << "IMG_0001.JPG" << QByteArray("jpg");
    QTest::newRow("photo.jpeg") << "photo.jpeg" << QByteArray("jpg");
    QTest::newRow("photo.Jpeg") << "photo.Jpeg" << QByteArray("jpg");
    QTest::newRow("bmp named .jpg") << "scan.jpg" << QByteArray("bmp");
    QTest::newRow("jpeg named .bmp") << "scan.bmp" << QByteArray("jpg");
    QTest::newRow("name with spaces and Cyrillic")
        << "мои снимки/портрет 1.bmp" << QByteArray("bmp");
}

void TestImageLoading::opensFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, format);

    QVERIFY(QDir(dir.path()).mkpath(QFileInfo(dir.filePath(name)).path()));
    const QImage picture = gradient(33, 21).convertToFormat(QImage::Format_Grayscale8);
    const QString file = save(dir, name, picture, format.constData());
    QImage decoded;
    {
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QVERIFY(decoded.loadFromData(in.readAll()));
    }

    Lab lab;
    lab.dial->setValue(2);
    lab.open(file);
    QVERIFY2(lab.messages.isEmpty(), qPrintable(lab.messages.join(';')));
    QCOMPARE(lab.path->text(), file);
    QVERIFY(isPlaneOf(lab.viewer->image(), decoded, 2));
    QVERIFY(lab.report->toPlainText().contains(file));
}

// What the file dialog lists for this filter is tst_picturefiledialog's matter.
void TestImageLoading::dialogFilter()
{
    Lab lab;
    lab.open(QString());
    QCOMPARE(lab.dialogs, 1);
    QCOMPARE(lab.dialogCaption, QStringLiteral("Выбери файл для открытия"));
    QCOMPARE(lab.dialogDir, PictureFileDialog::startFolder(QString()));
    QCOMPARE(lab.dialogFilter, QStringLiteral("Изображения (*.bmp *.jpg *.jpeg *.png)"));
}

void TestImageLoading::cancelledDialog()
{
    const QString file = save(dir, "before.bmp", gradient(20, 20), "bmp");
    Lab lab;
    lab.open(file);
    const Lab::Snapshot before = lab.snapshot();
    QCOMPARE(before.path, file);

    lab.open(QString());
    QCOMPARE(lab.dialogs, 2);
    QCOMPARE(lab.snapshot().differences(before), QStringList());
    QVERIFY(lab.messages.isEmpty());
}

void TestImageLoading::unreadableFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");

    QByteArray cutBmp;
    {
        QBuffer buffer(&cutBmp);
        buffer.open(QIODevice::WriteOnly);
        gradient(64, 64).save(&buffer, "bmp");
    }
    QTest::newRow("cut-off bmp") << "cut.bmp" << cutBmp.left(cutBmp.size() / 2);
    QTest::newRow("text named .jpg") << "notes.jpg" << QByteArray("not a picture at all");
    QTest::newRow("zero bytes") << "empty.bmp" << QByteArray();
    QTest::newRow("missing") << "" << QByteArray();
    QTest::newRow("folder") << "folder" << QByteArray();
}

void TestImageLoading::unreadableFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);

    QString file = dir.filePath(QStringLiteral("missing.bmp"));
    if (name == QLatin1String("folder")) {
        file = dir.filePath(name);
        QVERIFY(QDir(dir.path()).mkpath(name));
    } else if (!name.isEmpty()) {
        file = write(dir, name, bytes);
    }

    for (const bool lenaFirst : {false, true}) {
        const QString good = save(dir, "good.bmp", gradient(24, 24), "bmp");
        Lab lab;
        lab.dial->setValue(4);
        if (lenaFirst)
            lab.choose("Лена");
        else
            lab.open(good);
        const Lab::Snapshot before = lab.snapshot();

        lab.open(file);
        QCOMPARE(lab.snapshot().differences(before), QStringList());
        QCOMPARE(lab.messages.size(), 1);
        QCOMPARE(lab.warnings, lab.messages); // a failure: the warning icon
        const QStringList parts = lab.messages.first().split(QLatin1Char('|'));
        QCOMPARE(parts.first(), QStringLiteral("Обзор"));
        const QStringList lines = parts.last().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(0), QStringLiteral("Не удалось прочитать изображение"));
        QCOMPARE(lines.at(1), file);
        QVERIFY(!lines.at(2).isEmpty());
    }
}

void TestImageLoading::shortOfMemory_data()
{
    QTest::addColumn<int>("allocations"); // that succeed before memory runs out

    QTest::newRow("no memory to decode") << 0;
    QTest::newRow("no memory for the planes") << 1;
}

void TestImageLoading::shortOfMemory()
{
    QFETCH(int, allocations);

    const QString earlier = save(dir, "earlier.bmp", gradient(24, 24), "bmp");
    const QString file = save(dir, "photo.bmp", gradient(40, 30), "bmp");
    Lab lab;
    lab.dial->setValue(4);
    lab.open(earlier);
    const Lab::Snapshot before = lab.snapshot();

    {
        const auto lift = qScopeGuard([] { PixelMemory::failAfter(-1); });
        PixelMemory::failAfter(allocations);
        lab.open(file);
    }
    QCOMPARE(lab.snapshot().differences(before), QStringList());
    QCOMPARE(lab.messages,
        QStringList(QStringLiteral("Обзор|Не удалось прочитать изображение\n%1\nНедостаточно "
                                   "памяти для изображения 40 x 30")
                        .arg(file)));
    lab.dial->setValue(8);
    QVERIFY(isPlaneOf(lab.viewer->image(), QImage(earlier), 8));
}

QTEST_MAIN(TestImageLoading)
#include "tst_imageloading.moc"
