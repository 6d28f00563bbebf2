// SPDX-License-Identifier: GPL-3.0-or-later
// "Отчёт…" in the lab: the button writes the session's report in both formats, with the codes
// the student typed.

#include "lab.h"
#include "labsession.h"
#include "reportdialog.h"

#include <QProcess>
#include <QTemporaryDir>

#include <private/qzipreader_p.h>

class tst_LabReportWindow : public QObject
{
    Q_OBJECT

private slots:
    void writesBothFormats();
};

void tst_LabReportWindow::writesBothFormats()
{
#ifdef Q_OS_WIN
    QSKIP("pdftotext and LibreOffice read the report on the Linux test stage");
#endif
    QTemporaryDir dir;
    Lab lab;
    lab.showActive();
    lab.goToLab();
    lab.choose(QStringLiteral("Лена"));
    const QStringList typed {"0", "10", "1111", "1100001", "111"};
    for (int row = 0; row < typed.size(); ++row)
        QVERIFY(lab.typeIntoCell(row, 3, typed.at(row)));
    QPushButton *button = WindowTesting::child<QPushButton>(lab.window, "reportButton");
    QVERIFY(button->isEnabled());
    QCOMPARE(button->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));

    int asked = 0;
    lab.window.dialogs().reportChoice
        = [&](QWidget *, const LabSession &session, const ReportFields &fields) {
              ++asked;
              ReportDialog::Choice choice;
              choice.fields = fields;
              choice.fields.set(ReportFields::group, QStringLiteral("ИБ-201"));
              choice.included = {session.currentIndex()};
              return std::optional<ReportDialog::Choice>(choice);
          };
    for (const QString &format : {QStringLiteral("odt"), QStringLiteral("pdf")}) {
        lab.savedFile = dir.filePath(QStringLiteral("отчёт.") + format);
        lab.messages.clear();
        button->click();
        QVERIFY(QFileInfo::exists(lab.savedFile));
        QCOMPARE(lab.messages.size(), 1);
        QVERIFY2(lab.messages.first().contains(format.toUpper()), qPrintable(lab.messages.first()));
    }
    QCOMPARE(asked, 2);

    // The typed codes, the wrong one too, in either file.
    QZipReader odt(dir.filePath(QStringLiteral("отчёт.odt")));
    const QString content = QString::fromUtf8(odt.fileData(QStringLiteral("content.xml")));
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
        {QStringLiteral("-layout"), dir.filePath(QStringLiteral("отчёт.pdf")),
            QStringLiteral("-")});
    QVERIFY(pdftotext.waitForFinished(60000));
    const QString pdf = QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
    for (int row = 0; row < typed.size(); ++row) {
        QVERIFY2(content.contains(QStringLiteral(">") + typed.at(row) + QStringLiteral("<")),
            qPrintable(typed.at(row)));
        QVERIFY2(pdf.contains(QStringLiteral("%1 %2 ").arg(row + 1).arg(typed.at(row))),
            qPrintable(typed.at(row)));
    }
    QVERIFY(pdf.contains(QStringLiteral("Выполнил: студент группы ИБ-201")));
}

QTEST_MAIN(tst_LabReportWindow)
#include "tst_labreportwindow.moc"
