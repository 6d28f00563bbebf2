// SPDX-License-Identifier: GPL-3.0-or-later
#include "labsession.h"

#include "namerule.h"

#include "bitplanes.h"
#include "greyconversion.h"
#include "homeworkdiagnosis.h"
#include "namecode.h"
#include "picturereader.h"

#include <algorithm>

int AnalysedPlane::hiddenCount() const
{
    return int(std::min<qsizetype>(LabSession::hiddenRows, statistics.codes.size()));
}

QStringList AnalysedPlane::hiddenCodes() const
{
    return statistics.codes.mid(0, hiddenCount());
}

QList<int> AnalysedPlane::wrongRows() const
{
    QList<int> rows;
    for (int row = 0; row < hiddenCount(); ++row) {
        if (typed.value(row) != statistics.codes.at(row))
            rows.append(row);
    }
    return rows;
}

LabSession::LabSession(QObject *parent)
    : QObject(parent)
{ }

bool LabSession::isSplit() const
{
    return !loadedPicture.isNull() && splitInView;
}

bool LabSession::isColour() const
{
    return !loadedPicture.isNull() && !splitInView;
}

const AnalysedPlane *LabSession::currentPlane() const
{
    return current >= 0 ? &history.at(current) : nullptr;
}

QString LabSession::load(const QImage &picture, const QString &name)
{
    if (picture.isNull()) {
        // Nothing in view; the planes stay for the dial, and the last analysis with them.
        loadedPicture = QImage();
        loadedName.clear();
        splitInView = false;
        emit pictureChanged();
        return {};
    }
    if (BitPlanes::isGrey(picture)) {
        const QList<QImage> split = BitPlanes::split(picture);
        if (split.size() != planeCount)
            return PictureReader::outOfMemoryReason(picture.size());
        std::copy(split.cbegin(), split.cend(), storedPlanes.begin());
        storedPlanesName = name;
        planesSource = picture;
        splitInView = true;
    } else {
        // A colour picture is analysed as it is. The planes of an earlier picture go: the dial
        // must not bring them back under this picture's name.
        storedPlanes = {};
        storedPlanesName.clear();
        planesSource = QImage();
        splitInView = false;
    }
    loadedPicture = picture;
    loadedName = name;
    emit pictureChanged();
    analyse();
    return {};
}

QString LabSession::convertToGrey()
{
    if (!isColour())
        return {};
    const QImage grey = GreyConversion::toGrey(loadedPicture);
    if (grey.isNull())
        return PictureReader::outOfMemoryReason(loadedPicture.size());
    return load(grey, GreyConversion::nameOf(loadedName));
}

void LabSession::rememberPlane(int planeIndex)
{
    if (planeIndex >= 0 && planeIndex < planeCount)
        selectedPlane = planeIndex;
}

void LabSession::selectPlane(int planeIndex)
{
    if (planeIndex < 0 || planeIndex >= planeCount)
        return;
    selectedPlane = planeIndex;
    // No planes before a grey picture or after a colour one: a colour picture stays in view
    // with its analysis.
    if (storedPlanes[size_t(planeIndex)].isNull())
        return;
    if (loadedPicture.isNull()) {
        // After "no picture" the stored planes come back, under their picture's name.
        loadedPicture = planesSource;
        loadedName = storedPlanesName;
        splitInView = true;
        emit pictureChanged();
    }
    analyse();
}

void LabSession::analyse()
{
    const bool whole = !splitInView;
    analysedImage = whole ? loadedPicture : storedPlanes[size_t(selectedPlane)];
    AnalysedPlane analysis;
    analysis.picture = loadedName;
    analysis.plane = whole ? 0 : selectedPlane + 1;
    analysis.image = analysedImage;
    analysis.source = loadedPicture;
    analysis.statistics = PlaneStatistics::of(analysedImage);
    record(std::move(analysis));
}

void LabSession::analyseImage(const QImage &image, const QString &picture, int plane)
{
    if (image.isNull())
        return;
    analysedImage = image;
    AnalysedPlane analysis;
    analysis.picture = picture;
    analysis.plane = plane;
    analysis.image = image;
    analysis.source = image;
    analysis.statistics = PlaneStatistics::of(image);
    record(std::move(analysis));
}

void LabSession::record(AnalysedPlane analysis)
{
    const auto same = [&](const AnalysedPlane &earlier) {
        return earlier.picture == analysis.picture && earlier.plane == analysis.plane;
    };
    const auto found = std::find_if(history.begin(), history.end(), same);
    if (found == history.end()) {
        analysis.typed = QStringList(analysis.hiddenCount(), QString());
        history.append(analysis);
        current = int(history.size()) - 1;
    } else {
        // Seen before: what the student typed comes back; its verdict too, unless the picture
        // under this name is another one now and hides other codes.
        analysis.typed = found->typed;
        analysis.typed.resize(analysis.hiddenCount());
        if (found->hiddenCodes() == analysis.hiddenCodes()) {
            analysis.verdict = found->verdict;
            analysis.checkedTyped = found->checkedTyped;
        }
        *found = analysis;
        current = int(found - history.begin());
    }
    emit planeAnalysed(current);
}

void LabSession::setTyped(int row, const QString &text)
{
    if (current < 0)
        return;
    AnalysedPlane &plane = history[current];
    if (row < 0 || row >= plane.typed.size() || plane.typed.at(row) == text)
        return;
    plane.typed[row] = text;
    emit typedChanged(row);
}

std::optional<bool> LabSession::check()
{
    if (current < 0)
        return std::nullopt;
    AnalysedPlane &plane = history[current];
    const bool right = plane.typed == plane.hiddenCodes();
    plane.verdict = right;
    plane.checkedTyped = plane.typed;
    emit checked(right);
    return right;
}

void LabSession::setHomework(const HomeworkOutcome &homework)
{
    outcome = homework;
    emit homeworkChanged();
}

HomeworkOutcome::Verdict LabSession::checkHomework(const QString &fullName, const QString &counters)
{
    // A trivial name has trivial counters: "Ааа" with "1" would pass for homework done.
    if (!nameRefusal(fullName).isEmpty())
        return HomeworkOutcome::Verdict::None;
    HomeworkOutcome checked;
    checked.name = fullName;
    checked.counters = counters;
    // Compared as text: "02" is not "2", and a trailing comma is a mistake. The lab's own
    // counters are right, and so are those of the same rule worked with exact fractions, where
    // the lab's floats split a tie between equal fractions the other way.
    if (NameCode::analyse(fullName).answers().contains(counters)) {
        checked.verdict = HomeworkOutcome::Verdict::Right;
        checked.kind = HomeworkDiagnosis::kindName(HomeworkDiagnosis::Kind::Right);
    } else {
        const HomeworkDiagnosis diagnosis = HomeworkDiagnosis::of(fullName, counters);
        checked.verdict = HomeworkOutcome::Verdict::Wrong;
        checked.kind = HomeworkDiagnosis::kindName(diagnosis.kind);
        checked.diagnosis = diagnosis.text;
    }
    setHomework(checked);
    return checked.verdict;
}

QString LabSession::nameRefusal(const QString &fullName)
{
    if (fullName.isEmpty())
        return QStringLiteral("Не введены фамилия, имя и отчество.\n");
    if (NameRule::acceptable(fullName))
        return {};
    return QStringLiteral("Фамилия, имя и отчество введены не полностью: %1.\nПоле принимает %2.")
        .arg(NameRule::problem(fullName), NameRule::description());
}

void LabSession::skipHomework()
{
    HomeworkOutcome skipped;
    skipped.verdict = HomeworkOutcome::Verdict::Skipped;
    setHomework(skipped);
}

void LabSession::setVariant(std::optional<int> number)
{
    if (chosenVariant == number)
        return;
    chosenVariant = number;
    emit variantChanged();
}
