// SPDX-License-Identifier: GPL-3.0-or-later
#include "planechart.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

constexpr int planeCount = 8;
constexpr double uncodedBits = 9; // a 3 x 3 block before coding
constexpr int topBits = 10; // the bits axis runs from 0 to here
// Each plane's two bars together take half its column, centred, as grouped bars usually do.
constexpr double barWidth = 0.25;

// Pixels around and between the parts of the chart.
constexpr int margin = 8;
constexpr int gap = 4;
constexpr int tickLength = 4;
constexpr int markerSize = 10;
constexpr int lineMarkerLength = 18;
constexpr int legendSpacing = 16;

QColor mixed(const QColor &from, const QColor &to, double share)
{
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * share),
        float(from.greenF() + (to.greenF() - from.greenF()) * share),
        float(from.blueF() + (to.blueF() - from.blueF()) * share));
}

// Colours that read on the desktop's own background, light or dark; taken from the palette at
// each paint, so a change of the desktop's colours needs nothing but a repaint.
struct Colours
{
    explicit Colours(const QPalette &palette)
        : background(palette.color(QPalette::Window))
        , text(palette.color(QPalette::WindowText))
        , grid(mixed(background, text, 0.15))
        , axis(mixed(background, text, 0.55))
        , focus(palette.color(QPalette::Highlight))
    {
        const bool dark = background.lightness() < 128;
        entropySelected = dark ? QColor(0xc6, 0xe2, 0xff) : QColor(0x1f, 0x4e, 0x79);
        lengthSelected = dark ? QColor(0xff, 0xe0, 0xb0) : QColor(0xa8, 0x4a, 0x00);
        uncoded = dark ? QColor(0xff, 0x7b, 0x7b) : QColor(0xc0, 0x20, 0x20);
    }

    QColor background;
    QColor text;
    QColor grid;
    QColor axis;
    QColor focus;
    QColor entropy {0x5b, 0x9b, 0xd5};
    QColor length {0xf0, 0xa0, 0x50};
    QColor entropySelected;
    QColor lengthSelected;
    QColor uncoded;
};

QPen uncodedPen(const Colours &colours)
{
    return QPen(colours.uncoded, 2, Qt::DashLine, Qt::FlatCap);
}

enum class Marker { Entropy, Length, Uncoded };

struct LegendEntry
{
    Marker marker;
    QString text;
    QRect place; // marker and text together, in widget coordinates
};

QList<LegendEntry> legendEntries()
{
    return {{Marker::Entropy, QStringLiteral("Энтропия H"), {}},
        {Marker::Length, QStringLiteral("Средняя длина кода L"), {}},
        {Marker::Uncoded, QStringLiteral("Без кодирования: 9 бит на блок"), {}}};
}

int markerWidth(Marker marker)
{
    return marker == Marker::Uncoded ? lineMarkerLength : markerSize;
}

// The legend's entries in centred rows across `width` from `left`, wrapped where a narrow
// window has no room for them side by side. Returns the height the rows take.
int layOutLegend(
    QList<LegendEntry> &entries, const QFontMetrics &metrics, int left, int width, int top)
{
    const int rowHeight = std::max(metrics.height(), markerSize);
    QList<QList<int>> rows {{}};
    QList<int> rowWidths {0};
    for (int i = 0; i < entries.size(); ++i) {
        LegendEntry &entry = entries[i];
        entry.place.setSize(QSize(
            markerWidth(entry.marker) + gap + metrics.horizontalAdvance(entry.text), rowHeight));
        const int needed
            = rowWidths.last() + (rows.last().isEmpty() ? 0 : legendSpacing) + entry.place.width();
        if (!rows.last().isEmpty() && needed > width) {
            rows.append(QList<int>());
            rowWidths.append(0);
        }
        rowWidths.last() += (rows.last().isEmpty() ? 0 : legendSpacing) + entry.place.width();
        rows.last().append(i);
    }
    for (int row = 0; row < rows.size(); ++row) {
        int x = left + std::max(0, (width - rowWidths.at(row)) / 2);
        for (int i : rows.at(row)) {
            entries[i].place.moveTopLeft(QPoint(x, top + row * rowHeight));
            x += entries.at(i).place.width() + legendSpacing;
        }
    }
    return int(rows.size()) * rowHeight;
}

// A rectangle of the chart's coordinates as whole pixels: neighbouring bars and columns share
// their edges exactly, without the blur of a fractional edge.
QRect snapped(const QRectF &rect)
{
    const QRectF r = rect.normalized();
    return QRect(QPoint(qRound(r.left()), qRound(r.top())),
        QPoint(qRound(r.right()) - 1, qRound(r.bottom()) - 1));
}

QFont titleFont(QFont font)
{
    font.setBold(true);
    return font;
}

// The ratio under the plane number; a plane of one block type has none.
QString ratioLabel(const PlaneFigures &figures)
{
    return figures.hasRatio() ? QStringLiteral("×") + PlaneSummary::ratioText(figures) : QString();
}

} // namespace

struct PlaneChart::Geometry
{
    QRectF plot; // the plot area, widget coordinates
    QTransform toWidget; // chart coordinates -> widget coordinates
    QList<LegendEntry> legend;
    QRect planeTitle; // the planes axis' title
    QRect bitsTitle; // the bits axis' title before it is turned upright: its centre and length
};

PlaneChart::PlaneChart(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumHeight(240);
    setAccessibleName(QStringLiteral("Диаграмма сравнения плоскостей"));
    describeCursor();
}

QSize PlaneChart::sizeHint() const
{
    return QSize(480, 300);
}

QSize PlaneChart::minimumSizeHint() const
{
    return QSize(240, 240);
}

void PlaneChart::setFigures(const QList<PlaneFigures> &figures)
{
    shown = figures;
    setSelectedPlane(selected);
    describeCursor();
    update();
}

void PlaneChart::setSelectedPlane(int plane)
{
    selected = plane;
    if (plane >= 1 && plane <= planeCount)
        moveCursor(plane);
    update();
}

PlaneChart::Geometry PlaneChart::geometry() const
{
    Geometry g;
    const QFontMetrics metrics = fontMetrics();
    const QFontMetrics titleMetrics(titleFont(font()));
    const int line = metrics.height();

    g.legend = legendEntries();
    const int legendHeight = layOutLegend(g.legend, metrics, margin, width() - 2 * margin, 0);
    const int legendTop = height() - margin - legendHeight;
    g.planeTitle = QRect(0, legendTop - gap * 2 - titleMetrics.height(), 0, titleMetrics.height());
    // Under the axis: the ticks, then two lines (plane number and ratio), then the title.
    const double bottom = g.planeTitle.top() - gap - 2 * line - gap - tickLength;
    const double top = margin + line / 2.0;
    const double left = margin + titleMetrics.height() + 2 * gap
        + metrics.horizontalAdvance(QString::number(topBits)) + gap + tickLength;
    const double right = width() - margin - gap * 2;
    g.plot
        = QRectF(QPointF(left, top), QPointF(std::max(left + 1, right), std::max(top + 1, bottom)));
    g.planeTitle.setLeft(qRound(g.plot.left()));
    g.planeTitle.setWidth(qRound(g.plot.width()));
    g.bitsTitle = QRect(0, 0, qRound(g.plot.height()), titleMetrics.height());
    g.bitsTitle.moveCenter(QPoint(margin + titleMetrics.height() / 2, qRound(g.plot.center().y())));

    // The analog clock's idea with a chart's axes: x in planes, y in bits, growing upwards.
    g.toWidget = QTransform(g.plot.width() / planeCount, 0, 0, -g.plot.height() / topBits,
        g.plot.left(), g.plot.bottom());
    for (LegendEntry &entry : g.legend)
        entry.place.translate(0, legendTop);
    return g;
}

QRectF PlaneChart::planeColumn(int plane) const
{
    return geometry().toWidget.mapRect(QRectF(plane - 1, 0, 1, topBits));
}

int PlaneChart::planeAt(QPointF point) const
{
    if (shown.isEmpty())
        return 0;
    const Geometry g = geometry();
    if (!g.plot.contains(point))
        return 0;
    const QPointF inChart = g.toWidget.inverted().map(point);
    const int plane = std::clamp(int(std::floor(inChart.x())), 0, planeCount - 1) + 1;
    return plane <= shown.size() ? plane : 0;
}

void PlaneChart::paintEvent(QPaintEvent *)
{
    const Geometry g = geometry();
    QPainter painter(this);
    painter.fillRect(rect(), Colours(palette()).background);
    drawGrid(painter, g);
    drawBars(painter, g);
    drawAxes(painter, g);
    drawLegend(painter, g);
    drawFocus(painter, g);
}

void PlaneChart::drawGrid(QPainter &painter, const Geometry &g) const
{
    painter.setPen(QPen(Colours(palette()).grid, 1));
    for (int bits = 1; bits <= topBits; ++bits) {
        const int y = qRound(g.toWidget.map(QPointF(0, bits)).y());
        painter.drawLine(QPoint(qRound(g.plot.left()), y), QPoint(qRound(g.plot.right()), y));
    }
    for (int column = 1; column <= planeCount; ++column) {
        const int x = qRound(g.toWidget.map(QPointF(column, 0)).x());
        painter.drawLine(QPoint(x, qRound(g.plot.top())), QPoint(x, qRound(g.plot.bottom())));
    }
}

void PlaneChart::drawBars(QPainter &painter, const Geometry &g) const
{
    const Colours colours(palette());
    for (int i = 0; i < std::min(int(shown.size()), planeCount); ++i) {
        const PlaneFigures &figures = shown.at(i);
        const bool highlighted = selected == i + 1;
        const double middle = i + 0.5;
        const auto bar = [&](double from, float bits) {
            const double height = std::clamp(double(bits), 0.0, double(topBits));
            return snapped(g.toWidget.mapRect(QRectF(from, 0, barWidth, height)));
        };
        painter.fillRect(bar(middle - barWidth, figures.entropy),
            highlighted ? colours.entropySelected : colours.entropy);
        painter.fillRect(bar(middle, figures.averageLength),
            highlighted ? colours.lengthSelected : colours.length);
    }
    // The uncoded line over the bars, across the whole plot.
    const QPointF from = g.toWidget.map(QPointF(0, uncodedBits));
    const QPointF to = g.toWidget.map(QPointF(planeCount, uncodedBits));
    painter.setPen(uncodedPen(colours));
    painter.drawLine(QLineF(
        QPointF(qRound(from.x()), qRound(from.y())), QPointF(qRound(to.x()), qRound(from.y()))));
}

void PlaneChart::drawAxes(QPainter &painter, const Geometry &g) const
{
    const Colours colours(palette());
    const QFontMetrics metrics = fontMetrics();
    const int left = qRound(g.plot.left());
    const int bottom = qRound(g.plot.bottom());

    painter.setPen(QPen(colours.axis, 1));
    painter.drawLine(QPoint(left, qRound(g.plot.top())), QPoint(left, bottom));
    painter.drawLine(QPoint(left, bottom), QPoint(qRound(g.plot.right()), bottom));

    // The bits axis: a tick and a number at each whole bit.
    for (int bits = 0; bits <= topBits; ++bits) {
        const int y = qRound(g.toWidget.map(QPointF(0, bits)).y());
        painter.setPen(QPen(colours.axis, 1));
        painter.drawLine(QPoint(left - tickLength, y), QPoint(left, y));
        painter.setPen(colours.text);
        const QRect label(0, y - metrics.height() / 2, left - tickLength - gap, metrics.height());
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, QString::number(bits));
    }

    // The planes axis: ticks between the columns, each plane's number and ratio under it.
    for (int column = 0; column <= planeCount; ++column) {
        const int x = qRound(g.toWidget.map(QPointF(column, 0)).x());
        painter.setPen(QPen(colours.axis, 1));
        painter.drawLine(QPoint(x, bottom), QPoint(x, bottom + tickLength));
    }
    painter.setPen(colours.text);
    for (int i = 0; i < planeCount; ++i) {
        const int from = qRound(g.toWidget.map(QPointF(i, 0)).x());
        const int columnWidth = qRound(g.toWidget.map(QPointF(i + 1, 0)).x()) - from;
        const QRect numberLine(from, bottom + tickLength + gap, columnWidth, metrics.height());
        painter.drawText(numberLine, Qt::AlignHCenter | Qt::AlignTop,
            metrics.elidedText(QString::number(i + 1), Qt::ElideRight, columnWidth));
        if (i < shown.size()) {
            painter.drawText(numberLine.translated(0, metrics.height()),
                Qt::AlignHCenter | Qt::AlignTop,
                metrics.elidedText(ratioLabel(shown.at(i)), Qt::ElideRight, columnWidth));
        }
    }

    painter.save();
    painter.setFont(titleFont(font()));
    painter.drawText(
        g.planeTitle, Qt::AlignCenter, QStringLiteral("Битовая плоскость (1 — старший бит)"));
    // Upright, reading from the bottom up.
    painter.translate(g.bitsTitle.center());
    painter.rotate(-90);
    painter.drawText(g.bitsTitle.translated(-g.bitsTitle.center()), Qt::AlignCenter,
        QStringLiteral("бит на блок"));
    painter.restore();
}

void PlaneChart::drawLegend(QPainter &painter, const Geometry &g) const
{
    const Colours colours(palette());
    for (const LegendEntry &entry : g.legend) {
        const int middle = entry.place.center().y();
        QRect marker(entry.place.left(), middle - markerSize / 2, markerSize, markerSize);
        switch (entry.marker) {
        case Marker::Entropy:
            painter.fillRect(marker, colours.entropy);
            break;
        case Marker::Length:
            painter.fillRect(marker, colours.length);
            break;
        case Marker::Uncoded:
            marker.setWidth(lineMarkerLength);
            painter.setPen(uncodedPen(colours));
            painter.drawLine(QPoint(marker.left(), middle), QPoint(marker.right() + 1, middle));
            break;
        }
        painter.setPen(colours.text);
        painter.drawText(entry.place.adjusted(marker.width() + gap, 0, 0, 0),
            Qt::AlignLeft | Qt::AlignVCenter, entry.text);
    }
}

void PlaneChart::drawFocus(QPainter &painter, const Geometry &g) const
{
    if (!hasFocus() || shown.isEmpty())
        return;
    // The keyboard's plane: a dashed frame around its column.
    const QRect column = snapped(g.toWidget.mapRect(QRectF(cursor - 1, 0, 1, topBits)));
    painter.setPen(QPen(Colours(palette()).focus, 2, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(column.adjusted(2, 2, -1, -1));
}

void PlaneChart::mousePressEvent(QMouseEvent *event)
{
    const int plane = event->button() == Qt::LeftButton ? planeAt(event->position()) : 0;
    if (plane == 0) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    moveCursor(plane);
    event->accept();
    emit planeActivated(plane);
}

void PlaneChart::keyPressEvent(QKeyEvent *event)
{
    const int last = qMax(1, int(shown.size()));
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        moveCursor(qMax(1, cursor - 1));
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        moveCursor(qMin(last, cursor + 1));
        break;
    case Qt::Key_Home:
        moveCursor(1);
        break;
    case Qt::Key_End:
        moveCursor(last);
        break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!shown.isEmpty())
            emit planeActivated(cursor);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void PlaneChart::moveCursor(int plane)
{
    if (plane == cursor)
        return;
    cursor = plane;
    describeCursor();
    update();
}

void PlaneChart::describeCursor()
{
    QString text = QStringLiteral("Столбцы энтропии H и средней длины кода L каждой битовой "
                                  "плоскости в битах на блок, линия — 9 бит без кодирования. "
                                  "Стрелки выбирают плоскость, пробел показывает ее.");
    if (cursor >= 1 && cursor <= shown.size()) {
        const PlaneFigures &plane = shown.at(cursor - 1);
        text += QStringLiteral(" Плоскость %1: H = %2, L = %3 бит на блок, сжатие %4.")
                    .arg(plane.plane)
                    .arg(QString::number(double(plane.entropy), 'g', 6),
                        QString::number(double(plane.averageLength), 'g', 6),
                        plane.hasRatio() ? PlaneSummary::ratioText(plane)
                                         : QStringLiteral("не определено"));
    }
    setAccessibleDescription(text);
}

void PlaneChart::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void PlaneChart::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void PlaneChart::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Colours and the layout come from the palette and the font at each paint.
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::FontChange:
    case QEvent::StyleChange:
        update();
        break;
    default:
        break;
    }
}
