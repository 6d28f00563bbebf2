// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spreadsheettext.h"

#include <QImage>
#include <QList>
#include <QStringList>

struct PlaneStatistics;

// The figures of one plane (or of a picture analysed whole) for comparing the planes of a
// picture: the same single-precision sums as the plane's report.
struct PlaneFigures
{
    int plane = 0; // 1 (most significant bit) to 8; 0 for a picture that is not split
    int typeCount = 0;
    float averageLength = 0; // L, bits per block
    float entropy = 0; // H, bits per block
    qint64 codedBits = 0; // sum of count x code length over the block types
    int blockCount = 0;
    qint64 rawBits = 0; // width x height, the plane's size before coding, as the report gives it

    // What 9 / L compares with: 9 bits for every block, the blocks at the right and bottom
    // edges filled up to 3 x 3, so more than rawBits unless both sides are multiples of 3.
    qint64 paddedBits() const { return qint64(blockCount) * 9; }

    // A plane of one block type codes every block in 0 bits: no ratio.
    bool hasRatio() const { return averageLength > 0; }
    // 9 / L: bits per block before coding over after.
    double ratio() const { return 9.0 / double(averageLength); }
    // The plane's own size against the coded size; none when the blocks code in 0 bits.
    bool hasSizeRatio() const { return codedBits > 0; }
    double sizeRatio() const { return double(rawBits) / double(codedBits); }
};

class PlaneSummary
{
public:
    static PlaneFigures of(const PlaneStatistics &stats, int plane);
    static PlaneFigures of(const QImage &plane, int planeNumber);
    // Figures of planes[i] as plane i + 1.
    static QList<PlaneFigures> of(const QList<QImage> &planes);

    // The figures as text, in this order: plane number, block types, L, H (as the report formats
    // them), coded size in bits, 9 / L as ratioText gives it.
    static QStringList fields(const PlaneFigures &figures);
    // Ratios with three decimals whatever their value ("1.000", "3.857"), so a column of them
    // lines up; "-" without a ratio.
    static QString ratioText(const PlaneFigures &figures);
    static QString sizeRatioText(const PlaneFigures &figures);

    // The comparison's eight column titles, broken into lines as the tab shows them.
    static QStringList columnTitles();
    // One plane's row as it leaves the program: numbers with a decimal comma for a spreadsheet
    // with a Russian locale, "-" for a ratio there is none of.
    static SpreadsheetText::Row spreadsheetRow(const PlaneFigures &figures);
    // The titles on one line each, then a row per plane.
    static QList<SpreadsheetText::Row> spreadsheet(const QList<PlaneFigures> &figures);
};
