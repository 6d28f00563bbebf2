// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reportfields.h"

#include <QObject>
#include <QString>

#include <memory>

class LabSession;
class QPushButton;
class QWidget;
struct Dialogs;

// "Отчёт…" (Ctrl+R) in the lab: asks the report dialog, then where to save (ODT or PDF), writes
// the lab report of the session and says what it wrote. The title page's fields are kept here
// for the rest of the session, never on disk.
class LabReportAction : public QObject
{
    Q_OBJECT

public:
    LabReportAction(
        const LabSession *session, std::shared_ptr<const Dialogs> dialogs, QWidget *window);

    QPushButton *button() const { return reportButton; }

public slots:
    // True when a report was written.
    bool write();

private:
    const LabSession *const session;
    const std::shared_ptr<const Dialogs> dialogs;
    QWidget *const window;
    QPushButton *reportButton = nullptr;
    ReportFields fields;
    QString lastFolder;
};
