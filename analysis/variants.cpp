// SPDX-License-Identifier: GPL-3.0-or-later
#include "variants.h"

#include "bitplanes.h"
#include "builtinpictures.h"
#include "picturereader.h"
#include "planestatistics.h"
#include "planesummary.h"

#include <QHash>

#include <array>

namespace {

struct Row
{
    int number;
    const char16_t *picture;
    int plane;
};

// Chosen so that no two variants hide the same five codes (tst_variants computes them all), on
// planes 1 to 6, where a photograph's blocks still have structure. Neighbours in a list get
// different pictures: the pictures take turns, each from its most significant plane down.
// Never renumber a variant that was handed out: append new ones at the end.
constexpr std::array<Row, 32> table {{
    {1, u"Лена", 1},
    {2, u"Барбара", 1},
    {3, u"Золотой холм", 2},
    {4, u"Астронавт", 1},
    {5, u"Чашка кофе", 4},
    {6, u"Ракета", 2},
    {7, u"Кирпичная стена", 1},
    {8, u"Глубокий космос", 1},
    {9, u"Гравий", 3},
    {10, u"Лена", 4},
    {11, u"Барбара", 3},
    {12, u"Золотой холм", 3},
    {13, u"Астронавт", 3},
    {14, u"Чашка кофе", 5},
    {15, u"Ракета", 4},
    {16, u"Кирпичная стена", 2},
    {17, u"Глубокий космос", 2},
    {18, u"Гравий", 4},
    {19, u"Лена", 5},
    {20, u"Барбара", 4},
    {21, u"Золотой холм", 4},
    {22, u"Астронавт", 4},
    {23, u"Чашка кофе", 6},
    {24, u"Ракета", 5},
    {25, u"Кирпичная стена", 4},
    {26, u"Глубокий космос", 4},
    {27, u"Барбара", 6},
    {28, u"Астронавт", 5},
    {29, u"Кирпичная стена", 5},
    {30, u"Глубокий космос", 5},
    {31, u"Астронавт", 6},
    {32, u"Кирпичная стена", 6},
}};

// The rows whose codes the lab hides.
constexpr int hiddenCodes = 5;

VariantAnswers answersOf(const Variant &variant, const QList<QImage> &planes)
{
    VariantAnswers answers;
    answers.variant = variant;
    if (planes.size() != BitPlanes::count || variant.plane < 1 || variant.plane > planes.size())
        return answers;
    const PlaneStatistics stats = PlaneStatistics::of(planes.at(variant.plane - 1));
    const QStringList figures = PlaneSummary::fields(PlaneSummary::of(stats, variant.plane));
    answers.read = true;
    answers.typeCount = int(stats.types.size());
    answers.averageLength = figures.at(2);
    answers.entropy = figures.at(3);
    answers.codes = stats.codes.mid(0, hiddenCodes);
    return answers;
}

QList<QImage> planesOf(const QString &picture)
{
    const QString path = BuiltInPictures::resourcePath(picture);
    if (path.isEmpty())
        return {};
    // The window's own reader, so that the key sees the pixels the student's window sees.
    return BitPlanes::split(PictureReader::read(path).image);
}

QString quoted(const QString &text)
{
    return QStringLiteral("«") + text + QStringLiteral("»");
}

} // namespace

const QList<Variant> &Variants::all()
{
    static const QList<Variant> variants = [] {
        QList<Variant> list;
        list.reserve(qsizetype(table.size()));
        for (const Row &row : table)
            list.append({row.number, QString::fromUtf16(row.picture), row.plane});
        return list;
    }();
    return variants;
}

int Variants::count()
{
    return int(table.size());
}

std::optional<Variant> Variants::variant(int number)
{
    if (number < 1 || number > count())
        return std::nullopt;
    return all().at(number - 1);
}

int Variants::forStudent(int position)
{
    if (position < 1)
        return 0;
    return (position - 1) % count() + 1;
}

VariantAnswers Variants::answers(const Variant &variant)
{
    return answersOf(variant, planesOf(variant.picture));
}

QList<VariantAnswers> Variants::allAnswers()
{
    QHash<QString, QList<QImage>> planes;
    QList<VariantAnswers> list;
    list.reserve(count());
    for (const Variant &variant : all()) {
        auto found = planes.find(variant.picture);
        if (found == planes.end())
            found = planes.insert(variant.picture, planesOf(variant.picture));
        list.append(answersOf(variant, found.value()));
    }
    return list;
}

QStringList Variants::fields(const VariantAnswers &answers)
{
    const Variant &variant = answers.variant;
    QStringList fields {
        QString::number(variant.number), variant.picture, QString::number(variant.plane)};
    if (answers.read)
        fields << QString::number(answers.typeCount) << answers.averageLength << answers.entropy;
    else
        fields << QString() << QString() << QString();
    for (int i = 0; i < hiddenCodes; ++i)
        fields.append(answers.codes.value(i));
    return fields;
}

QStringList Variants::fieldTitles()
{
    QStringList titles {QStringLiteral("вариант"), QStringLiteral("изображение"),
        QStringLiteral("плоскость"), QStringLiteral("типов блоков"), QStringLiteral("L, бит/блок"),
        QStringLiteral("H, бит/блок")};
    for (int i = 1; i <= hiddenCodes; ++i)
        titles.append(QStringLiteral("код %1").arg(i));
    return titles;
}

std::optional<Variant> Variants::parse(const QString &text, QString *error)
{
    const QString range = QStringLiteral("от 1 до %1").arg(count());
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (!ok) {
        *error
            = QStringLiteral("номер варианта — целое число %1, а не %2").arg(range, quoted(text));
        return std::nullopt;
    }
    const std::optional<Variant> found = variant(number);
    if (!found)
        *error = QStringLiteral("варианта %1 нет: варианты пронумерованы %2")
                     .arg(QString::number(number), range);
    return found;
}

QString Variants::disagreement(const Variant &variant, const QString &picture, int plane)
{
    QStringList given;
    if (!picture.isEmpty() && picture != variant.picture)
        given.append(QStringLiteral("изображение ") + quoted(picture));
    if (plane != 0 && plane != variant.plane)
        given.append(QStringLiteral("плоскость %1").arg(plane));
    if (given.isEmpty())
        return {};
    return QStringLiteral("вариант %1 — изображение %2, плоскость %3, а задано: %4")
        .arg(QString::number(variant.number), quoted(variant.picture),
            QString::number(variant.plane), given.join(QStringLiteral(", ")));
}
