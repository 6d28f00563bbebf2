// SPDX-License-Identifier: GPL-3.0-or-later
#include "planesummary.h"

#include "planereport.h"
#include "planestatistics.h"

PlaneFigures PlaneSummary::of(const PlaneStatistics &stats, int plane)
{
    PlaneFigures figures;
    figures.plane = plane;
    figures.typeCount = int(stats.types.size());
    figures.averageLength = stats.averageLength;
    figures.entropy = stats.entropy;
    figures.blockCount = stats.total;
    figures.rawBits = stats.bits;
    const qsizetype rows = qMin(stats.types.size(), stats.lengths.size());
    for (qsizetype i = 0; i < rows; ++i)
        figures.codedBits += qint64(stats.types.at(i).count) * stats.lengths.at(i).length;
    return figures;
}

PlaneFigures PlaneSummary::of(const QImage &plane, int planeNumber)
{
    return of(PlaneStatistics::of(plane), planeNumber);
}

QList<PlaneFigures> PlaneSummary::of(const QList<QImage> &planes)
{
    QList<PlaneFigures> summary;
    summary.reserve(planes.size());
    for (qsizetype i = 0; i < planes.size(); ++i)
        summary.append(of(planes.at(i), int(i + 1)));
    return summary;
}

QStringList PlaneSummary::fields(const PlaneFigures &figures)
{
    return {QString::number(figures.plane), QString::number(figures.typeCount),
        QString::number(double(figures.averageLength), 'g', 6),
        QString::number(double(figures.entropy), 'g', 6), QString::number(figures.codedBits),
        ratioText(figures)};
}

QString PlaneSummary::ratioText(const PlaneFigures &figures)
{
    return figures.hasRatio() ? QString::number(figures.ratio(), 'f', 3) : QStringLiteral("-");
}

QString PlaneSummary::sizeRatioText(const PlaneFigures &figures)
{
    return figures.hasSizeRatio() ? QString::number(figures.sizeRatio(), 'f', 3)
                                  : QStringLiteral("-");
}

QStringList PlaneSummary::columnTitles()
{
    return {QStringLiteral("Плоскость"), QStringLiteral("Типов\nблоков"),
        QStringLiteral("L,\nбит/блок"), QStringLiteral("H,\nбит/блок"),
        QStringLiteral("Размер\nW × H, бит"), QStringLiteral("Размер\nкода, бит"),
        QStringLiteral("Сжатие\nW × H/код"), QStringLiteral("Сжатие\n9/L")};
}

SpreadsheetText::Row PlaneSummary::spreadsheetRow(const PlaneFigures &figures)
{
    using Kind = SpreadsheetText::Kind;
    const auto number = [](QString text) -> SpreadsheetText::Cell {
        if (text == QLatin1String("-"))
            return {text, Kind::Label};
        return {text.replace(QLatin1Char('.'), QLatin1Char(',')), Kind::Number};
    };
    const QStringList summary = fields(figures);
    return {number(summary.at(0)), number(summary.at(1)), number(summary.at(2)),
        number(summary.at(3)), number(QString::number(figures.rawBits)),
        number(QString::number(figures.codedBits)), number(sizeRatioText(figures)),
        number(ratioText(figures))};
}

QList<SpreadsheetText::Row> PlaneSummary::spreadsheet(const QList<PlaneFigures> &figures)
{
    SpreadsheetText::Row header;
    for (QString title : columnTitles()) {
        header.append(
            {title.replace(QLatin1Char('\n'), QLatin1Char(' ')), SpreadsheetText::Kind::Label});
    }
    QList<SpreadsheetText::Row> rows {header};
    for (const PlaneFigures &plane : figures)
        rows.append(spreadsheetRow(plane));
    return rows;
}
