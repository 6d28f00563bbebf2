// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwidget.h"

#include "builtinpictures.h"
#include "im.h"
#include "labsession.h"
#include "picturefiledialog.h"
#include "picturereader.h"
#include "planecomparisontab.h"
#include "ui_mainwidget.h"
#include "variants.h"

#include <QDial>
#include <QLCDNumber>
#include <QSignalBlocker>

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

// The decoded picture as it is: a pixmap in the screen's format would cost a 32-bit copy of a
// camera photo (48 MB for 4000 x 3000) to show the few hundred pixels the scroll area reveals.
QPixmap previewOf(const QImage &picture)
{
    return QPixmap::fromImage(picture, Qt::NoFormatConversion);
}

QString refusal(const QString &name, const QString &reason)
{
    return QStringLiteral("Не удалось прочитать изображение\n%1\n%2").arg(name, reason);
}

} // namespace

bool MainWidget::showLoaded(const QImage &picture, const QString &name, const QString &title,
    const std::function<QString(const QString &)> &message)
{
    // The preview is made before anything on screen changes, and the session changes nothing
    // when the planes do not fit: a picture short of memory leaves the window as it was.
    const QPixmap preview = picture.isNull() ? QPixmap() : previewOf(picture);
    QString problem;
    if (!picture.isNull() && preview.isNull())
        problem = PictureReader::outOfMemoryReason(picture.size());
    else
        problem = session->load(picture, name);
    if (!problem.isEmpty()) {
        dialogs().warning(title, message(problem));
        return false;
    }
    ui->label_5->setPixmap(preview);
    return true;
}

void MainWidget::onActivateCombo(const QString &text)
{
    const QString path = BuiltInPictures::resourcePath(text);
    const QImage picture = path.isEmpty() ? QImage() : PictureReader::read(path).image;
    showLoaded(picture, text, QStringLiteral("Выбор изображения"),
        [&text](const QString &problem) { return refusal(text, problem); });
}

void MainWidget::chooseVariant(int number)
{
    const std::optional<Variant> variant = Variants::variant(number);
    if (!variant)
        return;
    session->setVariant(number);
    // The dial goes to the variant's plane without analysing the picture still in view: only
    // the variant's own plane is analysed, as if the student had turned the dial first.
    {
        const QSignalBlocker quiet(ui->dial);
        ui->dial->setValue(variant->plane);
    }
    ui->lcdNumber->display(variant->plane);
    planeIndex = variant->plane - 1;
    planeComparison->setSelectedPlane(variant->plane);
    session->rememberPlane(planeIndex);
    ui->comboBox->setCurrentText(variant->picture);
    onActivateCombo(variant->picture);
}

void MainWidget::onReview(bool)
{
    // The dialog matches the patterns whatever the case: cameras write IMG_0001.JPG.
    const QString fileName = dialogs().openFileName(QStringLiteral("Выбери файл для открытия"),
        PictureFileDialog::startFolder(ui->lineEdit_3->text()),
        QStringLiteral("Изображения (*.bmp *.jpg *.jpeg *.png)"));
    if (fileName.isEmpty())
        return;

    // A file that cannot be read changes nothing: the last picture, its plane, table and report
    // stay as they are, together with the name they belong to.
    const PictureReader::Result result = PictureReader::read(fileName);
    if (!result.ok()) {
        dialogs().warning(QStringLiteral("Обзор"), refusal(fileName, result.reason));
        return;
    }
    if (!showLoaded(result.image, fileName, QStringLiteral("Обзор"),
            [&fileName](const QString &problem) { return refusal(fileName, problem); }))
        return;
    ui->lineEdit_3->setText(fileName);
    // The built-in picture chosen earlier is no longer the one in view.
    ui->comboBox->setCurrentIndex(0);
}

void MainWidget::convertToGrey()
{
    if (!session->isColour())
        return;
    const QString colourName = session->pictureName();
    const QString problem = session->convertToGrey();
    if (!problem.isEmpty()) {
        dialogs().warning(greyButton->text(),
            QStringLiteral("Не удалось преобразовать изображение\n%1\n%2")
                .arg(colourName, problem));
        return;
    }
    ui->label_5->setPixmap(previewOf(session->picture()));
}

void MainWidget::onDialChange(int value)
{
    if (value < 1 || value > int(planes.size()))
        return;
    planeIndex = value - 1;
    planeComparison->setSelectedPlane(value);
    // Analysed when there are planes to take; a colour picture stays in view with its table.
    session->selectPlane(planeIndex);
}

void MainWidget::splitPlanes()
{
    // A colour picture is shown and analysed as it is, and the line under the viewer says so
    // and offers the grey version.
    const bool colour = session->isColour();
    colourNotice->setVisible(colour);
    greyButton->setVisible(colour);
    dialNotice->setVisible(colour);
    planes = session->planes();
    if (session->isSplit()) {
        planeComparison->setPictureName(session->planesName());
        planeComparison->showPlanes(planes);
    } else {
        currentImage = session->picture();
        viewer->setImage(currentImage);
        planeComparison->showUnsplit(currentImage);
    }
}
