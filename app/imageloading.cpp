// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwidget.h"

#include "bitplanes.h"
#include "planecomparisontab.h"
#include "im.h"
#include "picturereader.h"
#include "ui_mainwidget.h"

#include <QPixmap>

#include <algorithm>

namespace {

QString builtInPicturePath(const QString &comboText)
{
    if (comboText == QStringLiteral("Лена"))
        return QStringLiteral(":/images/images/lena.bmp");
    if (comboText == QStringLiteral("Барбара"))
        return QStringLiteral(":/images/images/barbara.bmp");
    if (comboText == QStringLiteral("Золотой холм"))
        return QStringLiteral(":/images/images/goldhill.bmp");
    return {}; // "выбери изображение" and anything else: no picture
}

// The decoded picture as it is: a pixmap in the screen's format would cost a 32-bit copy of a
// camera photo (48 MB for 4000 x 3000) to show the few hundred pixels the scroll area reveals.
QPixmap previewOf(const QImage &picture)
{
    return QPixmap::fromImage(picture, Qt::NoFormatConversion);
}

} // namespace

void MainWidget::onActivateCombo(const QString &text)
{
    const QString path = builtInPicturePath(text);
    const QImage picture = path.isEmpty() ? QImage() : PictureReader::read(path).image;
    ui->label_5->setPixmap(previewOf(picture));
    currentImage = picture;
    splitPlanes();
    analyseLoaded(text);
}

void MainWidget::onReview(bool)
{
    // The dialog matches the patterns whatever the case: cameras write IMG_0001.JPG.
    const QString fileName = dialogs().openFileName(QStringLiteral("Выбери файл для открытия"),
        QStringLiteral("../"), QStringLiteral("Изображения (*.bmp *.jpg *.jpeg)"));
    if (fileName.isEmpty())
        return;

    // A file that cannot be read changes nothing: the last picture, its plane, table and report
    // stay as they are, together with the name they belong to.
    const PictureReader::Result result = PictureReader::read(fileName);
    if (!result.ok()) {
        dialogs().messageBox(QStringLiteral("Обзор"),
            QStringLiteral("Не удалось прочитать изображение\n%1\n%2")
                .arg(fileName, result.reason));
        return;
    }

    ui->lineEdit_3->setText(fileName);
    // The built-in picture chosen earlier is no longer the one in view: the report must name the
    // file, and it names the combo box's choice unless that is "выбери изображение".
    ui->comboBox->setCurrentIndex(0);
    ui->label_5->setPixmap(previewOf(result.image));
    currentImage = result.image;
    splitPlanes();
    analyseLoaded(fileName);
}

void MainWidget::analyseLoaded(const QString &name)
{
    const bool split = !currentImage.isNull()
        && currentImage.cacheKey() == planes[size_t(planeIndex)].cacheKey();
    if (split)
        planesName = name;
    reportedPicture = ReportedPicture {name, !split};
    analysePlane();
}

void MainWidget::onDialChange(int value)
{
    if (value < 1 || value > int(planes.size()))
        return;
    planeIndex = value - 1;
    planeComparison->setSelectedPlane(value);
    // Before any greyscale picture there is no plane to take: a colour picture stays in view
    // with its table and report.
    if (planes[size_t(planeIndex)].isNull())
        return;
    currentImage = planes[size_t(planeIndex)];
    viewer->setImage(currentImage);
    // The plane belongs to the picture it was split from, whatever was opened since.
    reportedPicture = ReportedPicture {planesName, false};
    analysePlane();
}

void MainWidget::splitPlanes()
{
    // A colour picture, and a 1-bit one (which Qt does not call greyscale), is shown and analysed
    // as it is; the planes of the last greyscale picture stay for the dial.
    if (currentImage.isNull() || !currentImage.isGrayscale()) {
        viewer->setImage(currentImage);
        planeComparison->showUnsplit(currentImage);
        return;
    }
    const QList<QImage> split = BitPlanes::split(currentImage);
    std::copy(split.cbegin(), split.cend(), planes.begin());
    currentImage = planes[size_t(planeIndex)];
    viewer->setImage(currentImage);
    planeComparison->showPlanes(planes);
}
