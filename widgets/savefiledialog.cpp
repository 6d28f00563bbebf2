// SPDX-License-Identifier: GPL-3.0-or-later
#include "savefiledialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

// "csv" for "Таблица CSV (*.csv)"; empty for "Все файлы (*)".
QString suffixOf(const QString &nameFilter)
{
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([^ )*]+)"));
    return pattern.match(nameFilter).captured(1);
}

} // namespace

QString SaveFileDialog::getSaveFileName(
    QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    // Qt's own dialog, as for opening pictures: the default suffix is honoured there.
    QFileDialog dialog(parent, caption, dir, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffixOf(dialog.selectedNameFilter()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString &chosen) { dialog.setDefaultSuffix(suffixOf(chosen)); });
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

QString SaveFileDialog::startFolder(const QString &lastFolder)
{
    if (!lastFolder.isEmpty())
        return lastFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}
