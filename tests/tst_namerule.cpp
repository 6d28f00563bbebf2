// SPDX-License-Identifier: GPL-3.0-or-later
#include "namecode.h"
#include "namerule.h"
#include "nametable.h"

#include <QRegularExpression>
#include <QTest>

class tst_NameRule : public QObject
{
    Q_OBJECT

private slots:
    void acceptable_data();
    void acceptable();
    void oldNamesStillFit();
};

void tst_NameRule::acceptable_data()
{
    NameTable::addColumns();
    NameTable::addRows();
}

void tst_NameRule::acceptable()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);

    QCOMPARE(NameRule::acceptable(name), accepted);
    QCOMPARE(NameCode::acceptable(name), accepted);
    // A refused name always gets a reason, an accepted one none.
    QCOMPARE(NameRule::problem(name).isEmpty(), accepted);
}

// Every name of the earlier rule (three words, А-Я then а-я or ё, up to 20 letters) still fits:
// a sample of lengths and letters, ё and the word limits included.
void tst_NameRule::oldNamesStillFit()
{
    const QRegularExpression old(QRegularExpression::anchoredPattern(
        QStringLiteral("[А-Я][а-яё]{0,19} [А-Я][а-яё]{0,19} [А-Я][а-яё]{0,19}")));
    const QString small = QStringLiteral("абвгдежзийклмнопрстуфхцчшщъыьэюяё");
    for (int length = 1; length <= 20; ++length) {
        QString word(1, QChar(u'А' + length % 32));
        for (int i = 1; i < length; ++i)
            word += small.at((i * 7 + length) % small.size());
        const QString name = word + QLatin1Char(' ') + word + QStringLiteral(" Яё");
        QVERIFY(old.match(name).hasMatch());
        QVERIFY2(NameRule::acceptable(name), qPrintable(name));
    }
}

QTEST_GUILESS_MAIN(tst_NameRule)
#include "tst_namerule.moc"
