// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

// The save dialog. A name typed without a suffix gets the chosen filter's ("Таблица CSV (*.csv)"
// adds ".csv") before the dialog asks whether to replace a file of that name, so the question is
// asked about the file that will be written.
namespace SaveFileDialog {

QString getSaveFileName(
    QWidget *parent, const QString &caption, const QString &dir, const QString &filter);

// Where a save dialog opens: the folder of the last save, else Documents, else the home folder.
QString startFolder(const QString &lastFolder);

} // namespace SaveFileDialog
