// SPDX-License-Identifier: GPL-3.0-or-later
// The lab report: what it says about one small picture, read back from our own PDF (pdftotext)
// and from the ODT as real LibreOffice lays it out (converted to PDF headless), and the page
// those two give.

#include "labreport.h"
#include "namecode.h"
#include "planereport.h"
#include "planestatistics.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <private/qzipreader_p.h>

namespace {

const QString student = QStringLiteral("Мама Мыла Раму");
const QString awkward = QStringLiteral("Университет <&>\"' им. «Кого-то»");

// 24 x 9 grey: 8 x 3 blocks, plane 1 of seven types counted 8, 6, 4, 3, 1, 1, 1 (most common
// first), so that five rows are hidden and two are not.
QImage picture()
{
    const int patterns[24]
        = {0, 0, 0, 0, 0, 0, 0, 0, 511, 511, 511, 511, 511, 511, 1, 1, 1, 1, 3, 3, 3, 7, 15, 31};
    QImage image(24, 9, QImage::Format_Grayscale8);
    for (int block = 0; block < 24; ++block) {
        for (int bit = 0; bit < 9; ++bit) {
            const bool marked = patterns[block] & (1 << bit);
            image.setPixel(3 * (block % 8) + bit % 3, 3 * (block / 8) + bit / 3,
                marked ? 0xffc8c8c8 : 0xff010101);
        }
    }
    return image;
}

// A long text in words that can be found again after the page has wrapped it.
QString longText()
{
    QStringList words;
    for (int i = 1; i <= 50; ++i)
        words << QStringLiteral("кафедра%1").arg(i);
    return words.join(QLatin1Char(' '));
}

AnalysedPlane plane(const QImage &source, const QStringList &typed, std::optional<bool> verdict,
    const QStringList &checkedTyped)
{
    AnalysedPlane plane;
    plane.picture = QStringLiteral("проба");
    plane.plane = 1;
    plane.source = source;
    plane.image = source.isNull()
        ? QImage()
        : LabReport::model(student, source, plane.picture, {1}, {}, false).planes.first().image;
    plane.statistics = PlaneStatistics::of(plane.image);
    plane.typed = typed;
    plane.verdict = verdict;
    plane.checkedTyped = checkedTyped;
    return plane;
}

// The student's report: homework right, plane 1 with a wrong third code, checked.
LabReport::Input studentInput()
{
    const QImage source = picture();
    LabReport::Input input
        = LabReport::model(student, source, QStringLiteral("проба"), {1}, {}, true);
    input.key = false;
    input.fields.set(ReportFields::university, awkward);
    input.fields.set(ReportFields::department, longText());
    input.fields.set(ReportFields::group, QStringLiteral("ИБ-201"));
    input.fields.set(ReportFields::city, QStringLiteral("Екатеринбург"));
    input.fields.set(ReportFields::year, QStringLiteral("2026"));
    AnalysedPlane &p = input.planes.first();
    p.typed[2] = QStringLiteral("1111111");
    p.verdict = false;
    p.checkedTyped = p.typed;
    return input;
}

QString run(const QString &program, const QStringList &arguments, QByteArray *out = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(180000))
        return program + QStringLiteral(" did not finish");
    if (out)
        *out = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return program + QStringLiteral(" failed: ")
            + QString::fromUtf8(process.readAllStandardError());
    return {};
}

// pdftotext's pages, each with its whitespace run together.
QStringList pagesOf(const QString &pdf)
{
    QByteArray out;
    if (!run(QStringLiteral("pdftotext"),
            {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")}, &out)
             .isEmpty())
        return {};
    QStringList pages = QString::fromUtf8(out).split(QLatin1Char('\f'));
    for (QString &page : pages)
        page = page.simplified();
    while (!pages.isEmpty() && pages.last().isEmpty())
        pages.removeLast();
    return pages;
}

struct Word
{
    QRectF box;
    QString text;
};

// The words of page (from 1) with their boxes in points, as pdftotext -bbox gives them.
QList<Word> wordsOf(const QString &pdf, int page)
{
    QByteArray out;
    const QString p = QString::number(page);
    if (!run(QStringLiteral("pdftotext"),
            {QStringLiteral("-bbox"), QStringLiteral("-f"), p, QStringLiteral("-l"), p, pdf,
                QStringLiteral("-")},
            &out)
             .isEmpty())
        return {};
    QList<Word> words;
    QXmlStreamReader xml(out);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("word")) {
            const auto a = xml.attributes();
            const QRectF box(QPointF(a.value(QLatin1String("xMin")).toDouble(),
                                 a.value(QLatin1String("yMin")).toDouble()),
                QPointF(a.value(QLatin1String("xMax")).toDouble(),
                    a.value(QLatin1String("yMax")).toDouble()));
            words.append({box, xml.readElementText()});
        }
    }
    return words;
}

constexpr double point = 72 / 25.4; // points a millimetre

} // namespace

class tst_LabReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void content_data();
    void content();
    void page_data();
    void page();
    void dataCarried();
    void verdicts_data();
    void verdicts();
    void saveFailure_data();
    void saveFailure();

private:
    QTemporaryDir dir;
    LabReport::Input input;
    QString ourPdf;
    QString odt;
    QString libreOfficePdf;
};

// One report written in both formats; LibreOffice lays the ODT out once, for every test.
void tst_LabReport::initTestCase()
{
#ifdef Q_OS_WIN
    QSKIP("pdftotext and LibreOffice read the report on the Linux test stage");
#endif
    QVERIFY(dir.isValid());
    input = studentInput();
    const ReportDocument document = LabReport::document(input);
    ourPdf = dir.filePath(QStringLiteral("отчет.pdf"));
    odt = dir.filePath(QStringLiteral("отчет.odt"));
    QVERIFY(LabReport::save(ourPdf, document).ok());
    QVERIFY(LabReport::save(odt, document).ok());

    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    QVERIFY2(!soffice.isEmpty(), "LibreOffice (libreoffice-writer-nogui) is part of the tests");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
        "poppler-utils is part of the tests");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    const QString converted = dir.filePath(QStringLiteral("libreoffice"));
    process.start(soffice,
        {QStringLiteral("-env:UserInstallation=")
                + QUrl::fromLocalFile(dir.filePath(QStringLiteral("profile"))).toString(),
            QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
            QStringLiteral("--outdir"), converted, odt});
    QVERIFY(process.waitForFinished(240000));
    libreOfficePdf = converted + QStringLiteral("/отчет.pdf");
    QVERIFY2(QFile::exists(libreOfficePdf), process.readAllStandardError().constData());
}

void tst_LabReport::content_data()
{
    QTest::addColumn<bool>("libreOffice");
    QTest::newRow("our PDF") << false;
    QTest::newRow("the ODT in LibreOffice") << true;
}

// What the analysis computed, as the report prints it, in either file.
void tst_LabReport::content()
{
    QFETCH(bool, libreOffice);
    const QStringList pages = pagesOf(libreOffice ? libreOfficePdf : ourPdf);
    QVERIFY(pages.size() >= 3);
    const QString text = pages.join(QLatin1Char(' '));
    const PlaneStatistics &s = input.planes.first().statistics;
    QCOMPARE(s.types.size(), 7);

    // The title page: the fields as typed, however awkward or long; no page number.
    QVERIFY2(pages.first().contains(awkward), qPrintable(pages.first()));
    QVERIFY(pages.first().contains(longText()));
    QVERIFY(pages.first().contains(QStringLiteral("Выполнил: студент группы ИБ-201 ") + student));
    QVERIFY2(
        pages.first().endsWith(QStringLiteral("Екатеринбург 2026")), qPrintable(pages.first()));

    const QStringList facts {
        QStringLiteral("Цель работы"),
        QStringLiteral("Список счетчиков длин кодов (ответ): ") + NameCode::countersText(student),
        QStringLiteral("ответ верный"),
        QStringLiteral("Рисунок 1 – Изображение «проба»"),
        QStringLiteral("Рисунок 2 – Битовая плоскость №1 изображения «проба»"),
        QStringLiteral("Таблица 1 – Символы имени"),
        QStringLiteral("найдено 7 типов блоков"),
        QStringLiteral("24 × 9 пикселей"),
        QStringLiteral("= ") + ReportDocument::decimal(double(s.entropy))
            + QStringLiteral(" бит/блок"),
        QStringLiteral("= ") + ReportDocument::decimal(double(s.averageLength))
            + QStringLiteral(" бит/блок"),
        QStringLiteral("коды неверны"),
        QStringLiteral("Сравнение битовых плоскостей изображения «проба»"),
        QStringLiteral("Выводы"),
    };
    for (const QString &fact : facts)
        QVERIFY2(text.contains(fact), qPrintable(fact));
    // Every row: its probability with a decimal comma; the codes the student did not type.
    for (qsizetype row = 0; row < s.types.size(); ++row) {
        QVERIFY2(text.contains(PlaneReport::entropyLine(s.probabilities.at(row))),
            qPrintable(QString::number(row)));
    }
    QVERIFY(text.contains(QStringLiteral(" ") + s.codes.at(5) + QStringLiteral(" ")));
    QVERIFY(text.contains(QStringLiteral(" ") + s.codes.at(6) + QStringLiteral(" ")));
    QVERIFY(text.contains(QStringLiteral(" 1111111 "))); // the wrong code as typed
    QVERIFY(!text.contains(QStringLiteral("все пять скрытых кодов верны")));
}

void tst_LabReport::page_data()
{
    content_data();
}

// A4 with the margins 30/15/20/20 mm and the page number at the bottom: as LibreOffice reads
// the ODT's page style (not its own defaults), and as our PDF draws it.
void tst_LabReport::page()
{
    QFETCH(bool, libreOffice);
    const QString pdf = libreOffice ? libreOfficePdf : ourPdf;
    QByteArray info;
    QCOMPARE(run(QStringLiteral("pdfinfo"), {pdf}, &info), QString());
    QVERIFY2(info.contains("(A4)"), info.constData());

    const QList<Word> words = wordsOf(pdf, 2);
    QVERIFY(words.size() > 20);
    double left = 1e9, right = 0, top = 1e9;
    Word lowest;
    for (const Word &word : words) {
        left = qMin(left, word.box.left());
        right = qMax(right, word.box.right());
        top = qMin(top, word.box.top());
        if (word.box.bottom() > lowest.box.bottom())
            lowest = word;
    }
    QVERIFY2(left >= 30 * point - 0.5 && left <= 30 * point + 3, qPrintable(QString::number(left)));
    // Justified lines reach the right margin and never cross it.
    const double rightEdge = (210 - 15) * point;
    QVERIFY2(
        right <= rightEdge + 0.5 && right >= rightEdge - 8, qPrintable(QString::number(right)));
    QVERIFY2(top >= 20 * point - 0.5 && top <= 20 * point + 15, qPrintable(QString::number(top)));
    QCOMPARE(lowest.text, QStringLiteral("2"));
    // The box takes in the font's descent below the line.
    QVERIFY2(lowest.box.bottom() <= (297 - 20) * point + 3
            && lowest.box.bottom() >= (297 - 20) * point - 12,
        qPrintable(QString::number(lowest.box.bottom())));
    QVERIFY(qAbs(lowest.box.center().x() - (30 + 165 / 2.0) * point) < 3);

    // The title page has no number: its lowest line is the city and year.
    const QList<Word> title = wordsOf(pdf, 1);
    QVERIFY(!title.isEmpty());
    const auto foot = std::max_element(title.cbegin(), title.cend(),
        [](const Word &a, const Word &b) { return a.box.bottom() < b.box.bottom(); });
    QStringList lowestLine;
    for (const Word &word : title) {
        if (word.box.bottom() > foot->box.bottom() - 1)
            lowestLine << word.text;
    }
    QCOMPARE(lowestLine.join(QLatin1Char(' ')), QStringLiteral("Екатеринбург 2026"));
}

// The data for reading back: a part of the ODT listed in its manifest, an attachment of the PDF.
void tst_LabReport::dataCarried()
{
    QZipReader zip(odt);
    QCOMPARE(zip.status(), QZipReader::NoError);
    QCOMPARE(zip.fileData(QStringLiteral("mimetype")),
        QByteArray("application/vnd.oasis.opendocument.text"));
    QVERIFY(zip.fileData(QStringLiteral("META-INF/manifest.xml"))
                .contains(LabReport::dataPartPath().toUtf8()));
    QXmlStreamReader content(zip.fileData(QStringLiteral("content.xml")));
    while (!content.atEnd())
        content.readNext();
    QVERIFY2(!content.hasError(), qPrintable(content.errorString()));

    const QJsonObject data
        = QJsonDocument::fromJson(zip.fileData(LabReport::dataPartPath())).object();
    QCOMPARE(data.value(QStringLiteral("name")).toString(), student);
    QCOMPARE(data.value(QStringLiteral("homework")).toString(), QStringLiteral("right"));
    const QJsonObject plane = data.value(QStringLiteral("planes")).toArray().first().toObject();
    const AnalysedPlane &p = input.planes.first();
    QCOMPARE(plane.value(QStringLiteral("typed")).toVariant().toStringList(), p.typed);
    QCOMPARE(plane.value(QStringLiteral("types")).toInt(), 7);
    QCOMPARE(plane.value(QStringLiteral("entropy")).toString(),
        QString::number(double(p.statistics.entropy), 'g', 6));
    QCOMPARE(plane.value(QStringLiteral("fingerprint")).toString(),
        SessionRecord::fingerprint(picture()));

    QByteArray attachments;
    QCOMPARE(run(QStringLiteral("pdfdetach"), {QStringLiteral("-list"), ourPdf}, &attachments),
        QString());
    QVERIFY2(attachments.contains("session.json"), attachments.constData());
}

void tst_LabReport::verdicts_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<int>("verdict"); // -1 none, 0 wrong, 1 right
    QTest::addColumn<QStringList>("checkedTyped");
    QTest::addColumn<QString>("said");

    const QStringList right = plane(picture(), {}, {}, {}).statistics.codes.mid(0, 5);
    QStringList edited = right;
    edited[4] += QLatin1Char('0');
    QTest::newRow("never checked") << right << -1 << QStringList() << "Коды не проверялись";
    QTest::newRow("checked right") << right << 1 << right << "все пять скрытых кодов верны";
    QTest::newRow("checked wrong") << edited << 0 << edited << "коды неверны";
    // A right check, then a cell changed: the verdict is not the codes' any more.
    QTest::newRow("right, then edited") << edited << 1 << right << "коды изменены";
    QTest::newRow("wrong, then edited to right") << right << 0 << edited << "коды изменены";
}

void tst_LabReport::verdicts()
{
    QFETCH(QStringList, typed);
    QFETCH(int, verdict);
    QFETCH(QStringList, checkedTyped);
    QFETCH(QString, said);

    LabReport::Input in;
    in.planes.append(plane(picture(), typed,
        verdict < 0 ? std::optional<bool>() : std::optional<bool>(verdict == 1), checkedTyped));
    QString text;
    for (const ReportDocument::Block &block : LabReport::document(in).blocks)
        text += block.text + QLatin1Char('\n');
    QVERIFY2(text.contains(said), qPrintable(text));
    if (verdict >= 0 && typed != checkedTyped)
        QVERIFY(!text.contains(QStringLiteral("Проверка кодов:")));
}

void tst_LabReport::saveFailure_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no such folder") << "нет/отчет.odt"
                                    << "Папка не найдена.";
    QTest::newRow("a file where the folder should be") << "файл/отчет.pdf"
                                                       << "Вместо папки на этом месте файл.";
    QTest::newRow("a folder where the file should be") << "папка.odt"
                                                       << "Это папка, а не файл.";
}

// A clear reason, and nothing written or changed.
void tst_LabReport::saveFailure()
{
    QFETCH(QString, where);
    QFETCH(QString, reason);
    QTemporaryDir scratch;
    QFile file(scratch.filePath(QStringLiteral("файл")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(QDir(scratch.path()).mkdir(QStringLiteral("папка.odt")));
    const QString path = scratch.filePath(where);
    const FileSaver::Result result = LabReport::save(path, LabReport::document(input));
    QVERIFY(!result.ok());
    QCOMPARE(result.reason, reason);
    QCOMPARE(QDir(scratch.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 2);
}

QTEST_MAIN(tst_LabReport)
#include "tst_labreport.moc"
