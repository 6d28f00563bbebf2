// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkittranslation.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

class tst_ToolkitTranslation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fileDialog_data();
    void fileDialog();
};

void tst_ToolkitTranslation::initTestCase()
{
    // Debian's qt6-translations-l10n; build.sh installs it with the build dependencies.
    QVERIFY(ToolkitTranslation::install(*QCoreApplication::instance()));
}

void tst_ToolkitTranslation::fileDialog_data()
{
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("russian");

    QTest::newRow("look in") << "Look in:"
                             << "Перейти к:";
    QTest::newRow("file name") << "File &name:"
                               << "&Имя файла:";
    QTest::newRow("open") << "&Open"
                          << "&Открыть";
    QTest::newRow("cancel") << "Cancel"
                            << "Отмена";
}

void tst_ToolkitTranslation::fileDialog()
{
    QFETCH(QString, english);
    QFETCH(QString, russian);

    // Qt's own dialog, the one a desktop without a platform theme (and Xvfb) shows.
    QFileDialog dialog(nullptr, QStringLiteral("Выбери файл для открытия"), QStringLiteral("../"),
        QStringLiteral("Изображения (*.bmp *.jpg)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QStringList texts;
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        texts << label->text();
    for (const QPushButton *button : dialog.findChildren<QPushButton *>())
        texts << button->text();
    QVERIFY2(texts.contains(russian), qPrintable(texts.join(QLatin1String(" | "))));
    QVERIFY(!texts.contains(english));
}

QTEST_MAIN(tst_ToolkitTranslation)
#include "tst_toolkittranslation.moc"
