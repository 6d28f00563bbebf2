// SPDX-License-Identifier: GPL-3.0-or-later
// The key tool on a whole year's stream: names and check-all on a 2,000-line file, run as the
// teacher runs them (a process, start-up included), from a plain list and from a spreadsheet's
// CSV; then the reading of the file alone. Prints figures; passes or fails on nothing.

#include "classlist.h"
#include "keytoolrun.h"
#include "namecode.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int lineCount = 2000;

const char *const surnames[] = {"Иванов", "Петров", "Сидоров", "Кузнецов", "Смирнов", "Попов",
    "Васильев", "Соколов", "Михайлов", "Новиков", "Фёдоров", "Морозов", "Волков", "Алексеев",
    "Лебедев", "Семёнов", "Егоров", "Павлов", "Козлов", "Степанов", "Николаев", "Орлов",
    "Андреев", "Макаров", "Никитин"};
const char *const givenNames[] = {"Иван", "Пётр", "Алексей", "Сергей", "Андрей", "Дмитрий",
    "Михаил", "Николай", "Евгений", "Владимир", "Артём", "Максим", "Кирилл", "Роман", "Олег",
    "Юрий", "Григорий", "Тимофей", "Фёдор", "Степан"};
const char *const patronymics[] = {"Иванович", "Петрович", "Алексеевич", "Сергеевич",
    "Андреевич", "Дмитриевич", "Михайлович", "Николаевич", "Евгеньевич", "Владимирович",
    "Олегович", "Юрьевич", "Романович", "Фёдорович", "Степанович", "Кириллович"};

template<typename T, size_t N>
constexpr size_t count(T (&)[N])
{
    return N;
}

struct Student
{
    QString name;
    QString answer;
};

// The same stream on every run: a fixed generator, a right answer for two students in three.
QList<Student> stream()
{
    QList<Student> students;
    quint32 state = 2024;
    const auto next = [&state](size_t n) {
        state = state * 1664525u + 1013904223u;
        return size_t(state >> 8) % n;
    };
    for (int i = 0; i < lineCount; ++i) {
        const QString name = QString::fromUtf8(surnames[next(count(surnames))]) + QLatin1Char(' ')
            + QString::fromUtf8(givenNames[next(count(givenNames))]) + QLatin1Char(' ')
            + QString::fromUtf8(patronymics[next(count(patronymics))]);
        QString answer = NameCode::countersText(name);
        if (i % 3 == 2)
            answer.prepend(QStringLiteral("1,"));
        students.append({name, answer});
    }
    return students;
}

QString write(const QTemporaryDir &dir, const char *fileName, const QByteArray &bytes)
{
    const QString path = dir.filePath(QString::fromUtf8(fileName));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return path;
}

// Windows-1251 as old Excel writes it; the names hold only Cyrillic, ё and ASCII.
QByteArray windows1251(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        bytes += u < 0x80 ? char(u)
            : u == 0x0401  ? char(0xA8)
            : u == 0x0451  ? char(0xB8)
                           : char(0xC0 + (u - 0x0410));
    }
    return bytes;
}

} // namespace

int main(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    const QList<Student> students = stream();

    QString names;
    QString answers;
    QString calc = QStringLiteral("Группа;ФИО;Ответ;Комментарий\r\n");
    for (const Student &student : students) {
        names += student.name + QLatin1Char('\n');
        answers += student.name + QLatin1Char('\t') + student.answer + QLatin1Char('\n');
        calc += QStringLiteral("101;") + student.name + QLatin1Char(';') + student.answer
            + QStringLiteral(";\"сдал; вовремя\"\r\n");
    }
    const QString namesPath = write(dir, "names.txt", names.toUtf8());
    const QString answersPath = write(dir, "answers.txt", answers.toUtf8());
    const QString calcPath = write(dir, "answers-1251.csv", windows1251(calc));

    std::printf("huffman-lab-key on %d students (median of 3 runs, process start included):\n",
        lineCount);
    const struct
    {
        const char *what;
        QStringList arguments;
    } runs[] = {
        {"names, plain list", {QStringLiteral("names"), namesPath}},
        {"names --csv, plain list", {QStringLiteral("names"), namesPath, QStringLiteral("--csv")}},
        {"check-all, plain list", {QStringLiteral("check-all"), answersPath}},
        {"check-all, Excel CSV in Windows-1251", {QStringLiteral("check-all"), calcPath}},
    };
    for (const auto &run : runs) {
        int lines = 0;
        const double ms = keyToolMs(run.arguments, &lines);
        std::printf("  %-38s %8.1f ms  (%d lines out)\n", run.what, ms, lines);
    }

    const QByteArray calcBytes = windows1251(calc);
    int entries = 0;
    const double readMs = medianMs(5, [&] { entries = int(ClassList::answers(calcBytes).entries.size()); });
    std::printf("Reading the Windows-1251 CSV alone (ClassList::answers): %.2f ms, %d entries\n",
        readMs, entries);
    return 0;
}
