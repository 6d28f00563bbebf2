// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reportdialog.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class LabSession;
class QPagedPaintDevice;
class QWidget;

// Every modal dialog the program's windows ask for, in one place, so that tests answer them
// without a nested event loop. The window makes one set (`standard`, the real dialogs over it)
// and hands the same set to each helper and window it opens; a test replaces a member and every
// one of them sees the change.
struct Dialogs
{
    // The answers to "Сохранить результаты перед выходом?".
    enum class CloseAnswer { Save, Discard, Cancel };
    // Called with the printer when the student chooses to print.
    using PrintTo = std::function<void(QPagedPaintDevice *device)>;

    std::function<void(const QString &title, const QString &text)> messageBox;
    // The same for what went wrong (a file not read or not saved, memory short): with the
    // warning icon.
    std::function<void(const QString &title, const QString &text)> warning;
    std::function<CloseAnswer(const QString &title, const QString &text)> closeQuestion;
    // A yes-or-no question (whether to replace files): true for yes.
    std::function<bool(const QString &title, const QString &text)> question;
    std::function<QString(const QString &caption, const QString &dir, const QString &filter)>
        openFileName;
    // Over `parent`, the window that prints or saves.
    std::function<void(QWidget *parent, const QString &documentName, const PrintTo &print)>
        printDialog;
    std::function<QString(
        QWidget *parent, const QString &caption, const QString &dir, const QString &filter)>
        saveFileName;
    // "Отчёт…": the title page's fields, the planes and the appendix; none when cancelled.
    std::function<std::optional<ReportDialog::Choice>(
        QWidget *parent, const LabSession &session, const ReportFields &fields)>
        reportChoice;

    // The real dialogs; the message boxes and the file dialog open over `window`.
    static std::shared_ptr<Dialogs> standard(QWidget *window);
};
