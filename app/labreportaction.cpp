// SPDX-License-Identifier: GPL-3.0-or-later
#include "labreportaction.h"

#include "dialogs.h"
#include "labreport.h"
#include "labsession.h"

#include "savefiledialog.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>

namespace {

const QString title = QStringLiteral("Отчёт по лабораторной работе");

} // namespace

LabReportAction::LabReportAction(
    const LabSession *session, std::shared_ptr<const Dialogs> dialogs, QWidget *window)
    : QObject(window)
    , session(session)
    , dialogs(std::move(dialogs))
    , window(window)
{
    // An icon beside the save button's, so that the column of buttons keeps its width and the
    // table its room; the name is in the tool tip and for the screen reader.
    reportButton = new QPushButton(window);
    reportButton->setIcon(window->style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    reportButton->setFlat(true);
    reportButton->setMaximumHeight(75);
    reportButton->setAccessibleName(QStringLiteral("Отчёт…"));
    reportButton->setObjectName(QStringLiteral("reportButton"));
    reportButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    reportButton->setToolTip(
        QStringLiteral("Отчёт… — отчёт по лабораторной работе в ODT или PDF (Ctrl+R)"));
    reportButton->setAccessibleDescription(
        QStringLiteral("Записать отчёт по лабораторной работе в файл ODT или PDF"));
    reportButton->setAutoDefault(false);
    reportButton->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    // A report is of analysed planes: there is one after the first analysis.
    reportButton->setEnabled(!session->analysed().isEmpty());
    connect(session, &LabSession::planeAnalysed, reportButton,
        [this] { reportButton->setEnabled(true); });
    connect(reportButton, &QPushButton::clicked, this, &LabReportAction::write);
}

bool LabReportAction::write()
{
    // The homework's name is the student's, unless they typed another one this session.
    if (fields.value(ReportFields::student).isEmpty())
        fields.set(ReportFields::student, session->homework().name);
    const std::optional<ReportDialog::Choice> choice
        = dialogs->reportChoice(window, *session, fields);
    if (!choice)
        return false;
    fields = choice->fields;

    lastFolder = SaveFileDialog::startFolder(lastFolder);
    const QString name = fields.value(ReportFields::student).isEmpty()
        ? QStringLiteral("Отчёт")
        : QStringLiteral("Отчёт — ") + fields.value(ReportFields::student);
    QString path = dialogs->saveFileName(window, title,
        QDir(lastFolder).filePath(name + QStringLiteral(".odt")),
        QStringLiteral("Документ ODT (*.odt);;Документ PDF (*.pdf)"));
    if (path.isEmpty())
        return false;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("odt") && suffix != QLatin1String("pdf"))
        path += QStringLiteral(".odt");
    lastFolder = QFileInfo(path).absolutePath();

    const LabReport::Input input
        = LabReport::fromSession(*session, choice->included, fields, choice->fullTables);
    const FileSaver::Result saved = LabReport::save(path, LabReport::document(input));
    if (!saved.ok()) {
        dialogs->warning(title,
            QStringLiteral("Не удалось сохранить отчёт\n%1\n%2")
                .arg(QDir::toNativeSeparators(saved.failedPath), saved.reason));
        return false;
    }
    dialogs->messageBox(title,
        QStringLiteral("Отчёт сохранён (%1, плоскостей: %2):\n%3")
            .arg(LabReport::formatOf(path) == LabReport::Format::Pdf ? QStringLiteral("PDF")
                                                                     : QStringLiteral("ODT"))
            .arg(input.planes.size())
            .arg(QDir::toNativeSeparators(path)));
    return true;
}
