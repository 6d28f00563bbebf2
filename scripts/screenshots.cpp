// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the main window offscreen into the PNG files of docs/, with a drawn title bar (an
// offscreen window has no frame), so the pictures show the title and the icon too.
#include "mainwidget.h"

#include "contexthelp.h"
#include "im.h"
#include "qswitch.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>

namespace {

QImage framed(QWidget &window)
{
    QApplication::processEvents(); // lay out and polish before grabbing
    const QImage content = window.grab().toImage();
    constexpr int bar = 28;
    QImage image(content.width() + 2, content.height() + bar + 1, QImage::Format_RGB32);
    image.fill(QColor(0x60, 0x60, 0x60));
    QPainter painter(&image);
    painter.fillRect(1, 1, content.width(), bar - 1, QColor(0xe6, 0xe6, 0xe6));
    window.windowIcon().paint(&painter, QRect(7, 6, 16, 16));
    const QRect titleRect(30, 1, content.width() - 36, bar - 1);
    painter.drawText(titleRect, Qt::AlignVCenter | Qt::AlignLeft,
        painter.fontMetrics().elidedText(window.windowTitle(), Qt::ElideRight, titleRect.width()));
    painter.drawImage(1, bar, content);
    return image;
}

bool save(const QImage &image, const QDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    if (!image.save(path)) {
        qWarning("cannot write %s", qPrintable(path));
        return false;
    }
    qInfo("%s", qPrintable(path));
    return true;
}

// The top-left cell of the window of `size` cells holding the most marked cells.
QPoint busiestView(const QImage &cells, QSize size)
{
    QPoint best;
    int most = -1;
    for (int y = 0; y + size.height() <= cells.height(); y += 4) {
        for (int x = 0; x + size.width() <= cells.width(); x += 4) {
            int marked = 0;
            for (int j = 0; j < size.height(); ++j) {
                const uchar *line = cells.constScanLine(y + j);
                for (int i = 0; i < size.width(); ++i)
                    marked += line[x + i] != 0;
            }
            if (marked > most) {
                most = marked;
                best = QPoint(x, y);
            }
        }
    }
    return best;
}

// A colour photo for the lab: the aerial picture of fields and a wooded slope, coloured as such a
// photograph is (green woods, ochre fields, a blue haze in the shadows).
QImage colourPhoto()
{
    const QImage grey = QImage(QStringLiteral(":/images/images/goldhill.bmp"))
                            .convertToFormat(QImage::Format_Grayscale8);
    QImage photo(grey.size(), QImage::Format_RGB32);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *in = grey.constScanLine(y);
        auto *out = reinterpret_cast<QRgb *>(photo.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const double v = in[x] / 255.0;
            const double field = qBound(0.0, (v - 0.35) * 2.5, 1.0); // bright: fields
            const int r = int(255 * v * (0.55 + 0.55 * field));
            const int g = int(255 * v * (0.85 + 0.1 * field));
            const int b = int(255 * v * (0.75 - 0.45 * field) + 18 * (1 - v));
            out[x] = qRgb(qBound(0, r, 255), qBound(0, g, 255), qBound(0, b, 255));
        }
    }
    return photo;
}

// `box` drawn centred over the framed window, with its own title bar.
QImage over(QWidget &window, QWidget &box)
{
    QImage image = framed(window);
    const QImage boxImage = framed(box);
    QPainter(&image).drawImage(
        (image.width() - boxImage.width()) / 2, (image.height() - boxImage.height()) / 2, boxImage);
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    const QApplication application(argc, argv);
    // Absolute: the file dialog's picture is taken from another working folder.
    const QDir dir(
        QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs")).absolutePath());
    if (!dir.exists() && !QDir().mkpath(dir.path()))
        return 1;

    MainWidget window;
    window.show();
    bool ok = save(framed(window), dir, "homework.png");

    // The worked example with the other tie break: red, and why.
    window.findChild<QLineEdit *>("lineEdit")->setText(QStringLiteral("Мама Мыла Раму"));
    window.findChild<QLineEdit *>("lineEdit_2")->setText(QStringLiteral("0,2,3,2"));
    window.findChild<QPushButton *>("pushButton")->click();
    ok = save(framed(window), dir, "homework-diagnosis.png") && ok;

    // The worked example, checked: the green verdict.
    window.findChild<QLineEdit *>("lineEdit_2")->setText(QStringLiteral("0,3,0,4"));
    window.findChild<QPushButton *>("pushButton")->click();
    ok = save(framed(window), dir, "homework-checked.png") && ok;

    // The construction of that code, in its own window.
    window.findChild<QPushButton *>("constructionButton")->click();
    QWidget *construction = window.findChild<QWidget *>("constructionWindow");
    ok = construction && save(framed(*construction), dir, "construction.png") && ok;
    if (construction)
        construction->close();

    // The lab tab as it opens after the homework is skipped: file controls, empty results.
    window.findChild<QWidget *>("tab_2")->setEnabled(true);
    window.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
    ok = save(framed(window), dir, "lab.png") && ok;

    // Лена chosen as a student does, at plane 1.
    auto *combo = window.findChild<QComboBox *>("comboBox");
    combo->setCurrentIndex(combo->findText(QStringLiteral("Лена")));
    emit combo->textActivated(combo->currentText());
    QApplication::processEvents(); // the preview's scroll area lays out its new size first
    ok = save(framed(window), dir, "lab-lena-plane1.png") && ok;

    // Counts and probabilities of three rows selected, the table's context menu open over them
    // (a popup is a window of its own offscreen, so it is drawn in).
    auto *table = window.findChild<QTableWidget *>("tableWidget");
    table->setRangeSelected(QTableWidgetSelectionRange(0, 1, 2, 2), true);
    table->setFocus();
    QImage withMenu = framed(window);
    QMenu menu;
    menu.addActions(table->actions());
    menu.ensurePolished();
    menu.adjustSize();
    const QPoint menuAt = table->mapTo(&window,
        table->visualRect(table->model()->index(1, 1)).center()
            + QPoint(table->verticalHeader()->width(), table->horizontalHeader()->height()));
    const QImage menuImage = menu.grab().toImage();
    const int menuX = qMin(menuAt.x() + 1, withMenu.width() - menuImage.width() - 8);
    QPainter(&withMenu).drawImage(QPoint(menuX, menuAt.y() + 28), menuImage);
    ok = save(withMenu, dir, "lab-copy-menu.png") && ok;
    table->clearSelection();

    // Zoomed in twice with the wheel over the viewer's corner label, scrolled to the face.
    auto *viewer = window.findChild<Im *>();
    const QLabel *zoomLabel = viewer->findChild<QLabel *>("label");
    const QPointF at = zoomLabel->geometry().center();
    for (int step = 0; step < 2; ++step) {
        QWheelEvent wheel(at, viewer->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewer, &wheel);
    }
    viewer->findChild<QScrollBar *>("horizontalScrollBar")->setValue(230);
    viewer->findChild<QScrollBar *>("verticalScrollBar")->setValue(230);
    ok = save(framed(window), dir, "lab-zoomed.png") && ok;

    // "Обзор" with the window's own file dialog, in a folder of a student's files: the dialog
    // opens where the last picture came from.
    const QTemporaryDir files;
    const QString below = files.filePath(QStringLiteral("lab"));
    QDir().mkpath(below);
    QFile::copy(QStringLiteral(":/images/images/lena.bmp"), files.filePath("lena.bmp"));
    for (const char *name : {"IMG_0001.JPG", "портрет.jpeg", "SCAN.BMP", "notes.txt"}) {
        QFile file(files.filePath(QString::fromUtf8(name)));
        file.open(QIODevice::WriteOnly);
    }
    window.findChild<QLineEdit *>("lineEdit_3")->setText(files.filePath("lena.bmp"));
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        const QListView *list = dialog ? dialog->findChild<QListView *>("listView") : nullptr;
        // Wait until the folder is read: the three pictures and the "lab" folder.
        if (!list || list->model()->rowCount(list->rootIndex()) < 5)
            return;
        poll.stop();
        for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
            qInfo("  listed: %s",
                qPrintable(list->model()->index(row, 0, list->rootIndex()).data().toString()));
        ok = save(framed(*dialog), dir, "lab-file-dialog.png") && ok;
        dialog->reject();
    });
    poll.start();
    window.findChild<QPushButton *>("pushButton_2")->click();
    window.findChild<QLineEdit *>("lineEdit_3")->clear();

    // A larger window, zoomed to 4, one block type selected in the table: its blocks tinted in
    // the plane, scrolled to where most of them lie.
    window.resize(1000, 820);
    QApplication::processEvents();
    QWheelEvent wheel(at, viewer->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewer, &wheel);
    table->selectRow(2);
    const QPoint view = busiestView(viewer->marks(), viewer->size() / 4 / 3);
    viewer->findChild<QScrollBar *>("horizontalScrollBar")->setValue(3 * view.x());
    viewer->findChild<QScrollBar *>("verticalScrollBar")->setValue(3 * view.y());
    ok = save(framed(window), dir, "lab-marked.png") && ok;

    // All eight planes of Лена side by side, plane 1 selected.
    auto *tabs = window.findChild<QTabWidget *>("tabWidget");
    tabs->setCurrentIndex(2);
    ok = save(framed(window), dir, "comparison-lena.png") && ok;

    // The comparison's table all selected, its context menu open over it.
    auto *figures = window.findChild<QTableWidget *>("planeFiguresTable");
    figures->selectAll();
    figures->setFocus();
    QImage withFiguresMenu = framed(window);
    QMenu figuresMenu;
    figuresMenu.addActions(figures->actions());
    figuresMenu.ensurePolished();
    figuresMenu.adjustSize();
    const QPoint figuresAt
        = figures->mapTo(&window, figures->visualRect(figures->model()->index(2, 2)).center());
    QPainter(&withFiguresMenu)
        .drawImage(QPoint(qMin(figuresAt.x(), withFiguresMenu.width() - figuresMenu.width() - 8),
                       figuresAt.y() + 28),
            figuresMenu.grab().toImage());
    ok = save(withFiguresMenu, dir, "comparison-menu.png") && ok;
    figures->clearSelection();

    // Maximised on a 1280 x 1024 desktop (less a title bar and a panel): the table shows its
    // whole titles and many rows, the plane zoomed to 4 with Ctrl+wheel over the face, the zoom
    // factor beside the magnifier; two codes typed and checked, the verdict in words.
    tabs->setCurrentIndex(1);
    window.resize(1280, 1024 - 64);
    QApplication::processEvents();
    const QPointF magnifier = zoomLabel->geometry().center();
    while (viewer->zoom() > 1.0f) { // back to 1 over the magnifier, where the resize put it
        QWheelEvent wheel(magnifier, viewer->mapToGlobal(magnifier), QPoint(), QPoint(0, -120),
            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewer, &wheel);
    }
    viewer->findChild<QScrollBar *>("horizontalScrollBar")->setValue(0);
    viewer->findChild<QScrollBar *>("verticalScrollBar")->setValue(150);
    table->clearSelection();
    const QPointF face(265, 115); // Лена's eyes, at (265, 265) of the picture
    for (int step = 0; step < 2; ++step) {
        QWheelEvent wheel(face, viewer->mapToGlobal(face), QPoint(), QPoint(0, 120), Qt::NoButton,
            Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewer, &wheel);
    }
    table->item(0, 3)->setText(QStringLiteral("0"));
    table->item(1, 3)->setText(QStringLiteral("10"));
    window.findChild<QPushButton *>("pushButton_3")->click();
    ok = save(framed(window), dir, "lab-maximised-zoom.png") && ok;

    // "Справка" as F1 opens it: from the counters field, and from the results table.
    auto *help = window.findChild<ContextHelp *>();
    QApplication::setActiveWindow(&window);
    const auto guideFrom = [&](int tab, QWidget *control, const char *name) {
        tabs->setCurrentIndex(tab);
        QApplication::setActiveWindow(&window);
        control->setFocus();
        QApplication::processEvents();
        help->showGuide(help->contextSection());
        return save(framed(*help->guide()), dir, name);
    };
    ok = guideFrom(0, window.findChild<QLineEdit *>("lineEdit_2"), "help-counters.png") && ok;
    ok = guideFrom(1, table, "help-table.png") && ok;

    // A colour photo a student brought, in the window maximised on a 1280 x 1024 screen (the
    // drawn title bar and frame make up the rest): as it opens, analysed whole, then converted.
    const QString photoPath = files.filePath(QStringLiteral("фото.jpg"));
    colourPhoto().save(photoPath, "jpg", 92);
    window.dialogs().openFileName
        = [&](const QString &, const QString &, const QString &) { return photoPath; };
    // The homework skipped, as a student with a photo of their own does: "Обзор" instead of the
    // list.
    tabs->setCurrentIndex(0);
    window.findChild<QSwitch *>()->setValue(true);
    window.findChild<QPushButton *>("pushButton")->click();
    tabs->setCurrentIndex(1);
    window.resize(1278, 995);
    for (int step = 0; step < 10 && viewer->zoom() > 1; ++step) {
        QWheelEvent out(at, viewer->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewer, &out);
    }
    window.findChild<QPushButton *>("pushButton_2")->click();
    ok = save(framed(window), dir, "lab-colour-photo.png") && ok;
    window.findChild<QPushButton *>("greyButton")->click();
    table->clearSelection();
    ok = save(framed(window), dir, "lab-grey-photo.png") && ok;

    // Closing with an unsaved report: the question, answered "Отмена".
    QTimer question;
    question.setInterval(50);
    QObject::connect(&question, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        question.stop();
        ok = save(over(window, *box), dir, "close-question.png") && ok;
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == QStringLiteral("Отмена"))
                button->click();
        }
    });
    question.start();
    window.close();
    if (!window.isVisible())
        qWarning("the window closed without asking");
    return ok ? 0 : 1;
}
