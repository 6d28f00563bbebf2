// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwidget.h"

#include "bitplanes.h"
#include "greyconversion.h"
#include "im.h"
#include "picturereader.h"
#include "planecomparisontab.h"
#include "ui_mainwidget.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

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

// What the window needs of a picture besides the picture itself, made before anything on
// screen changes: a picture that does not fit in memory must leave the window as it was,
// preview included, rather than show the previous picture's plane under the new name.
struct Prepared
{
    QList<QImage> planes; // empty for a colour picture
    QPixmap preview;
    QString problem; // why it cannot be shown; empty when it can
};

Prepared prepare(const QImage &picture)
{
    Prepared prepared;
    if (picture.isNull())
        return prepared;
    if (BitPlanes::isGrey(picture)) {
        prepared.planes = BitPlanes::split(picture);
        if (prepared.planes.isEmpty()) {
            prepared.problem = PictureReader::outOfMemoryReason(picture.size());
            return prepared;
        }
    }
    prepared.preview = previewOf(picture);
    if (prepared.preview.isNull())
        prepared.problem = PictureReader::outOfMemoryReason(picture.size());
    return prepared;
}

QString refusal(const QString &name, const QString &reason)
{
    return QStringLiteral("Не удалось прочитать изображение\n%1\n%2").arg(name, reason);
}

} // namespace

void MainWidget::onActivateCombo(const QString &text)
{
    const QString path = builtInPicturePath(text);
    const QImage picture = path.isEmpty() ? QImage() : PictureReader::read(path).image;
    const Prepared prepared = prepare(picture);
    if (!prepared.problem.isEmpty()) {
        dialogs().warning(QStringLiteral("Выбор изображения"), refusal(text, prepared.problem));
        return;
    }
    ui->label_5->setPixmap(prepared.preview);
    currentImage = picture;
    splitPlanes(prepared.planes);
    analyseLoaded(text);
}

void MainWidget::onReview(bool)
{
    // The dialog matches the patterns whatever the case: cameras write IMG_0001.JPG.
    const QString fileName = dialogs().openFileName(QStringLiteral("Выбери файл для открытия"),
        QStringLiteral("../"), QStringLiteral("Изображения (*.bmp *.jpg *.jpeg *.png)"));
    if (fileName.isEmpty())
        return;

    // A file that cannot be read changes nothing: the last picture, its plane, table and report
    // stay as they are, together with the name they belong to.
    const PictureReader::Result result = PictureReader::read(fileName);
    const Prepared prepared = result.ok() ? prepare(result.image) : Prepared();
    const QString problem = result.ok() ? prepared.problem : result.reason;
    if (!problem.isEmpty()) {
        dialogs().warning(QStringLiteral("Обзор"), refusal(fileName, problem));
        return;
    }

    ui->lineEdit_3->setText(fileName);
    // The built-in picture chosen earlier is no longer the one in view: the report must name the
    // file, and it names the combo box's choice unless that is "выбери изображение".
    ui->comboBox->setCurrentIndex(0);
    ui->label_5->setPixmap(prepared.preview);
    currentImage = result.image;
    splitPlanes(prepared.planes);
    analyseLoaded(fileName);
}

void MainWidget::analyseLoaded(const QString &name)
{
    const bool split = !currentImage.isNull()
        && currentImage.cacheKey() == planes[size_t(planeIndex)].cacheKey();
    if (split) {
        planesName = name;
        planeComparison->setPictureName(name);
    }
    pictureName = currentImage.isNull() ? QString() : name;
    reportedPicture = ReportedPicture {name, !split};
    analysePlane();
}

void MainWidget::convertToGrey()
{
    const bool colourInView = !currentImage.isNull()
        && currentImage.cacheKey() != planes[size_t(planeIndex)].cacheKey();
    if (!colourInView)
        return;
    // Done once: the grey picture replaces the colour one, and its planes are kept as any grey
    // picture's are.
    const QImage grey = GreyConversion::toGrey(currentImage);
    Prepared prepared;
    if (grey.isNull())
        prepared.problem = PictureReader::outOfMemoryReason(currentImage.size());
    else
        prepared = prepare(grey);
    if (!prepared.problem.isEmpty()) {
        dialogs().warning(greyButton->text(),
            QStringLiteral("Не удалось преобразовать изображение\n%1\n%2")
                .arg(pictureName, prepared.problem));
        return;
    }
    const QString name = GreyConversion::nameOf(pictureName);
    ui->label_5->setPixmap(prepared.preview);
    currentImage = grey;
    splitPlanes(prepared.planes);
    analyseLoaded(name);
}

void MainWidget::onDialChange(int value)
{
    if (value < 1 || value > int(planes.size()))
        return;
    planeIndex = value - 1;
    planeComparison->setSelectedPlane(value);
    // No planes before a grey picture or after a colour one: a colour picture stays in view
    // with its table and report.
    if (planes[size_t(planeIndex)].isNull())
        return;
    // After "выбери изображение" the stored planes come back, and their figures with them.
    if (currentImage.isNull())
        planeComparison->showPlanes(planes);
    currentImage = planes[size_t(planeIndex)];
    viewer->setImage(currentImage);
    reportedPicture = ReportedPicture {planesName, false};
    pictureName = planesName;
    colourNotice->setVisible(false);
    greyButton->setVisible(false);
    analysePlane();
}

void MainWidget::splitPlanes(const QList<QImage> &split)
{
    // A colour picture is shown and analysed as it is, and the line under the viewer says so
    // and offers the grey version. The planes of an earlier picture go: the dial must not bring
    // them back under the colour picture's name, preview and path. Without a picture
    // ("выбери изображение") the planes stay for the dial.
    const bool colour = !currentImage.isNull() && split.isEmpty();
    colourNotice->setVisible(colour);
    greyButton->setVisible(colour);
    if (split.size() != int(planes.size())) {
        if (colour) {
            planes = {};
            planesName.clear();
        }
        viewer->setImage(currentImage);
        planeComparison->showUnsplit(currentImage);
        return;
    }
    std::copy(split.cbegin(), split.cend(), planes.begin());
    currentImage = planes[size_t(planeIndex)];
    viewer->setImage(currentImage);
    planeComparison->showPlanes(planes);
}
