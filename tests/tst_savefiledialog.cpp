// SPDX-License-Identifier: GPL-3.0-or-later
#include "savefiledialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestSaveFileDialog : public QObject
{
    Q_OBJECT

private slots:
    void suffix_data();
    void suffix();
};

void TestSaveFileDialog::suffix_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("asked"); // whether the dialog asked before replacing

    QTest::newRow("no suffix: the filter's") << "итоги" << 0 << "итоги.csv" << false;
    QTest::newRow("suffix typed") << "итоги.csv" << 0 << "итоги.csv" << false;
    QTest::newRow("all files: as typed") << "итоги" << 1 << "итоги" << false;
    QTest::newRow("no suffix, the .csv exists: asked about it")
        << "старые" << 0 << "старые.csv" << true;
}

// The name comes back as it will be written, and the replace question is about that file.
void TestSaveFileDialog::suffix()
{
    QFETCH(QString, typed);
    QFETCH(int, filterIndex);
    QFETCH(QString, chosen);
    QFETCH(bool, asked);

    QTemporaryDir dir;
    QFile old(dir.filePath(QStringLiteral("старые.csv")));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.close();

    bool question = false;
    QTimer answer;
    answer.setInterval(20);
    connect(&answer, &QTimer::timeout, this, [&] {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(top);
            if (box && box->isVisible()) {
                question = true;
                box->button(QMessageBox::Yes)->click();
                return;
            }
        }
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            if (dialog->property("typed").toBool())
                return;
            dialog->setProperty("typed", true);
            if (filterIndex > 0) { // another filter picked, as a click on it does
                auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
                types->setCurrentIndex(filterIndex);
                emit types->textActivated(types->currentText());
            }
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(typed);
            // Later: the replace question runs its own loop, inside which this timer stays
            // quiet until its handler returns.
            QTimer::singleShot(0, dialog, [dialog] {
                QTest::keyClick(
                    dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")), Qt::Key_Return);
            });
        }
    });
    answer.start();
    const QString path = SaveFileDialog::getSaveFileName(nullptr, QStringLiteral("Сохранить"),
        dir.path(), QStringLiteral("Таблица CSV (*.csv);;Все файлы (*)"));
    QCOMPARE(path, dir.filePath(chosen));
    QCOMPARE(question, asked);
}

QTEST_MAIN(TestSaveFileDialog)
#include "tst_savefiledialog.moc"
