// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportchart.h"

#include <QFont>
#include <QPainter>

QImage ReportChart::image(const QList<PlaneFigures> &figures, const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPixelSize(size.height() / 24);
    painter.setFont(font);
    const QColor entropyColour(0x00, 0x55, 0xff);
    const QColor lengthColour(0xff, 0x8c, 0x00);

    // The plot in chart coordinates: x 0..count (a plane a column), y 0..10 bits per block.
    const double maxBits = 10;
    const QRectF plot(
        size.width() * 0.09, size.height() * 0.12, size.width() * 0.88, size.height() * 0.74);
    const int count = int(qMax<qsizetype>(1, figures.size()));
    auto x = [&](double column) { return plot.left() + plot.width() * column / count; };
    auto y = [&](double bits) { return plot.bottom() - plot.height() * bits / maxBits; };

    painter.setPen(QPen(QColor(0xdd, 0xdd, 0xdd), 1));
    for (int bits = 0; bits <= maxBits; ++bits)
        painter.drawLine(QPointF(plot.left(), y(bits)), QPointF(plot.right(), y(bits)));
    painter.setPen(Qt::black);
    for (int bits = 0; bits <= maxBits; bits += 1) {
        painter.drawText(QRectF(0, y(bits) - 30, plot.left() - 10, 60),
            Qt::AlignRight | Qt::AlignVCenter, QString::number(bits));
    }
    for (int i = 0; i < figures.size(); ++i) {
        const PlaneFigures &f = figures.at(i);
        const double width = plot.width() / count;
        const double bar = width * 0.3;
        const QRectF entropy(QPointF(x(i) + width * 0.18, y(double(f.entropy))),
            QPointF(x(i) + width * 0.18 + bar, plot.bottom()));
        const QRectF length(QPointF(entropy.right() + width * 0.04, y(double(f.averageLength))),
            QPointF(entropy.right() + width * 0.04 + bar, plot.bottom()));
        painter.fillRect(entropy, entropyColour);
        painter.fillRect(length, lengthColour);
        painter.drawText(QRectF(x(i), plot.bottom() + 5, width, size.height() * 0.06),
            Qt::AlignHCenter | Qt::AlignTop, QString::number(f.plane));
    }
    // 9 bits: a block of 3 x 3 pixels before coding.
    painter.setPen(QPen(Qt::red, 3, Qt::DashLine));
    painter.drawLine(QPointF(plot.left(), y(9)), QPointF(plot.right(), y(9)));
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    painter.drawText(QRectF(plot.left(), size.height() * 0.93, plot.width(), size.height() * 0.07),
        Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Номер плоскости (1 — старший бит)"));

    // The legend above the plot.
    const double box = size.height() / 30.0;
    double at = plot.left();
    const double top = size.height() * 0.03;
    auto legend = [&](const QColor &colour, const QString &text, bool line) {
        if (line) {
            painter.setPen(QPen(colour, 3, Qt::DashLine));
            painter.drawLine(QPointF(at, top + box / 2), QPointF(at + box * 1.5, top + box / 2));
        } else {
            painter.fillRect(QRectF(at, top, box * 1.5, box), colour);
        }
        painter.setPen(Qt::black);
        const QRectF label(at + box * 2, top - box, size.width(), box * 3);
        const QRectF used = painter.boundingRect(label, Qt::AlignLeft | Qt::AlignVCenter, text);
        painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, text);
        at = used.right() + box * 2;
    };
    legend(entropyColour, QStringLiteral("H, бит/блок"), false);
    legend(lengthColour, QStringLiteral("L, бит/блок"), false);
    legend(Qt::red, QStringLiteral("9 бит — блок без кодирования"), true);
    painter.end();
    return image;
}
