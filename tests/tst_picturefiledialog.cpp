// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturefiledialog.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The filter "Обзор" passes.
const QString filter = QStringLiteral("Изображения (*.bmp *.jpg *.jpeg)");

// A folder of camera, scanner and other files, one of them in a sub-folder.
const QStringList pictureNames = {QStringLiteral("lena.bmp"), QStringLiteral("SCAN.BMP"),
    QStringLiteral("a.jpg"), QStringLiteral("IMG_0001.JPG"), QStringLiteral("photo.jpeg"),
    QStringLiteral("photo.Jpeg"), QStringLiteral("PHOTO.JPEG"), QStringLiteral("портрет 1.bmp")};
const QStringList otherNames
    = {QStringLiteral("notes.txt"), QStringLiteral("bmp.txt"), QStringLiteral("archive.jpg.zip"),
        QStringLiteral("scan.png"), QStringLiteral("jpg"), QStringLiteral("photo.jpe")};

// The names the dialog's file list shows in its current folder, once it has read the folder.
QStringList listedNames(QFileDialog &dialog)
{
    const QListView *view = dialog.findChild<QListView *>(QStringLiteral("listView"));
    if (!view)
        qFatal("no file list in the dialog");
    const QAbstractItemModel *model = view->model();
    QStringList names;
    for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
        const QModelIndex index = model->index(row, 0, view->rootIndex());
        if (model->flags(index) & Qt::ItemIsEnabled)
            names << index.data().toString();
    }
    names.sort();
    return names;
}

} // namespace

class TestPictureFileDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void listsPicturesOnly_data();
    void listsPicturesOnly();
    void showsThePlainFilter();
    void startFolder_data();
    void startFolder();

private:
    QTemporaryDir dir;
};

void TestPictureFileDialog::initTestCase()
{
    QVERIFY(dir.isValid());
    for (const QString &name : pictureNames + otherNames) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("снимки.jpg")));
}

void TestPictureFileDialog::listsPicturesOnly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("listed");

    for (const QString &name : pictureNames)
        QTest::newRow(qPrintable(name)) << name << true;
    for (const QString &name : otherNames)
        QTest::newRow(qPrintable(name)) << name << false;
    QTest::newRow("a folder, to go into") << QStringLiteral("снимки.jpg") << true;
}

void TestPictureFileDialog::listsPicturesOnly()
{
    QFETCH(QString, name);
    QFETCH(bool, listed);
#ifdef Q_OS_WIN
    QSKIP("Windows' file names ignore case: photo.jpeg, photo.Jpeg and PHOTO.JPEG are one file");
#endif

    QFileDialog dialog(nullptr, QStringLiteral("Выбери файл для открытия"), dir.path());
    PictureFileDialog::prepare(dialog, filter);
    dialog.show();
    // The folder is read on a thread: wait for the pictures and the sub-folder.
    QTRY_COMPARE(listedNames(dialog).size(), pictureNames.size() + 1);
    QCOMPARE(listedNames(dialog).contains(name), listed);
}

void TestPictureFileDialog::showsThePlainFilter()
{
    QFileDialog dialog(nullptr, QStringLiteral("Выбери файл для открытия"), dir.path());
    PictureFileDialog::prepare(dialog, filter);
    dialog.show();
    QCOMPARE(dialog.nameFilters(), QStringList {filter});
    const QComboBox *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    QVERIFY(types);
    QCOMPARE(types->count(), 1);
    QCOMPARE(types->currentText(), filter);
    // A desktop's own chooser would match the patterns case-sensitively (GTK's does).
    QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
    QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
}

void TestPictureFileDialog::startFolder_data()
{
    QTest::addColumn<QString>("last"); // relative to a scratch home; empty for none
    QTest::addColumn<bool>("pictures"); // the home has a Pictures folder
    QTest::addColumn<QString>("expected"); // relative to the home
    QTest::newRow("the last picture's folder") << "фото/a.png" << true << "фото";
    QTest::newRow("the last picture's folder gone") << "нет/a.png" << true << "Pictures";
    QTest::newRow("no picture yet: Pictures") << "" << true << "Pictures";
    QTest::newRow("no Pictures: home") << "" << false << "";
}

// "Обзор" opens where the student's pictures are, never in the working directory's parent.
void TestPictureFileDialog::startFolder()
{
    QFETCH(QString, last);
    QFETCH(bool, pictures);
    QFETCH(QString, expected);
    QTemporaryDir home;
    const QByteArray realHome = qgetenv("HOME");
    const QByteArray realConfig = qgetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", realHome);
        qputenv("XDG_CONFIG_HOME", realConfig);
    });
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toUtf8());
    QDir(home.path()).mkdir(QStringLiteral("фото"));
    if (pictures)
        QDir(home.path()).mkdir(QStringLiteral("Pictures"));
    const QString folder
        = PictureFileDialog::startFolder(last.isEmpty() ? QString() : home.filePath(last));
#ifdef Q_OS_WIN
    // Windows' Pictures is the user's known folder, whatever HOME says.
    if (!pictures)
        QSKIP("Windows' Pictures folder is a known folder that a scratch HOME does not move");
    if (expected == QStringLiteral("Pictures")) {
        QCOMPARE(QDir(folder).absolutePath(),
            QDir(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation))
                .absolutePath());
        return;
    }
#endif
    QCOMPARE(QDir(folder).absolutePath(),
        QDir(expected.isEmpty() ? home.path() : home.filePath(expected)).absolutePath());
}

QTEST_MAIN(TestPictureFileDialog)
#include "tst_picturefiledialog.moc"
