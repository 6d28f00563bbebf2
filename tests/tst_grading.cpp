// SPDX-License-Identifier: GPL-3.0-or-later
// Handed-in files read and judged: by working the answers out again, never by what a file says.

#include "handedin.h"
#include "keygrading.h"
#include "submission.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using KeyGrading::Grader;
using KeyGrading::Judgement;

namespace {

const QString name = QStringLiteral("Мама Мыла Раму");
const QString counters = QStringLiteral("0,3,0,4");
const QString lena = QStringLiteral("Лена");
const QString barbara = QStringLiteral("Барбара");
const QList<KeyGrading::VariantPlane> variants {{lena, 1}, {barbara, 2}};

SessionRecord right(std::optional<int> variant = {})
{
    return variant == 2 ? HandedIn::record(name, counters, barbara, 2, 2)
                        : HandedIn::record(name, counters, lena, 1, variant);
}

// The right record with row 3's code changed; the file may still say the check was right.
SessionRecord wrongCode(bool claimedRight)
{
    SessionRecord record = right();
    SessionRecord::Plane &plane = record.planes.first();
    plane.typed[2] += QLatin1Char('1');
    plane.verdict = claimedRight;
    plane.verdictCurrent = claimedRight;
    return record;
}

// The first analysed plane of a picture the student opened from a file of their own.
SessionRecord ownPicture(int widthInFile)
{
    LabSession lab;
    lab.setHomework(
        {HomeworkOutcome::Verdict::Right, name, counters, QStringLiteral("right"), QString()});
    QImage picture = PictureReader::read(BuiltInPictures::resourcePath(lena)).image;
    picture = picture.copy(0, 0, 100, 70); // 34 x 24 blocks, the last column and row cut short
    lab.load(picture, QStringLiteral("фото.bmp"));
    const QStringList hidden = lab.currentPlane()->hiddenCodes();
    for (int row = 0; row < hidden.size(); ++row)
        lab.setTyped(row, hidden.at(row));
    SessionRecord record = SessionRecord::of(lab, {0});
    record.planes.first().width = widthInFile;
    return record;
}

// An ODT whose data entry inflates far past any session's: a zip bomb in small.
QByteArray bomb()
{
    QByteArray json = right().toJson();
    json.insert(json.indexOf('{') + 1, QByteArray(20 * 1024 * 1024, ' '));
    return HandedIn::odt(json);
}

// The same package with the data entry's size in the central directory said to be 1000 bytes.
QByteArray understated(QByteArray odt)
{
    const qsizetype header = odt.lastIndexOf(SessionRecord::packageEntry().toUtf8()) - 46;
    const char size[4] = {char(0xe8), char(0x03), 0, 0};
    odt.replace(header + 24, 4, size, 4);
    return odt;
}

} // namespace

class tst_Grading : public QObject
{
    Q_OBJECT

private slots:
    void judged_data();
    void judged();
    void hugeFilesRefusedUnread();
    void moodleNames_data();
    void moodleNames();
};

void tst_Grading::judged_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("assigned"); // 0: no class list
    QTest::addColumn<QString>("verdict"); // empty: no record read
    QTest::addColumn<QString>("codes");
    QTest::addColumn<QString>("reason"); // a part of the reason, or of why the file gave nothing

    const QByteArray report = HandedIn::odt(right());
    QTest::newRow("a right report") << "report.odt" << report << 0 << "зачтено"
                                    << "5 из 5"
                                    << "все верно; «Лена», плоскость 1";
    QTest::newRow("the right results file") << "results.json" << right().toJson() << 0 << "зачтено"
                                            << "5 из 5"
                                            << "все верно";
    QTest::newRow("a wrong code") << "report.odt" << HandedIn::odt(wrongCode(false)) << 0
                                  << "не зачтено"
                                  << "4 из 5"
                                  << "плоскость 1: в строке 3 введено «";
    QTest::newRow("a claim over a wrong code")
        << "report.odt" << HandedIn::odt(wrongCode(true)) << 0 << "не зачтено"
        << "4 из 5"
        << "в файле проверка отмечена как верная, но коды неверны";
    QTest::newRow("the variant the class list gives")
        << "report.odt" << HandedIn::odt(right(2)) << 2 << "зачтено"
        << "5 из 5"
        << "«Барбара», плоскость 2";
    QTest::newRow("another variant than the class list gives")
        << "report.odt" << HandedIn::odt(right(2)) << 1 << "не зачтено"
        << "5 из 5"
        << "работа по варианту 2, а по списку группы — вариант 1";
    QTest::newRow("the file's own variant, without a class list")
        << "report.odt" << HandedIn::odt(right(1)) << 0 << "зачтено"
        << "5 из 5"
        << "все верно";
    QTest::newRow("no variant, the class list's plane missing")
        << "report.odt" << report << 2 << "не зачтено"
        << ""
        << "в работе нет плоскости 2 изображения «Барбара» (вариант 2)";
    SessionRecord wrongHomework = right();
    wrongHomework.counters = QStringLiteral("0,3,1,3");
    QTest::newRow("homework marked right over wrong counters")
        << "report.odt" << HandedIn::odt(wrongHomework) << 0 << "не зачтено"
        << "5 из 5"
        << "домашнее задание неверно: счетчики «0,3,1,3» для «Мама Мыла Раму» (в файле отмечено "
           "как верное)";
    QTest::newRow("own picture, worked out from its table")
        << "report.odt" << HandedIn::odt(ownPicture(100)) << 0 << "зачтено"
        << "5 из 5"
        << "«фото.bmp», плоскость 1; свое изображение";
    QTest::newRow("own picture, table not fitting its size")
        << "report.odt" << HandedIn::odt(ownPicture(103)) << 0 << "не зачтено"
        << ""
        << "таблица типов блоков в файле не согласуется с изображением 103 x 70";
    QTest::newRow("a damaged file") << "report.odt" << report.left(report.size() / 2) << 0 << ""
                                    << ""
                                    << "файл поврежден или обрезан";
    QTest::newRow("a report without the program's data")
        << "report.odt" << HandedIn::odt(QByteArray("{}")).replace("session.json", "session.jsoX")
        << 0 << ""
        << ""
        << "в отчете нет данных программы";
    QTest::newRow("a zip bomb") << "report.odt" << bomb() << 0 << ""
                                << ""
                                << "слишком велика";
    QTest::newRow("a zip bomb understating its size")
        << "report.odt" << understated(bomb()) << 0 << ""
        << ""
        << "запись huffman-lab/session.json повреждена";
    QTest::newRow("a foreign file") << "notes.txt" << QByteArray("hello") << 0 << ""
                                    << ""
                                    << "не отчет и не файл результатов программы";
    QTest::newRow("a PDF") << "report.pdf" << QByteArray("%PDF-1.4") << 0 << ""
                           << ""
                           << "документ без данных программы";
}

void tst_Grading::judged()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(int, assigned);
    QFETCH(QString, verdict);
    QFETCH(QString, codes);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();

    const Submission submission = Submission::read(path);
    if (verdict.isEmpty()) {
        QVERIFY(!submission.record);
        QVERIFY2(submission.problem.contains(reason), qPrintable(submission.problem));
        return;
    }
    QVERIFY2(submission.record, qPrintable(submission.problem));
    Grader grader(variants);
    const Judgement judgement
        = grader.judge(*submission.record, assigned ? std::optional<int>(assigned) : std::nullopt);
    QVERIFY2(judgement.reason().contains(reason), qPrintable(judgement.reason()));
    QCOMPARE(judgement.verdict(), verdict);
    QCOMPARE(judgement.codes, codes);
}

// Sizes are looked at before anything is read: a sparse 1 GB file costs nothing.
void tst_Grading::hugeFilesRefusedUnread()
{
    QTemporaryDir dir;
    for (const char *fileName : {"big.odt", "big.json"}) {
        QFile file(dir.filePath(QLatin1String(fileName)));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(qint64(1) << 30));
        file.close();
        const Submission submission = Submission::read(file.fileName());
        QVERIFY(!submission.record);
        QVERIFY2(submission.problem.startsWith(QStringLiteral("файл слишком велик (1024,0 МБ")),
            qPrintable(submission.problem));
    }
}

void tst_Grading::moodleNames_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("student");
    QTest::addColumn<QString>("number");

    QTest::newRow("a student's folder") << "Иванов Иван Иванович_123456_assignsubmission_file_"
                                        << "Иванов Иван Иванович"
                                        << "123456";
    QTest::newRow("a file of the flat layout")
        << "Сёмин Пётр_42_assignsubmission_file_отчет_1_2.odt"
        << "Сёмин Пётр"
        << "42";
    QTest::newRow("a name of the student's own") << "Иванов_отчет.odt"
                                                 << ""
                                                 << "";
}

void tst_Grading::moodleNames()
{
    QFETCH(QString, fileName);
    QFETCH(QString, student);
    QFETCH(QString, number);

    QString foundStudent;
    QString foundNumber;
    QCOMPARE(Submission::moodleName(fileName, &foundStudent, &foundNumber), !student.isEmpty());
    QCOMPARE(foundStudent, student);
    QCOMPARE(foundNumber, number);
}

QTEST_GUILESS_MAIN(tst_Grading)
#include "tst_grading.moc"
