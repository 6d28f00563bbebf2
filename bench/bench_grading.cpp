// SPDX-License-Identifier: GPL-3.0-or-later
// check-results on a stream's handed-in work: 300 students in Moodle's "download all
// submissions" layout, a report (ODT) or saved results each, on the built-in pictures' planes
// and on pictures of their own, some codes wrong; with and without the class list. Run as the
// teacher runs it (a process, start-up included). Prints figures; passes or fails on nothing.

#include "handedin.h"
#include "keytoolrun.h"
#include "namecode.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int studentCount = 300;

const char *const surnames[] = {"Иванов", "Петров", "Сидоров", "Кузнецов", "Смирнов", "Попов",
    "Васильев", "Соколов", "Михайлов", "Новиков", "Фёдоров", "Морозов", "Волков", "Алексеев",
    "Лебедев", "Семёнов", "Егоров", "Павлов", "Козлов", "Степанов"};
const char *const givenNames[] = {"Иван", "Пётр", "Алексей", "Сергей", "Андрей", "Дмитрий",
    "Михаил", "Николай", "Евгений", "Владимир", "Артём", "Максим", "Кирилл", "Роман", "Олег"};

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// A plane of a picture of the student's own: a piece of a built-in one, of its own size.
SessionRecord ownPicture(int student)
{
    LabSession lab;
    const QImage picture
        = PictureReader::read(BuiltInPictures::resourcePath(QStringLiteral("Барбара"))).image;
    lab.selectPlane(student % 8);
    lab.load(picture.copy(student % 97, student % 89, 200 + student % 50, 150 + student % 60),
        QStringLiteral("фото%1.jpg").arg(student));
    const QStringList hidden = lab.currentPlane()->hiddenCodes();
    for (int row = 0; row < hidden.size(); ++row)
        lab.setTyped(row, hidden.at(row));
    lab.check();
    return SessionRecord::of(lab, {0});
}

} // namespace

int main(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("submissions"));

    // Every built-in picture's planes once; each student's work is one of them under their name.
    QList<SessionRecord> builtIn;
    for (const QString &picture : BuiltInPictures::names()) {
        for (int plane = 1; plane <= 8; ++plane)
            builtIn.append(HandedIn::record(
                QStringLiteral("Мама Мыла Раму"), QStringLiteral("0,3,0,4"), picture, plane));
    }
    QString classList = QStringLiteral("ФИО;Адрес электронной почты\n");
    qint64 bytes = 0;
    for (int i = 0; i < studentCount; ++i) {
        const QString name = QString::fromUtf8(surnames[i % 20]) + QLatin1Char(' ')
            + QString::fromUtf8(givenNames[(i / 20) % 15]);
        classList += name + QStringLiteral(";s%1@example.ru\n").arg(i);
        SessionRecord record = i % 3 == 2 ? ownPicture(i) : builtIn.at(i % builtIn.size());
        record.name = name;
        record.counters = NameCode::countersText(name);
        if (i % 7 == 3)
            record.planes.first().typed[1] += QLatin1Char('0');
        const QString student = folder + QLatin1Char('/') + name
            + QStringLiteral("_%1_assignsubmission_file_/").arg(1000 + i);
        const QByteArray work = i % 3 == 1 ? record.toJson() : HandedIn::odt(record);
        write(student
                + (i % 3 == 1 ? QStringLiteral("результаты.json") : QStringLiteral("отчет.odt")),
            work);
        bytes += work.size();
    }
    const QString classPath = dir.filePath(QStringLiteral("группа.csv"));
    write(classPath, classList.toUtf8());

    std::printf("huffman-lab-key check-results on %d students' work (%.1f MB; median of 3 runs, "
                "process start included):\n",
        studentCount, double(bytes) / (1024 * 1024));
    int lines = 0;
    double ms = keyToolMs({QStringLiteral("check-results"), folder}, &lines);
    std::printf("  folder alone:                %8.0f ms, %d lines\n", ms, lines);
    ms = keyToolMs({QStringLiteral("check-results"), folder, QStringLiteral("--class"), classPath,
                   QStringLiteral("--csv")},
        &lines);
    std::printf("  with the class list, --csv:  %8.0f ms, %d lines\n", ms, lines);
    return 0;
}
