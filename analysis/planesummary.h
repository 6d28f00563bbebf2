// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

    // A plane of one block type codes every block in 0 bits: no ratio.
    bool hasRatio() const { return averageLength > 0; }
    // 9 / L: bits per block before coding over after.
    double ratio() const { return 9.0 / double(averageLength); }
};

class PlaneSummary
{
public:
    static PlaneFigures of(const PlaneStatistics &stats, int plane);
    static PlaneFigures of(const QImage &plane, int planeNumber);
    // Figures of planes[i] as plane i + 1.
    static QList<PlaneFigures> of(const QList<QImage> &planes);

    // The figures as text, in this order: plane number, block types, L, H (as the report formats
    // them), coded size in bits, 9 / L to 4 significant digits or "-" without a ratio.
    static QStringList fields(const PlaneFigures &figures);
    static QString ratioText(const PlaneFigures &figures);
};
