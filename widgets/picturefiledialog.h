// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QFileDialog;
class QWidget;

// The file dialog of "Обзор". Qt's own dialog rather than the desktop's: its name filters match
// case-insensitively, so "*.jpg" lists a camera's IMG_0001.JPG while the student reads the plain
// patterns (GTK's chooser matches patterns case-sensitively).
namespace PictureFileDialog {

// Sets `dialog` up to pick one existing file through `filter` ("Title (*.a *.b)").
void prepare(QFileDialog &dialog, const QString &filter);

// Runs the dialog modally; the chosen file's name, or an empty string when cancelled.
QString getOpenFileName(
    QWidget *parent, const QString &caption, const QString &dir, const QString &filter);

// Where the dialog opens: the folder of the last picture opened, else the user's Pictures
// folder, else the home folder. Never the working directory, which for a program started from
// a menu is anywhere (C:\Program Files, /tmp).
QString startFolder(const QString &lastPicture);

} // namespace PictureFileDialog
