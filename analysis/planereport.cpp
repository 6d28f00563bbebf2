// SPDX-License-Identifier: GPL-3.0-or-later
#include "planereport.h"

#include "planestatistics.h"

QString PlaneReport::imageParagraph(const QString &imageName, double planeNumber)
{
    return imageParagraph(imageName) + QStringLiteral(". Плоскость №")
        + QString::number(planeNumber, 'g', 6);
}

QString PlaneReport::imageParagraph(const QString &imageName)
{
    return QStringLiteral("Изображение: ") + imageName;
}

QString PlaneReport::blockTypesParagraph(qsizetype typeCount)
{
    const int blockSize = 3;
    return QStringLiteral("Ширина блока= ") + QString::number(blockSize)
        + QStringLiteral("\tВысота блока = ") + QString::number(blockSize) + QStringLiteral("\n")
        + QStringLiteral("Всего найдено ") + QString::number(typeCount)
        + QStringLiteral(" типов блоков!");
}

QString PlaneReport::summaryParagraph(
    float averageLength, int blockCount, qsizetype counterCount, qint64 bits, float entropy)
{
    // Integer bits: a float is off by one from 2^24 + 1 pixels (4097 x 4097) on. Below that
    // the texts are the same as a float would give.
    const double kilobytes = double(bits) / 8192;
    return QStringLiteral("Средняя длина кода = ") + figureText(averageLength)
        + QStringLiteral(" бит") + QStringLiteral("\n")
        + QStringLiteral("Количество блоков в плоскости = ") + QString::number(blockCount)
        + QStringLiteral("\n") + QStringLiteral("Длина списка счетчиков кодов = ")
        + QString::number(counterCount) + QStringLiteral("\n")
        + QStringLiteral("Исходный размер плоскости = ") + QString::number(bits)
        + QStringLiteral(" бит = ") + QString::number(kilobytes, 'g', 6) + QStringLiteral(" Кбайт")
        + QStringLiteral("\n") + QStringLiteral("Энтропия плоскости = ") + figureText(entropy)
        + QStringLiteral(" бит/блок") + QStringLiteral("\n") + QStringLiteral("\n\n")
        + QString(65, QLatin1Char('_'));
}

QString PlaneReport::summaryParagraph(const PlaneStatistics &stats)
{
    return summaryParagraph(
        stats.averageLength, stats.total, stats.counters.size(), stats.bits, stats.entropy);
}

QString PlaneReport::probabilityText(float probability)
{
    return QString::number(double(probability), 'g', 6);
}

QString PlaneReport::entropyLine(const QString &probabilityText)
{
    // Rewrites the digits of the 'g' text without its exponent, so nothing is rounded again.
    QString text = probabilityText.trimmed();
    QString sign;
    if (text.startsWith(QLatin1Char('-'))) {
        sign = QStringLiteral("-");
        text.remove(0, 1);
    }
    int exponent = 0;
    const qsizetype e = text.indexOf(QLatin1Char('e'), 0, Qt::CaseInsensitive);
    if (e >= 0) {
        bool ok = false;
        exponent = text.mid(e + 1).toInt(&ok);
        if (!ok || qAbs(exponent) > 400) // no float needs more
            return probabilityText;
        text.truncate(e);
    }
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    QString digits = text;
    qsizetype integerDigits = text.size();
    if (point >= 0) {
        digits.remove(point, 1);
        integerDigits = point;
    }
    for (const QChar c : std::as_const(digits)) {
        if (!c.isDigit())
            return probabilityText; // not a number: leave it as it is
    }
    if (digits.isEmpty())
        return probabilityText;
    integerDigits += exponent;

    QString integerPart;
    QString fraction;
    if (integerDigits <= 0) {
        fraction = QString(-integerDigits, QLatin1Char('0')) + digits;
    } else if (integerDigits >= digits.size()) {
        integerPart = digits + QString(integerDigits - digits.size(), QLatin1Char('0'));
    } else {
        integerPart = digits.left(integerDigits);
        fraction = digits.mid(integerDigits);
    }
    while (integerPart.size() > 1 && integerPart.startsWith(QLatin1Char('0')))
        integerPart.remove(0, 1);
    if (integerPart.isEmpty())
        integerPart = QStringLiteral("0");
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    return fraction.isEmpty() ? sign + integerPart
                              : sign + integerPart + QLatin1Char(',') + fraction;
}

QString PlaneReport::entropyLine(float probability)
{
    return entropyLine(probabilityText(probability));
}

QString PlaneReport::figureText(float value)
{
    return QString::number(double(value), 'g', 6);
}
