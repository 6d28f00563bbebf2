// SPDX-License-Identifier: GPL-3.0-or-later
#include "codetreeview.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr int margin = 12;
constexpr int left = 36; // room for the root's step number
constexpr int header = 18; // the row of depth numbers
constexpr int rowHeight = 28;
constexpr int columnWidth = 78;
constexpr int radius = 13;

} // namespace

CodeTreeView::CodeTreeView(const HuffmanConstruction &construction, QWidget *parent)
    : QWidget(parent)
    , construction(construction)
    , centres(size_t(construction.nodes.size()))
{
    const QList<HuffmanConstruction::Node> &nodes = construction.nodes;
    if (nodes.isEmpty())
        return;

    // Depths from the root down; a parent always comes after its children.
    std::vector<int> depths(size_t(nodes.size()), 0);
    for (qsizetype i = nodes.size(); i-- > 0;) {
        const HuffmanConstruction::Node &node = nodes.at(i);
        if (node.upper >= 0)
            depths[size_t(node.upper)] = depths[size_t(node.lower)] = depths[size_t(i)] + 1;
    }
    depth = *std::max_element(depths.begin(), depths.end());

    // Leaves one per row, the upper subtree first; an inner node midway between its children.
    const QFontMetrics metrics(font());
    std::vector<int> pending {int(nodes.size()) - 1};
    int row = 0;
    while (!pending.empty()) {
        const int index = pending.back();
        pending.pop_back();
        const HuffmanConstruction::Node &node = nodes.at(index);
        if (node.upper >= 0) {
            pending.push_back(node.lower);
            pending.push_back(node.upper);
            continue;
        }
        centres[size_t(index)] = QPointF(left + radius + depths[size_t(index)] * columnWidth,
            margin + header + row * rowHeight + rowHeight / 2.0);
        leafWidth = std::max(leafWidth, metrics.horizontalAdvance(leafText(index)) + 2 * radius);
        ++row;
    }
    for (qsizetype i = 0; i < nodes.size(); ++i) {
        const HuffmanConstruction::Node &node = nodes.at(i);
        if (node.upper >= 0) {
            centres[size_t(i)] = QPointF(left + radius + depths[size_t(i)] * columnWidth,
                (centres[size_t(node.upper)].y() + centres[size_t(node.lower)].y()) / 2);
        }
    }
    setFixedSize(sizeHint());
}

QSize CodeTreeView::sizeHint() const
{
    const int leaves = int(construction.letters.size());
    return QSize(
        left + margin + depth * columnWidth + leafWidth, 2 * margin + header + leaves * rowHeight);
}

QString CodeTreeView::characterText(QChar character)
{
    return character == QLatin1Char(' ') ? QStringLiteral("␣") : QString(character);
}

QString CodeTreeView::leafText(int node) const
{
    const HuffmanConstruction::Node &leaf = construction.nodes.at(node);
    return characterText(construction.letters.at(leaf.symbols.constFirst().symbol))
        + QStringLiteral("  ") + QString::number(leaf.count);
}

void CodeTreeView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    const QList<HuffmanConstruction::Node> &nodes = construction.nodes;

    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.8);
    painter.setFont(small);
    painter.setPen(Qt::darkGray);
    for (int d = 0; d <= depth; ++d) {
        const QRectF cell(left + d * columnWidth, margin, 2 * radius, header);
        painter.drawText(cell, Qt::AlignCenter, QString::number(d));
    }

    painter.setPen(QPen(QColor(0x50, 0x50, 0x50), 1.2));
    for (qsizetype i = 0; i < nodes.size(); ++i) {
        const HuffmanConstruction::Node &node = nodes.at(i);
        if (node.upper < 0)
            continue;
        painter.drawLine(centres[size_t(i)], centres[size_t(node.upper)]);
        painter.drawLine(centres[size_t(i)], centres[size_t(node.lower)]);
    }

    for (qsizetype i = 0; i < nodes.size(); ++i) {
        const HuffmanConstruction::Node &node = nodes.at(i);
        const QPointF centre = centres[size_t(i)];
        painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
        if (node.upper >= 0) {
            painter.setBrush(QColor(0xdc, 0xe8, 0xf5));
            painter.drawEllipse(centre, radius, radius);
            painter.setFont(font());
            painter.drawText(
                QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius),
                Qt::AlignCenter, QString::number(node.count));
            // The step's number at the upper left, on white so that an edge does not hide it.
            painter.setFont(small);
            const QString number = QStringLiteral("№") + QString::number(node.step);
            const QFontMetricsF metrics(small);
            const QRectF label(centre.x() - radius - metrics.horizontalAdvance(number) - 3,
                centre.y() - radius - metrics.height() / 2, metrics.horizontalAdvance(number) + 2,
                metrics.height());
            painter.fillRect(label, Qt::white);
            painter.setPen(Qt::darkGray);
            painter.drawText(label, Qt::AlignCenter, number);
        } else {
            const QRectF box(centre.x() - radius, centre.y() - radius, leafWidth, 2 * radius);
            painter.setBrush(QColor(0xe3, 0xf1, 0xe6));
            painter.drawRoundedRect(box, 6, 6);
            painter.setFont(font());
            painter.drawText(box, Qt::AlignCenter, leafText(int(i)));
        }
    }
}
