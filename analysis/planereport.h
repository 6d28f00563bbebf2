// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

struct PlaneStatistics;

// The texts the plane analysis writes into the results table and the report pane.
class PlaneReport
{
public:
    // "Изображение: <name>. Плоскость №<n>"
    static QString imageParagraph(const QString &imageName, double planeNumber);
    // "Изображение: <name>", for a picture analysed as a whole rather than as one of its planes.
    static QString imageParagraph(const QString &imageName);
    // Block size and the number of block types.
    static QString blockTypesParagraph(qsizetype typeCount);
    // Average code length, blocks, counter list length, plane size and entropy, then the
    // separator line.
    static QString summaryParagraph(
        float averageLength, int blockCount, qsizetype counterCount, qint64 bits, float entropy);
    static QString summaryParagraph(const PlaneStatistics &stats);

    // L, H and the other real figures as the report prints them: 'g' with 6 significant digits.
    static QString figureText(float value);
    // The probability cell: 'g' with 6 significant digits.
    static QString probabilityText(float probability);
    // A probability cell text as a plain decimal with a decimal comma and the same digits, for
    // the student's entropy calculation: "3.41986e-05" gives "0,0000341986".
    static QString entropyLine(const QString &probabilityText);
    static QString entropyLine(float probability);
};
