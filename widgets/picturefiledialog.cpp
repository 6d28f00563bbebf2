// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturefiledialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

void PictureFileDialog::prepare(QFileDialog &dialog, const QString &filter)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
}

QString PictureFileDialog::getOpenFileName(
    QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    QFileDialog dialog(parent, caption, dir);
    prepare(dialog, filter);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

QString PictureFileDialog::startFolder(const QString &lastPicture)
{
    if (!lastPicture.isEmpty()) {
        const QFileInfo last(lastPicture);
        if (last.absoluteDir().exists())
            return last.absolutePath();
    }
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return pictures;
    return QDir::homePath();
}
