// SPDX-License-Identifier: GPL-3.0-or-later
// The variants' table: every variant's answers computed from its picture, no two alike, the
// numbering of a group's list, the teacher's variant numbers, and the guide's copy of the table.

#include "builtinpictures.h"
#include "variants.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

class tst_Variants : public QObject
{
    Q_OBJECT

private slots:
    void tableIsNumberedAndBuiltIn();
    void answersAllDiffer();
    void answersOfOneMatchTheTable();
    void handChecked();
    void forStudent_data();
    void forStudent();
    void parse_data();
    void parse();
    void disagreement_data();
    void disagreement();
    void guideListsTheTable();
};

void tst_Variants::tableIsNumberedAndBuiltIn()
{
    const QList<Variant> &all = Variants::all();
    QVERIFY(all.size() >= 30);
    QCOMPARE(Variants::count(), all.size());
    const QStringList pictures = BuiltInPictures::names();
    for (qsizetype i = 0; i < all.size(); ++i) {
        const Variant &variant = all.at(i);
        QCOMPARE(variant.number, int(i + 1));
        QVERIFY2(pictures.contains(variant.picture), qPrintable(variant.picture));
        QVERIFY(variant.plane >= 1 && variant.plane <= 8);
    }
}

// What one student could copy from another: the five codes. Computed, never listed, so a change
// of the analysis or of a picture that makes two variants alike fails here.
void tst_Variants::answersAllDiffer()
{
    const QList<VariantAnswers> answers = Variants::allAnswers();
    QCOMPARE(answers.size(), Variants::count());
    QHash<QString, int> byCodes;
    QSet<QStringList> byAnswers;
    for (const VariantAnswers &variant : answers) {
        QVERIFY2(variant.read, qPrintable(variant.variant.picture));
        QCOMPARE(variant.codes.size(), 5);
        const QString codes = variant.codes.join(QLatin1Char(' '));
        QVERIFY2(!byCodes.contains(codes),
            qPrintable(QStringLiteral("variants %1 and %2 hide the same codes %3")
                           .arg(byCodes.value(codes))
                           .arg(variant.variant.number)
                           .arg(codes)));
        byCodes.insert(codes, variant.variant.number);
        byAnswers.insert(Variants::fields(variant).mid(3));
    }
    QCOMPARE(byAnswers.size(), answers.size());
}

// allAnswers reads each picture once for all its variants; the result is the same as one at a time.
void tst_Variants::answersOfOneMatchTheTable()
{
    const QList<VariantAnswers> answers = Variants::allAnswers();
    for (const VariantAnswers &one : answers)
        QCOMPARE(Variants::fields(Variants::answers(one.variant)), Variants::fields(one));
}

// Read from `huffman-lab-key picture lena.bmp --plane 1`: rows 1 to 5 and the report.
void tst_Variants::handChecked()
{
    const VariantAnswers first = Variants::answers(*Variants::variant(1));
    QCOMPARE(Variants::fields(first),
        QStringList({"1", "Лена", "1", "418", "2.70677", "2.60565", "0", "10", "1100000", "1100001",
            "1100010"}));
}

void tst_Variants::forStudent_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("variant");

    const int last = Variants::count();
    QTest::newRow("first") << 1 << 1;
    QTest::newRow("last variant") << last << last;
    QTest::newRow("restart after the last") << last + 1 << 1;
    QTest::newRow("35th of a group of 35") << 35 << 35 - last;
    QTest::newRow("second round's end") << 2 * last << last;
    QTest::newRow("third round") << 2 * last + 1 << 1;
    QTest::newRow("no position") << 0 << 0;
}

void tst_Variants::forStudent()
{
    QFETCH(int, position);
    QFETCH(int, variant);
    QCOMPARE(Variants::forStudent(position), variant);
}

void tst_Variants::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number"); // 0: refused
    QTest::addColumn<QString>("error");

    const QString last = QString::number(Variants::count());
    const QString outside = QStringLiteral("варианты пронумерованы от 1 до ") + last;
    QTest::newRow("first") << "1" << 1 << "";
    QTest::newRow("last, with spaces") << " " + last + " " << Variants::count() << "";
    QTest::newRow("zero") << "0" << 0 << "варианта 0 нет: " + outside;
    QTest::newRow("past the last")
        << QString::number(Variants::count() + 1) << 0
        << QStringLiteral("варианта %1 нет: ").arg(Variants::count() + 1) + outside;
    QTest::newRow("negative") << "-3" << 0 << "варианта -3 нет: " + outside;
    QTest::newRow("a word") << "пять" << 0
                            << "номер варианта — целое число от 1 до " + last + ", а не «пять»";
    QTest::newRow("empty") << "" << 0
                           << "номер варианта — целое число от 1 до " + last + ", а не «»";
}

void tst_Variants::parse()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QFETCH(QString, error);

    QString why;
    const std::optional<Variant> variant = Variants::parse(text, &why);
    QCOMPARE(variant.has_value(), number != 0);
    if (variant)
        QCOMPARE(variant->number, number);
    QCOMPARE(why, error);
}

void tst_Variants::disagreement_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<int>("plane");
    QTest::addColumn<QString>("said");

    const QString intro = QStringLiteral("вариант 1 — изображение «Лена», плоскость 1, а задано: ");
    QTest::newRow("both agree") << "Лена" << 1 << "";
    QTest::newRow("neither given") << "" << 0 << "";
    QTest::newRow("picture only, agreeing") << "Лена" << 0 << "";
    QTest::newRow("another picture") << "Барбара" << 1 << intro + "изображение «Барбара»";
    QTest::newRow("another plane") << "" << 3 << intro + "плоскость 3";
    QTest::newRow("both other") << "Гравий" << 8 << intro + "изображение «Гравий», плоскость 8";
}

void tst_Variants::disagreement()
{
    QFETCH(QString, picture);
    QFETCH(int, plane);
    QFETCH(QString, said);
    QCOMPARE(Variants::disagreement(*Variants::variant(1), picture, plane), said);
}

// The student's guide shows the table: it must be this one.
void tst_Variants::guideListsTheTable()
{
    QFile file(QStringLiteral(":/help/guide.md"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString guide = QString::fromUtf8(file.readAll());
    const qsizetype start = guide.indexOf(QStringLiteral("\n### Варианты\n"));
    QVERIFY(start >= 0);
    const QString section
        = guide.mid(start, guide.indexOf(QStringLiteral("\n### "), start + 1) - start);

    // "| 1 | Лена | 1 |" cells, two variants a row.
    static const QRegularExpression cells(
        QStringLiteral(R"(\|\s*(\d+)\s*\|\s*([^|]+?)\s*\|\s*(\d)\s*(?=\|))"));
    QMap<int, QString> listed;
    for (auto match = cells.globalMatch(section); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        listed.insert(
            found.captured(1).toInt(), found.captured(2) + QLatin1Char('/') + found.captured(3));
    }
    QMap<int, QString> table;
    for (const Variant &variant : Variants::all())
        table.insert(
            variant.number, variant.picture + QLatin1Char('/') + QString::number(variant.plane));
    QCOMPARE(listed, table);
}

QTEST_GUILESS_MAIN(tst_Variants)
#include "tst_variants.moc"
