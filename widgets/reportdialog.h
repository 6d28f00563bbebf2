// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reportfields.h"

#include <QDialog>
#include <QHash>
#include <QList>

class LabSession;
class QCheckBox;
class QLineEdit;
class QListWidget;

// "Отчёт по лабораторной работе": the title page's fields, the analysed planes to include and
// whether to add every table in an appendix. What it asks is the report's only; the window keeps
// the fields for the session and never writes them to disk.
class ReportDialog : public QDialog
{
    Q_OBJECT

public:
    // What the student chose.
    struct Choice
    {
        ReportFields fields;
        QList<int> included; // indexes into the session's analysed()
        bool fullTables = false;
    };

    ReportDialog(const LabSession &session, const ReportFields &fields, QWidget *parent = nullptr);

    Choice choice() const;

    // Asks over parent; none when the student cancels.
    static std::optional<Choice> ask(
        QWidget *parent, const LabSession &session, const ReportFields &fields);

private:
    QHash<QString, QLineEdit *> edits;
    QListWidget *planes = nullptr;
    QCheckBox *fullTables = nullptr;
};
