// SPDX-License-Identifier: GPL-3.0-or-later
#include "sessionrecord.h"

#include "bitplanes.h"
#include "builtinpictures.h"
#include "planereport.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <limits>

namespace {

const QString programName = QStringLiteral("huffman-lab");
// Far above any real session; a record past them is not ours.
constexpr int maxPlanes = 1000;
constexpr int maxTyped = LabSession::hiddenRows;
constexpr qsizetype maxText = 4096;

QJsonValue optionalBool(const std::optional<bool> &value)
{
    return value ? QJsonValue(*value) : QJsonValue();
}

bool isText(const QJsonValue &value)
{
    return value.isString() && value.toString().size() <= maxText;
}

bool isCount(const QJsonValue &value, int limit = std::numeric_limits<int>::max())
{
    const double number = value.toDouble(-1);
    return value.isDouble() && number >= 0 && number <= limit && number == double(int(number));
}

} // namespace

QString SessionRecord::verdictName(HomeworkOutcome::Verdict verdict)
{
    switch (verdict) {
    case HomeworkOutcome::Verdict::Right:
        return QStringLiteral("right");
    case HomeworkOutcome::Verdict::Wrong:
        return QStringLiteral("wrong");
    case HomeworkOutcome::Verdict::Skipped:
        return QStringLiteral("skipped");
    case HomeworkOutcome::Verdict::None:
        break;
    }
    return QStringLiteral("none");
}

QString SessionRecord::fingerprint(const QImage &picture)
{
    if (picture.isNull())
        return {};
    const bool grey = BitPlanes::isGrey(picture);
    const QImage pixels
        = picture.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArray::number(pixels.width()) + ' ' + QByteArray::number(pixels.height())
        + (grey ? " grey\n" : " rgb\n"));
    const qsizetype rowBytes = qsizetype(pixels.width()) * (grey ? 1 : 3);
    for (int y = 0; y < pixels.height(); ++y)
        hash.addData(
            QByteArrayView(reinterpret_cast<const char *>(pixels.constScanLine(y)), rowBytes));
    return QStringLiteral("sha256:") + QString::fromLatin1(hash.result().toHex());
}

SessionRecord::Plane SessionRecord::planeOf(const AnalysedPlane &analysed)
{
    Plane plane;
    plane.picture = analysed.picture;
    plane.builtIn = BuiltInPictures::names().contains(analysed.picture);
    if (!plane.builtIn)
        plane.fingerprint = fingerprint(analysed.source);
    const PlaneStatistics &stats = analysed.statistics;
    plane.width = stats.width;
    plane.height = stats.height;
    plane.plane = analysed.plane;
    plane.typed = analysed.typed;
    plane.verdict = analysed.verdict;
    plane.verdictCurrent = analysed.verdictIsCurrent();
    plane.types = int(stats.types.size());
    plane.averageLength = PlaneReport::figureText(stats.averageLength);
    plane.entropy = PlaneReport::figureText(stats.entropy);
    plane.blocks = stats.total;
    for (const BlockType &type : stats.types)
        plane.histogram.append({type.pattern, type.count});
    return plane;
}

SessionRecord SessionRecord::of(const LabSession &session, const QList<int> &planes)
{
    SessionRecord record;
    const HomeworkOutcome &homework = session.homework();
    record.name = homework.name;
    record.homework = homework.verdict;
    record.counters = homework.counters;
    record.kind = homework.kind;
    record.variant = session.variant();
    for (const int index : planes) {
        if (index >= 0 && index < session.analysed().size())
            record.planes.append(planeOf(session.analysed().at(index)));
    }
    return record;
}

QByteArray SessionRecord::toJson() const
{
    QJsonArray planeArray;
    for (const Plane &plane : planes) {
        QJsonArray histogramArray;
        for (const auto &[pattern, count] : plane.histogram)
            histogramArray.append(QJsonArray {pattern, count});
        QJsonObject object {
            {QStringLiteral("picture"), plane.picture},
            {QStringLiteral("builtIn"), plane.builtIn},
            {QStringLiteral("width"), plane.width},
            {QStringLiteral("height"), plane.height},
            {QStringLiteral("plane"), plane.plane},
            {QStringLiteral("typed"), QJsonArray::fromStringList(plane.typed)},
            {QStringLiteral("verdict"), optionalBool(plane.verdict)},
            {QStringLiteral("verdictCurrent"), plane.verdictCurrent},
            {QStringLiteral("types"), plane.types},
            {QStringLiteral("averageLength"), plane.averageLength},
            {QStringLiteral("entropy"), plane.entropy},
            {QStringLiteral("blocks"), plane.blocks},
            {QStringLiteral("histogram"), histogramArray},
        };
        if (!plane.fingerprint.isEmpty())
            object.insert(QStringLiteral("fingerprint"), plane.fingerprint);
        planeArray.append(object);
    }
    const QJsonObject root {
        {QStringLiteral("program"), programName},
        {QStringLiteral("format"), formatVersion},
        {QStringLiteral("name"), name},
        {QStringLiteral("homework"), verdictName(homework)},
        {QStringLiteral("counters"), counters},
        {QStringLiteral("kind"), kind},
        {QStringLiteral("variant"), variant ? QJsonValue(*variant) : QJsonValue()},
        {QStringLiteral("planes"), planeArray},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<SessionRecord> SessionRecord::fromJson(const QByteArray &json, QString *error)
{
    const auto fail = [error](const QString &why) -> std::optional<SessionRecord> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (document.isNull() || !document.isObject())
        return fail(QStringLiteral("данные сеанса повреждены (не JSON)"));
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("program")).toString() != programName)
        return fail(QStringLiteral("это не данные программы huffman-lab"));
    if (root.value(QStringLiteral("format")).toInt() != formatVersion)
        return fail(QStringLiteral("данные записаны другой версией программы (формат %1)")
                        .arg(root.value(QStringLiteral("format")).toInt()));

    SessionRecord record;
    for (const char *key : {"name", "counters", "kind", "homework"}) {
        if (!isText(root.value(QLatin1String(key))))
            return fail(QStringLiteral("поле «%1» повреждено").arg(QLatin1String(key)));
    }
    record.name = root.value(QStringLiteral("name")).toString();
    record.counters = root.value(QStringLiteral("counters")).toString();
    record.kind = root.value(QStringLiteral("kind")).toString();
    const QString homework = root.value(QStringLiteral("homework")).toString();
    bool knownVerdict = false;
    for (const auto verdict : {HomeworkOutcome::Verdict::None, HomeworkOutcome::Verdict::Right,
             HomeworkOutcome::Verdict::Wrong, HomeworkOutcome::Verdict::Skipped}) {
        if (homework == verdictName(verdict)) {
            record.homework = verdict;
            knownVerdict = true;
        }
    }
    if (!knownVerdict)
        return fail(QStringLiteral("поле «homework» повреждено"));
    const QJsonValue variant = root.value(QStringLiteral("variant"));
    if (isCount(variant, 1000000))
        record.variant = variant.toInt();
    else if (!variant.isNull() && !variant.isUndefined())
        return fail(QStringLiteral("поле «variant» повреждено"));

    const QJsonArray planeArray = root.value(QStringLiteral("planes")).toArray();
    if (planeArray.size() > maxPlanes)
        return fail(QStringLiteral("слишком много плоскостей"));
    for (const QJsonValue &value : planeArray) {
        const QJsonObject object = value.toObject();
        const auto broken = [&](const char *key) {
            return fail(QStringLiteral("плоскость %1: поле «%2» повреждено")
                            .arg(record.planes.size() + 1)
                            .arg(QLatin1String(key)));
        };
        Plane plane;
        for (const char *key : {"picture", "averageLength", "entropy"}) {
            if (!isText(object.value(QLatin1String(key))))
                return broken(key);
        }
        plane.picture = object.value(QStringLiteral("picture")).toString();
        plane.averageLength = object.value(QStringLiteral("averageLength")).toString();
        plane.entropy = object.value(QStringLiteral("entropy")).toString();
        plane.builtIn = object.value(QStringLiteral("builtIn")).toBool();
        const QJsonValue fingerprint = object.value(QStringLiteral("fingerprint"));
        if (!fingerprint.isUndefined() && !isText(fingerprint))
            return broken("fingerprint");
        plane.fingerprint = fingerprint.toString();
        for (const char *key : {"width", "height", "types", "blocks"}) {
            if (!isCount(object.value(QLatin1String(key))))
                return broken(key);
        }
        plane.width = object.value(QStringLiteral("width")).toInt();
        plane.height = object.value(QStringLiteral("height")).toInt();
        plane.types = object.value(QStringLiteral("types")).toInt();
        plane.blocks = object.value(QStringLiteral("blocks")).toInt();
        if (!isCount(object.value(QStringLiteral("plane")), LabSession::planeCount))
            return broken("plane");
        plane.plane = object.value(QStringLiteral("plane")).toInt();
        const QJsonArray typed = object.value(QStringLiteral("typed")).toArray();
        if (typed.size() > maxTyped)
            return broken("typed");
        for (const QJsonValue &text : typed) {
            if (!isText(text))
                return broken("typed");
            plane.typed.append(text.toString());
        }
        const QJsonValue verdict = object.value(QStringLiteral("verdict"));
        if (verdict.isBool())
            plane.verdict = verdict.toBool();
        else if (!verdict.isNull() && !verdict.isUndefined())
            return broken("verdict");
        plane.verdictCurrent = object.value(QStringLiteral("verdictCurrent")).toBool();
        const QJsonArray histogram = object.value(QStringLiteral("histogram")).toArray();
        if (histogram.size() > BlockHistogram::patternCount)
            return broken("histogram");
        for (const QJsonValue &entry : histogram) {
            const QJsonArray pair = entry.toArray();
            if (pair.size() != 2 || !isCount(pair.at(0), BlockHistogram::patternCount - 1)
                || !isCount(pair.at(1)))
                return broken("histogram");
            plane.histogram.append({pair.at(0).toInt(), pair.at(1).toInt()});
        }
        record.planes.append(plane);
    }
    return record;
}
