// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs.h"

#include "picturefiledialog.h"
#include "savefiledialog.h"

#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

std::shared_ptr<Dialogs> Dialogs::standard(QWidget *window)
{
    auto dialogs = std::make_shared<Dialogs>();
    // A helper may outlive the window by a moment while the window's children are deleted.
    const QPointer<QWidget> over(window);
    dialogs->messageBox = [over](const QString &title, const QString &text) {
        QMessageBox::information(over, title, text, QMessageBox::Ok, QMessageBox::NoButton);
    };
    dialogs->warning = [over](const QString &title, const QString &text) {
        QMessageBox::warning(over, title, text, QMessageBox::Ok, QMessageBox::NoButton);
    };
    dialogs->closeQuestion = [over](const QString &title, const QString &text) {
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, over);
        QPushButton *save = box.addButton(QStringLiteral("Сохранить"), QMessageBox::AcceptRole);
        QPushButton *discard
            = box.addButton(QStringLiteral("Не сохранять"), QMessageBox::DestructiveRole);
        QPushButton *cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
        box.setDefaultButton(save);
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == save)
            return CloseAnswer::Save;
        if (box.clickedButton() == discard)
            return CloseAnswer::Discard;
        return CloseAnswer::Cancel;
    };
    dialogs->question = [over](const QString &title, const QString &text) {
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, over);
        QPushButton *yes = box.addButton(QStringLiteral("Заменить"), QMessageBox::AcceptRole);
        QPushButton *no = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    };
    dialogs->openFileName
        = [over](const QString &caption, const QString &dir, const QString &filter) {
              return PictureFileDialog::getOpenFileName(over, caption, dir, filter);
          };
    dialogs->printDialog = [](QWidget *parent, const QString &documentName, const PrintTo &print) {
        // Widgets print as drawn on the screen: at the screen's resolution text and lines
        // stay vectors, while the style's pixmaps at printer resolution take seconds and
        // megabytes.
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setDocName(documentName);
        QPrintDialog dialog(&printer, parent);
        if (dialog.exec() == QDialog::Accepted)
            print(&printer);
    };
    dialogs->saveFileName
        = [](QWidget *parent, const QString &caption, const QString &dir, const QString &filter) {
              return SaveFileDialog::getSaveFileName(parent, caption, dir, filter);
          };
    dialogs->reportChoice = &ReportDialog::ask;
    return dialogs;
}
