// SPDX-License-Identifier: GPL-3.0-or-later
// The lab's state without a window: pictures in and their planes, the dial, the planes analysed
// in a session with what was typed for them, and their checks.

#include "bitplanes.h"
#include "greyconversion.h"
#include "labsession.h"
#include "pixelmemory.h"
#include "planestatistics.h"
#include "sessionrecord.h"
#include "testpictures.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

using namespace TestPictures;

namespace {

QImage grey(quint32 seed = 1)
{
    return picture(Kind::Grayscale8, 31, 20, Content::Noise, seed);
}

QImage colour()
{
    return picture(Kind::Rgb888, 17, 12, Content::Noise, 7);
}

} // namespace

class tst_LabSession : public QObject
{
    Q_OBJECT

private slots:
    void greyPictureIsSplitAndItsPlaneAnalysed();
    void dialAnalysesEachPlaneOnceInOrder();
    void typedCodesAndVerdictFollowTheirPlane();
    void colourPictureWholeThenConverted();
    void noPictureKeepsPlanesForTheDial();
    void samePictureNameWithOtherCodesDropsTheVerdict();
    void planeGivenAsItIs();
    void homeworkChecked_data();
    void homeworkChecked();
    void homeworkGoesStale_data();
    void homeworkGoesStale();
    void incompleteName_data();
    void incompleteName();
    void shortOfMemoryChangesNothing();
    void recordReadsBack();
    void damagedRecordRefused_data();
    void damagedRecordRefused();
};

void tst_LabSession::greyPictureIsSplitAndItsPlaneAnalysed()
{
    LabSession session;
    session.selectPlane(2); // remembered before any picture
    QSignalSpy pictures(&session, &LabSession::pictureChanged);
    QSignalSpy analyses(&session, &LabSession::planeAnalysed);
    QVERIFY(session.load(grey(), QStringLiteral("Лена")).isEmpty());

    QVERIFY(session.isSplit());
    QVERIFY(!session.isColour());
    const QList<QImage> split = BitPlanes::split(grey());
    for (int plane = 0; plane < LabSession::planeCount; ++plane)
        QCOMPARE(session.planes()[size_t(plane)], split.at(plane));
    QCOMPARE(pictures.size(), 1);
    QCOMPARE(analyses.size(), 1);
    QCOMPARE(session.analysed().size(), 1);
    const AnalysedPlane &analysed = session.analysed().constFirst();
    QCOMPARE(analysed.picture, QStringLiteral("Лена"));
    QCOMPARE(analysed.plane, 3);
    QCOMPARE(session.currentImage(), split.at(2));
    QCOMPARE(analysed.statistics.codes, PlaneStatistics::of(split.at(2)).codes);
    QCOMPARE(analysed.typed, QStringList(5, QString()));
}

void tst_LabSession::dialAnalysesEachPlaneOnceInOrder()
{
    LabSession session;
    session.load(grey(), QStringLiteral("a"));
    for (const int plane : {4, 7, 0, 4})
        session.selectPlane(plane);
    QList<int> planes;
    for (const AnalysedPlane &analysed : session.analysed())
        planes.append(analysed.plane);
    QCOMPARE(planes, (QList<int> {1, 5, 8}));
    QCOMPARE(session.currentIndex(), 1);
    QCOMPARE(session.currentPlane()->plane, 5);
    session.selectPlane(8); // past the dial: nothing
    QCOMPARE(session.planeIndex(), 4);
}

void tst_LabSession::typedCodesAndVerdictFollowTheirPlane()
{
    LabSession session;
    session.load(grey(), QStringLiteral("a"));
    const QStringList hidden = session.currentPlane()->hiddenCodes();
    QCOMPARE(hidden.size(), 5);
    for (int row = 0; row < 5; ++row)
        session.setTyped(row, hidden.at(row));
    session.setTyped(3, hidden.at(3) + QLatin1Char('0'));
    QCOMPARE(session.check(), std::optional<bool>(false));
    QCOMPARE(session.currentPlane()->wrongRows(), QList<int> {3});

    session.selectPlane(5);
    QCOMPARE(session.currentPlane()->typed, QStringList(5, QString()));
    QVERIFY(!session.currentPlane()->verdict);
    session.selectPlane(0);
    QCOMPARE(session.currentPlane()->verdict, std::optional<bool>(false));
    QVERIFY(session.currentPlane()->verdictIsCurrent());

    QSignalSpy typed(&session, &LabSession::typedChanged);
    session.setTyped(3, hidden.at(3));
    QCOMPARE(typed.size(), 1);
    QVERIFY(!session.currentPlane()->verdictIsCurrent()); // edited since the check
    QCOMPARE(session.check(), std::optional<bool>(true));
    QVERIFY(session.currentPlane()->verdictIsCurrent());
    QCOMPARE(session.analysed().at(1).verdict, std::nullopt); // plane 6 never checked
}

void tst_LabSession::colourPictureWholeThenConverted()
{
    LabSession session;
    session.load(grey(), QStringLiteral("a"));
    session.load(colour(), QStringLiteral("photo.jpg"));
    QVERIFY(session.isColour());
    for (const QImage &plane : session.planes())
        QVERIFY(plane.isNull()); // the grey picture's planes do not come back under this name
    QCOMPARE(session.currentPlane()->plane, 0);
    QCOMPARE(session.currentImage(), colour());

    QSignalSpy analyses(&session, &LabSession::planeAnalysed);
    session.selectPlane(3);
    QCOMPARE(analyses.size(), 0);

    QVERIFY(session.convertToGrey().isEmpty());
    QVERIFY(session.isSplit());
    QCOMPARE(session.pictureName(), GreyConversion::nameOf(QStringLiteral("photo.jpg")));
    QCOMPARE(session.planes()[3], BitPlanes::split(GreyConversion::toGrey(colour())).at(3));
    QCOMPARE(session.currentPlane()->plane, 4);
    QCOMPARE(session.analysed().size(), 3);
    QVERIFY(session.convertToGrey().isEmpty()); // a grey picture: nothing to do
    QCOMPARE(session.analysed().size(), 3);
}

void tst_LabSession::noPictureKeepsPlanesForTheDial()
{
    LabSession session;
    session.load(grey(), QStringLiteral("a"));
    session.load(QImage(), QString());
    QVERIFY(session.picture().isNull());
    QVERIFY(!session.isSplit() && !session.isColour());
    QCOMPARE(session.planesName(), QStringLiteral("a"));
    QCOMPARE(session.currentIndex(), 0); // the last analysis stays in view

    session.selectPlane(4);
    QCOMPARE(session.pictureName(), QStringLiteral("a"));
    QCOMPARE(session.picture(), grey());
    QCOMPARE(session.currentPlane()->plane, 5);
    QCOMPARE(session.currentPlane()->source, grey());
}

void tst_LabSession::samePictureNameWithOtherCodesDropsTheVerdict()
{
    LabSession session;
    session.load(grey(1), QStringLiteral("photo.bmp"));
    for (int row = 0; row < 5; ++row)
        session.setTyped(row, session.currentPlane()->hiddenCodes().at(row));
    session.check();
    // The file was replaced by another picture under the same name.
    QImage other = grey(1);
    other.fill(0);
    session.load(other, QStringLiteral("photo.bmp"));
    QCOMPARE(session.analysed().size(), 1);
    QVERIFY(!session.currentPlane()->verdict);
    QCOMPARE(session.currentPlane()->hiddenCount(), 1); // one block type: one hidden code
    QCOMPARE(session.currentPlane()->typed.size(), 1);
}

void tst_LabSession::planeGivenAsItIs()
{
    LabSession session;
    session.load(grey(), QStringLiteral("a"));
    const QImage plane = planeOfPatterns({0, 0, 1, 2}, 4);
    QSignalSpy analyses(&session, &LabSession::planeAnalysed);
    session.analyseImage(QImage(), QStringLiteral("Лена"), 3);
    QCOMPARE(analyses.size(), 0);

    session.analyseImage(plane, QStringLiteral("Лена"), 3);
    QCOMPARE(analyses.size(), 1);
    QCOMPARE(session.currentIndex(), 1);
    QCOMPARE(session.currentImage(), plane);
    QCOMPARE(session.currentPlane()->picture, QStringLiteral("Лена"));
    QCOMPARE(session.currentPlane()->plane, 3);
    QCOMPARE(session.currentPlane()->statistics.codes, PlaneStatistics::of(plane).codes);
    QCOMPARE(session.currentPlane()->typed, QStringList(3, QString()));
    QCOMPARE(session.pictureName(), QStringLiteral("a")); // the picture in view stays

    // The same plane again: one entry, what was typed for it back.
    session.setTyped(0, QStringLiteral("1"));
    session.analyseImage(plane, QStringLiteral("Лена"), 3);
    QCOMPARE(session.analysed().size(), 2);
    QCOMPARE(session.currentPlane()->typed.at(0), QStringLiteral("1"));
    session.analyseImage(plane, QStringLiteral("Лена"), 4);
    QCOMPARE(session.analysed().size(), 3);
    QCOMPARE(session.currentPlane()->typed, QStringList(3, QString()));
}

Q_DECLARE_METATYPE(HomeworkOutcome::Verdict)

void tst_LabSession::homeworkChecked_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("counters");
    QTest::addColumn<HomeworkOutcome::Verdict>("verdict");
    QTest::addColumn<QString>("kind");

    const QString name = QStringLiteral("Мама Мыла Раму");
    QTest::newRow("right") << name << "0,3,0,4" << HomeworkOutcome::Verdict::Right << "right";
    QTest::newRow("leading zero is no number")
        << name << "0,3,0,04" << HomeworkOutcome::Verdict::Wrong << "format";
    QTest::newRow("other tie break")
        << name << "0,2,3,2" << HomeworkOutcome::Verdict::Wrong << "tie";
    QTest::newRow("kraft sum above 1")
        << name << "3,0,4" << HomeworkOutcome::Verdict::Wrong << "kraft";
    QTest::newRow("empty name checks nothing")
        << QString() << "0,3,0,4" << HomeworkOutcome::Verdict::None << "";
}

void tst_LabSession::homeworkGoesStale_data()
{
    QTest::addColumn<bool>("skip");
    QTest::addColumn<QString>("name"); // in the field after the press
    QTest::addColumn<QString>("counters");
    QTest::addColumn<bool>("current");
    QTest::newRow("as checked") << false << "Мама Мыла Раму"
                                << "0,3,0,4" << true;
    QTest::newRow("name edited") << false << "Мама Мыла Рамы"
                                 << "0,3,0,4" << false;
    QTest::newRow("counters edited") << false << "Мама Мыла Раму"
                                     << "0,3,0" << false;
    QTest::newRow("a skip speaks for no field") << true << "Мама"
                                                << "1" << true;
}

// A check's verdict speaks for the name and counters it checked, and for nothing typed since.
void tst_LabSession::homeworkGoesStale()
{
    QFETCH(bool, skip);
    QFETCH(QString, name);
    QFETCH(QString, counters);
    QFETCH(bool, current);
    LabSession session;
    if (skip)
        session.skipHomework();
    else
        session.checkHomework(QStringLiteral("Мама Мыла Раму"), QStringLiteral("0,3,0,4"));
    QCOMPARE(session.homework().isCurrentFor(name, counters), current);
    QVERIFY(session.homework().opensLab());
}

void tst_LabSession::incompleteName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("counters"); // right for the name
    QTest::addColumn<QString>("said"); // in the message box's text
    QTest::newRow("empty") << ""
                           << ""
                           << "Не введены фамилия, имя и отчество.\n";
    QTest::newRow("one word") << "Ааа"
                              << "1"
                              << "одно слово, а нужны фамилия и имя";
    QTest::newRow("one word, two letters") << "Мама"
                                           << "2"
                                           << "одно слово";
    QTest::newRow("small letters") << "мама мыла раму"
                                   << "0,3,0,4"
                                   << "со строчной буквы";
    QTest::newRow("four words") << "Ааа Ббб Ввв Ггг"
                                << "0,3,0,4"
                                << "не больше трех";
}

// A name the name rule does not take as complete checks nothing, however right its counters:
// the earlier verdict stays, and the message says what is missing.
void tst_LabSession::incompleteName()
{
    QFETCH(QString, name);
    QFETCH(QString, counters);
    QFETCH(QString, said);

    LabSession session;
    QCOMPARE(session.checkHomework(QStringLiteral("Мама Мыла Раму"), QStringLiteral("0,3,0")),
        HomeworkOutcome::Verdict::Wrong);
    QSignalSpy changes(&session, &LabSession::homeworkChanged);
    QCOMPARE(session.checkHomework(name, counters), HomeworkOutcome::Verdict::None);
    QCOMPARE(changes.size(), 0);
    QCOMPARE(session.homework().verdict, HomeworkOutcome::Verdict::Wrong);
    QCOMPARE(session.homework().name, QStringLiteral("Мама Мыла Раму"));
    const QString refusal = LabSession::nameRefusal(name);
    QVERIFY2(refusal.contains(said), qPrintable(refusal));
    QVERIFY(LabSession::nameRefusal(QStringLiteral("Ли Вэй")).isEmpty());
}

void tst_LabSession::homeworkChecked()
{
    QFETCH(QString, name);
    QFETCH(QString, counters);
    QFETCH(HomeworkOutcome::Verdict, verdict);
    QFETCH(QString, kind);

    LabSession session;
    QSignalSpy changes(&session, &LabSession::homeworkChanged);
    QCOMPARE(session.checkHomework(name, counters), verdict);
    QCOMPARE(session.homework().verdict, verdict);
    QCOMPARE(changes.size(), verdict == HomeworkOutcome::Verdict::None ? 0 : 1);
    QCOMPARE(session.homework().kind, kind);
    QCOMPARE(session.homework().name, verdict == HomeworkOutcome::Verdict::None ? QString() : name);
    // The text the homework tab shows says why, only for a wrong answer.
    QCOMPARE(session.homework().diagnosis.isEmpty(), verdict != HomeworkOutcome::Verdict::Wrong);
    QCOMPARE(session.homework().opensLab(), verdict == HomeworkOutcome::Verdict::Right);

    session.skipHomework();
    QCOMPARE(session.homework().verdict, HomeworkOutcome::Verdict::Skipped);
    QVERIFY(session.homework().name.isEmpty());
    QVERIFY(session.homework().opensLab() && !session.homework().builtInPictures());
}

void tst_LabSession::shortOfMemoryChangesNothing()
{
    LabSession session;
    session.load(grey(1), QStringLiteral("a"));
    const std::array<QImage, LabSession::planeCount> planes = session.planes();
    QSignalSpy pictures(&session, &LabSession::pictureChanged);
    QSignalSpy analyses(&session, &LabSession::planeAnalysed);
    {
        const auto lift = qScopeGuard([] { PixelMemory::failAfter(-1); });
        PixelMemory::failAfter(0);
        // Another size: the planes cannot take the stores of the last ones.
        const QImage larger = picture(Kind::Grayscale8, 40, 30, Content::Noise, 2);
        QVERIFY(!session.load(larger, QStringLiteral("b")).isEmpty());
    }
    QCOMPARE(pictures.size(), 0);
    QCOMPARE(analyses.size(), 0);
    QCOMPARE(session.pictureName(), QStringLiteral("a"));
    QCOMPARE(session.picture(), grey(1));
    for (int plane = 0; plane < LabSession::planeCount; ++plane)
        QCOMPARE(session.planes()[size_t(plane)].cacheKey(), planes[size_t(plane)].cacheKey());
    QCOMPARE(session.analysed().size(), 1);
}

void tst_LabSession::recordReadsBack()
{
    LabSession session;
    HomeworkOutcome homework;
    homework.verdict = HomeworkOutcome::Verdict::Right;
    homework.name = QStringLiteral("Мама Мыла Раму");
    homework.counters = QStringLiteral("0,3,0,4");
    homework.kind = QStringLiteral("right");
    session.setHomework(homework);
    session.setVariant(7);
    session.load(grey(), QStringLiteral("own \"<&>\".bmp"));
    session.setTyped(1, QStringLiteral("01"));
    session.check();
    session.selectPlane(6);

    const SessionRecord record = SessionRecord::of(session, {1, 0});
    const std::optional<SessionRecord> back = SessionRecord::fromJson(record.toJson());
    QVERIFY(back);
    QCOMPARE(back->name, QStringLiteral("Мама Мыла Раму"));
    QCOMPARE(back->homework, HomeworkOutcome::Verdict::Right);
    QCOMPARE(back->counters, QStringLiteral("0,3,0,4"));
    QCOMPARE(back->variant, std::optional<int>(7));
    QCOMPARE(back->planes.size(), 2);
    const SessionRecord::Plane &checkedPlane = back->planes.at(1);
    QCOMPARE(back->planes.at(0).plane, 7);
    QCOMPARE(checkedPlane.picture, QStringLiteral("own \"<&>\".bmp"));
    QVERIFY(!checkedPlane.builtIn);
    QCOMPARE(checkedPlane.fingerprint, SessionRecord::fingerprint(grey()));
    QVERIFY(checkedPlane.fingerprint != SessionRecord::fingerprint(grey(2)));
    QCOMPARE(checkedPlane.typed.at(1), QStringLiteral("01"));
    QCOMPARE(checkedPlane.verdict, std::optional<bool>(false));
    QVERIFY(checkedPlane.verdictCurrent);
    const PlaneStatistics &stats = session.analysed().at(0).statistics;
    QCOMPARE(checkedPlane.types, int(stats.types.size()));
    QCOMPARE(checkedPlane.entropy, QString::number(double(stats.entropy), 'g', 6));
    QCOMPARE(checkedPlane.histogram.size(), stats.types.size());
    QCOMPARE(checkedPlane.histogram.at(0).second, stats.types.at(0).count);
}

void tst_LabSession::damagedRecordRefused_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("not JSON") << QByteArray("{\"program\": \"huffman-lab\",");
    QTest::newRow("another program's") << QByteArray(R"({"program": "other", "format": 1})");
    QTest::newRow("later format") << QByteArray(R"({"program": "huffman-lab", "format": 2})");
    const QByteArray head = R"({"program": "huffman-lab", "format": 1, "name": "", "counters": "",)"
                            R"( "kind": "", "homework": "right", )";
    QTest::newRow("unknown verdict")
        << QByteArray(head).replace("right", "done") + R"("planes": []})";
    const QByteArray plane = R"("planes": [{"picture": "a", "averageLength": "1", "entropy": "1",)"
                             R"( "width": 3, "height": 3, "types": 1, "blocks": 1, )";
    QTest::newRow("plane 9") << head + plane + R"("plane": 9}]})";
    QTest::newRow("negative width")
        << head + QByteArray(plane).replace("3,", "-3,") + R"("plane": 1}]})";
    QTest::newRow("pattern 512") << head + plane + R"("plane": 1, "histogram": [[512, 1]]}]})";
    QTest::newRow("six codes") << head + plane + R"("plane": 1, "typed": ["","","","","",""]}]})";
    QTest::newRow("fractional count") << head + plane + R"("plane": 1, "histogram": [[1, 0.5]]}]})";
}

void tst_LabSession::damagedRecordRefused()
{
    QFETCH(QByteArray, json);
    QString error;
    QVERIFY(!SessionRecord::fromJson(json, &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(tst_LabSession)
#include "tst_labsession.moc"
