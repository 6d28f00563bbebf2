// SPDX-License-Identifier: GPL-3.0-or-later
// Replays the fuzzers' seed corpus and every input they ever found a fault with through the same
// code the harnesses run, in the normal and the sanitizer builds alike.

#include "coderinput.h"
#include "picturepath.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

const QString fuzzDir = QStringLiteral(FUZZ_DIR);

QStringList filesOf(const QString &kind)
{
    QStringList paths;
    for (const QString &set : {QStringLiteral("corpus"), QStringLiteral("regressions")}) {
        const QDir dir(fuzzDir + QLatin1Char('/') + set + QLatin1Char('/') + kind);
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
            paths << set + QLatin1Char('/') + kind + QLatin1Char('/') + name;
    }
    return paths;
}

void addFileRows(const QString &kind)
{
    QTest::addColumn<QString>("path");
    for (const QString &path : filesOf(kind))
        QTest::newRow(qPrintable(path)) << path;
}

QByteArray contents(const QString &path)
{
    QFile file(fuzzDir + QLatin1Char('/') + path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_FuzzRegressions : public QObject
{
    Q_OBJECT

private slots:
    void seedsPresent();
    void picture_data() { addFileRows(QStringLiteral("picture")); }
    void picture();
    void coder_data() { addFileRows(QStringLiteral("coder")); }
    void coder();
};

// An empty list would pass every row below without testing anything.
void tst_FuzzRegressions::seedsPresent()
{
    QVERIFY(filesOf(QStringLiteral("picture")).size() >= 10);
    QVERIFY(filesOf(QStringLiteral("coder")).size() >= 5);
}

void tst_FuzzRegressions::picture()
{
    QFETCH(QString, path);
    const QByteArray bytes = contents(path);
    QVERIFY(!bytes.isEmpty());
    const QString problem = PicturePath::check(bytes);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void tst_FuzzRegressions::coder()
{
    QFETCH(QString, path);
    const QByteArray bytes = contents(path);
    QVERIFY(!bytes.isEmpty());
    const QString problem = CoderInput::run(bytes);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

QTEST_GUILESS_MAIN(tst_FuzzRegressions)
#include "tst_fuzzregressions.moc"
