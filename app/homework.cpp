// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwidget.h"

#include "labsession.h"
#include "namecode.h"
#include "namerule.h"
#include "qswitch.h"
#include "ui_mainwidget.h"

namespace {

const QString homeworkTitle = QStringLiteral("Домашнее задание");

} // namespace

QString MainWidget::resultHtml(const QString &title, const QString &status, const QString &color)
{
    const QString paragraph = QStringLiteral(
        "<p align=\"center\" style=\" margin-top:0px; margin-bottom:0px; margin-left:0px; "
        "margin-right:0px; -qt-block-indent:0; text-indent:0px;\"><span style=\" font-size:36pt; "
        "color:#%1;\">%2</span></p>");
    return QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\" "
                          "\"http://www.w3.org/TR/REC-html40/strict.dtd\">"
                          "<html><head><meta name=\"qrichtext\" content=\"1\" />"
                          "<style type=\"text/css\"> p, li { white-space: pre-wrap; }</style>"
                          "</head><body style=\" font-family:'MS Shell Dlg 2'; font-size:8.25pt; "
                          "font-weight:400; font-style:normal;\">")
        + paragraph.arg(color, title.toHtmlEscaped()) + QLatin1Char(' ')
        + paragraph.arg(color, status.toHtmlEscaped()) + QStringLiteral("</body></html>");
}

void MainWidget::showVerdict(const QString &status, const QString &color)
{
    ui->label_6->setText(resultHtml(homeworkTitle, status, color));
    announceVerdict();
}

void MainWidget::onApplay(bool)
{
    if (modeSwitch->value()) {
        // Skipped homework: the lab is open, but only for a picture of the student's own.
        session->skipHomework();
        showVerdict(QStringLiteral("не выполнено!"), QStringLiteral("0055ff"));
        ui->tab_2->setEnabled(true);
        ui->lineEdit_3->setVisible(true);
        ui->pushButton_2->setVisible(true);
        ui->comboBox->setVisible(false);
        return;
    }

    QString name = ui->lineEdit->text();
    // A two-word name is complete, but its field still takes a space for a third word: a space
    // left at the end is not part of the name. It goes from the field too, in sight.
    if (name.endsWith(QLatin1Char(' ')) && NameRule::acceptable(name.chopped(1))) {
        name.chop(1);
        ui->lineEdit->setText(name);
    }
    // An empty or incomplete name: the message says what is missing, and nothing else changes.
    const QString refusal = LabSession::nameRefusal(name);
    if (!refusal.isEmpty()) {
        modalDialogs->messageBox(homeworkTitle, refusal);
        return;
    }

    const NameStatistics statistics = NameCode::analyse(name);
    letterCounts = statistics.letterCounts;
    letterProbabilities = statistics.letterProbabilities;

    const HomeworkOutcome::Verdict verdict = session->checkHomework(name, ui->lineEdit_2->text());
    if (verdict == HomeworkOutcome::Verdict::Right) {
        showVerdict(QStringLiteral("выполнено верно!"), QStringLiteral("55aa7f"));
        ui->tab_2->setEnabled(true);
        ui->comboBox->setVisible(true);
        ui->lineEdit_3->setVisible(false);
        ui->pushButton_2->setVisible(false);
    } else {
        showVerdict(QStringLiteral("выполнено неверно!"), QStringLiteral("ff0000"));
        ui->tab_2->setEnabled(false);
    }
}
