// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "planestatistics.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// What the last press of the homework button decided.
struct HomeworkOutcome
{
    enum class Verdict {
        None, // not pressed yet (or only with an incomplete name)
        Right,
        Wrong,
        Skipped,
    };
    Verdict verdict = Verdict::None;
    QString name; // the full name checked; empty after a skip
    QString counters; // the counters text as typed; empty after a skip
    // The diagnosis' kind as the key tool prints it ("right", "tie", "kraft", ...); empty after a
    // skip.
    QString kind;
    // Why a wrong answer is wrong, as the homework tab says it; empty otherwise.
    QString diagnosis;

    bool opensLab() const { return verdict == Verdict::Right || verdict == Verdict::Skipped; }
    // A check's verdict still speaks for the fields as they stand now: they hold the name and
    // counters it checked. A skip and no verdict are never out of date.
    bool isCurrentFor(const QString &fullName, const QString &countersText) const
    {
        if (verdict != Verdict::Right && verdict != Verdict::Wrong)
            return true;
        return fullName == name && countersText == counters;
    }
    // Right opens the built-in pictures, Skipped a picture file of the student's own.
    bool builtInPictures() const { return verdict == Verdict::Right; }
};

// One plane the student analysed in this session (or a colour picture analysed whole), with
// what they typed for it and what its last check said. What the report, the saved results and
// the grading read.
struct AnalysedPlane
{
    QString picture; // the picture's name, as the report pane names it
    int plane = 0; // 1 (most significant bit) to 8; 0 for a picture analysed whole
    QImage image; // what was analysed: the plane (Format_Mono), or the whole picture
    QImage source; // the picture the plane was cut from (the same as image when whole)
    PlaneStatistics statistics;
    // The texts of the hidden code cells, row by row (as many as hiddenCount()).
    QStringList typed;
    // The last check: all hidden codes right or not; none before the first check.
    std::optional<bool> verdict;
    // What the cells held at that check: an edit since makes the verdict out of date.
    QStringList checkedTyped;

    // The codes hidden from the student: five, fewer on a plane of fewer block types.
    int hiddenCount() const;
    QStringList hiddenCodes() const;
    bool verdictIsCurrent() const { return verdict.has_value() && typed == checkedTyped; }
    // The rows whose typed code differs from the hidden one (as of now, not of the last check).
    QList<int> wrongRows() const;
};

// The lab's state, free of widgets: the picture in view and its planes, every plane analysed
// in this session with the codes typed for it and their checks, the homework's outcome and the
// variant. The window shows it and asks it to change; it decides nothing about the lab itself.
class LabSession : public QObject
{
    Q_OBJECT

public:
    static constexpr int planeCount = 8;
    static constexpr int hiddenRows = 5;

    explicit LabSession(QObject *parent = nullptr);

    // --- The picture in view -------------------------------------------------------------------

    // A picture under the name the report will give it. A grey one is split into its eight
    // planes and the selected plane analysed; a colour one is analysed whole and the planes of
    // the previous picture go. A null picture ("выбери изображение") leaves nothing in view and
    // keeps the planes for the dial. Returns why the picture cannot be shown (short of memory);
    // then nothing changes.
    QString load(const QImage &picture, const QString &name);
    // The colour picture in view replaced by its grey version, named "NAME (оттенки серого)",
    // and split. Returns why not, as load does; nothing changes without a colour picture.
    QString convertToGrey();
    // The plane 0..7 (0 = most significant bit); analysed when a split picture's planes are
    // there, otherwise only remembered for the next split.
    void selectPlane(int planeIndex);
    // The plane the next picture is split at, without analysing the one in view: a variant
    // chooses its picture and plane together.
    void rememberPlane(int planeIndex);

    QImage picture() const { return loadedPicture; } // null when nothing is in view
    QString pictureName() const { return loadedName; }
    bool isSplit() const; // the picture in view was split into planes
    bool isColour() const; // a colour picture in view, analysed whole
    const std::array<QImage, planeCount> &planes() const { return storedPlanes; }
    QString planesName() const { return storedPlanesName; } // the picture the planes come from
    int planeIndex() const { return selectedPlane; }
    // What the last analysis looked at: the selected plane, or the whole colour picture.
    QImage currentImage() const { return analysedImage; }
    // An image analysed as it is, as plane `plane` (1..8; 0: whole) of the picture `picture`,
    // whatever is in view; it joins the analyses as any other. Nothing for a null image.
    void analyseImage(const QImage &image, const QString &picture, int plane);

    // --- The analyses --------------------------------------------------------------------------

    // Every plane analysed in this session, in the order of its first analysis; analysing one
    // again brings its entry back as the current one, typed codes and verdict included.
    const QList<AnalysedPlane> &analysed() const { return history; }
    int currentIndex() const { return current; } // -1 before the first analysis
    const AnalysedPlane *currentPlane() const;

    // What the student typed into hidden code row 0..4 of the current plane.
    void setTyped(int row, const QString &text);
    // Checks the current plane's typed codes; the verdict, or none without a plane.
    std::optional<bool> check();

    // --- The homework --------------------------------------------------------------------------

    const HomeworkOutcome &homework() const { return outcome; }
    void setHomework(const HomeworkOutcome &homework);
    // The homework button with the lever at "ПРОВЕРИТЬ": the full name and the counters as
    // typed, checked. A name the name rule does not take as complete (an empty one, one word,
    // "иванов иван") checks nothing: Verdict::None, and nothing changes.
    HomeworkOutcome::Verdict checkHomework(const QString &fullName, const QString &counters);
    // What the homework's message box says when checkHomework refuses the name: what is missing
    // from it. Empty for a name the check takes.
    static QString nameRefusal(const QString &fullName);
    // The same at "ПРОПУСТИТЬ".
    void skipHomework();

    // --- The variant ---------------------------------------------------------------------------

    std::optional<int> variant() const { return chosenVariant; }
    void setVariant(std::optional<int> number);

signals:
    // A new picture (or none) is in view, or its grey version replaced it.
    void pictureChanged();
    // analysed()[index] was (again) analysed and is the current plane now.
    void planeAnalysed(int index);
    // The current plane's typed codes changed.
    void typedChanged(int row);
    // The current plane was checked.
    void checked(bool right);
    void homeworkChanged();
    void variantChanged();

private:
    void analyse();
    // Makes `analysis` (its statistics computed) the current one, with what was typed for the
    // same plane before.
    void record(AnalysedPlane analysis);

    QImage loadedPicture;
    bool splitInView = false;
    QImage planesSource; // the grey picture the stored planes were cut from
    QString loadedName;
    std::array<QImage, planeCount> storedPlanes;
    QString storedPlanesName;
    int selectedPlane = 0;
    QImage analysedImage;
    QList<AnalysedPlane> history;
    int current = -1;
    HomeworkOutcome outcome;
    std::optional<int> chosenVariant;
};
