// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "keyclass.h"
#include "planestatistics.h"
#include "sessionrecord.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <utility>

// The key tool's check-results: handed-in reports and results files judged by working every
// answer out again, never by what the file says of itself.
namespace KeyGrading {

// A variant's picture (a built-in one's name) and plane (1..8).
struct VariantPlane
{
    QString picture;
    int plane = 0;
};

// One handed-in work judged.
struct Judgement
{
    QString name; // as the work gives it (empty after a skipped homework)
    std::optional<int> variant; // the variant the work was judged as
    QString homework; // "верно", "пропущено" or "неверно"
    QString codes; // "k из 5" (fewer rows on a plane of fewer block types); empty: no plane
    QString figures; // "k из 3": block types, L, H; empty: no plane
    QStringList faults; // each a reason for "не зачтено", in Russian
    QStringList notes; // said beside the verdict, not against it

    bool passed() const { return faults.isEmpty(); }
    QString verdict() const;
    // The faults, else the notes, else "все верно".
    QString reason() const;
};

// Judges records; a built-in picture's planes are read and analysed once for all the works.
class Grader
{
public:
    // variants: variant k is variants[k - 1].
    explicit Grader(QList<VariantPlane> variants = {});

    int variantCount() const { return int(table.size()); }
    // The variant of the student at position 1, 2, ... of the class list: after the last the
    // numbering starts again at 1. Nothing without a table.
    std::optional<int> variantForStudent(int position) const;

    // assigned: the variant the class list gives the student, if any.
    Judgement judge(const SessionRecord &record, std::optional<int> assigned = {});

private:
    struct PlaneResult
    {
        int codesRight = 0;
        int codesAll = 0;
        int figuresRight = 0;
        QStringList faults;
        QStringList notes;
        bool judged = false; // the plane's code could be worked out
    };
    PlaneResult judgePlane(const SessionRecord::Plane &plane);
    // A built-in picture's plane analysed; null and why when it cannot be.
    const PlaneStatistics *builtIn(const QString &picture, int plane, QString *why);

    QList<VariantPlane> table;
    std::map<std::pair<QString, int>, PlaneStatistics> analysed;
    std::map<QString, QList<QImage>> pictures;
};

// The program's variants (Variants), as their pictures and planes: variant k is item k - 1.
QList<VariantPlane> variantTable();

// check-results PATH... [--class FILE] [--columns ...] [--csv]
KeyClass::Output checkResults(const QStringList &arguments, const QList<VariantPlane> &variants);

} // namespace KeyGrading
