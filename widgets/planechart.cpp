// SPDX-License-Identifier: GPL-3.0-or-later
#include "planechart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QKeyEvent>
#include <QLegend>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QValueAxis>

namespace {

constexpr int planeCount = 8;
constexpr double uncodedBits = 9; // a 3 x 3 block before coding

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

} // namespace

// The chart goes in through the constructor: QChartView(parent) would make a default chart
// that setChart releases without deleting.
PlaneChart::PlaneChart(QWidget *parent)
    : QChartView(new QChart, parent)
{
    QChart *chart = this->chart();
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));

    entropySet = new QBarSet(QStringLiteral("Энтропия H"));
    lengthSet = new QBarSet(QStringLiteral("Средняя длина кода L"));
    auto *bars = new QBarSeries;
    bars->append(entropySet);
    bars->append(lengthSet);
    chart->addSeries(bars);

    uncoded = new QLineSeries;
    uncoded->setName(QStringLiteral("Без кодирования: 9 бит на блок"));
    uncoded->append(-0.5, uncodedBits);
    uncoded->append(planeCount - 0.5, uncodedBits);
    chart->addSeries(uncoded);

    planeAxis = new QBarCategoryAxis;
    for (int plane = 1; plane <= planeCount; ++plane)
        planeAxis->append(QString::number(plane));
    planeAxis->setTitleText(QStringLiteral("Битовая плоскость (1 — старший бит)"));
    chart->addAxis(planeAxis, Qt::AlignBottom);
    bars->attachAxis(planeAxis);
    uncoded->attachAxis(planeAxis);

    auto *bitsAxis = new QValueAxis;
    bitsAxis->setRange(0, 10);
    bitsAxis->setTickCount(11);
    bitsAxis->setLabelFormat(QStringLiteral("%d"));
    bitsAxis->setTitleText(QStringLiteral("бит на блок"));
    chart->addAxis(bitsAxis, Qt::AlignLeft);
    bars->attachAxis(bitsAxis);
    uncoded->attachAxis(bitsAxis);

    setFocusPolicy(Qt::StrongFocus);
    setRenderHint(QPainter::Antialiasing);
    setMinimumHeight(240);
    setAccessibleName(QStringLiteral("Диаграмма сравнения плоскостей"));
    applyPalette();
    describeCursor();
}

void PlaneChart::setFigures(const QList<PlaneFigures> &figures)
{
    shown = figures;
    entropySet->remove(0, entropySet->count());
    lengthSet->remove(0, lengthSet->count());
    QStringList labels;
    for (const PlaneFigures &plane : figures) {
        entropySet->append(double(plane.entropy));
        lengthSet->append(double(plane.averageLength));
        // The ratio under the plane number; a plane of one block type has none.
        labels.append(plane.hasRatio()
                ? QStringLiteral("%1<br>×%2").arg(plane.plane).arg(PlaneSummary::ratioText(plane))
                : QString::number(plane.plane));
    }
    while (labels.size() < planeCount)
        labels.append(QString::number(labels.size() + 1));
    planeAxis->setCategories(labels);
    setSelectedPlane(selected);
    describeCursor();
}

void PlaneChart::setSelectedPlane(int plane)
{
    selected = plane;
    for (QBarSet *set : {entropySet, lengthSet}) {
        set->deselectAllBars();
        if (plane >= 1 && plane <= set->count())
            set->selectBar(plane - 1);
    }
    if (plane >= 1 && plane <= planeCount)
        moveCursor(plane);
}

QRectF PlaneChart::columnInScene(int plane) const
{
    // Plane p's category spans p - 1.5 .. p - 0.5 on the axis; the plot runs from 0 to 10 bits.
    QChart *c = chart();
    return QRectF(c->mapToPosition(QPointF(plane - 1.5, 10), uncoded),
        c->mapToPosition(QPointF(plane - 0.5, 0), uncoded))
        .normalized();
}

QRectF PlaneChart::planeColumn(int plane) const
{
    const QRectF scene = columnInScene(plane);
    return QRectF(mapFromScene(scene.topLeft()), mapFromScene(scene.bottomRight())).normalized();
}

int PlaneChart::planeAt(QPoint viewportPoint) const
{
    if (shown.isEmpty())
        return 0;
    const QPointF scenePoint = mapToScene(viewportPoint);
    if (!chart()->plotArea().contains(scenePoint))
        return 0;
    const int plane = qRound(chart()->mapToValue(scenePoint, uncoded).x()) + 1;
    return plane >= 1 && plane <= shown.size() ? plane : 0;
}

void PlaneChart::mousePressEvent(QMouseEvent *event)
{
    const int plane = event->button() == Qt::LeftButton ? planeAt(event->position().toPoint()) : 0;
    if (plane == 0) {
        QChartView::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    moveCursor(plane);
    event->accept();
    emit planeActivated(plane);
}

void PlaneChart::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
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
        QChartView::keyPressEvent(event);
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
    viewport()->update();
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
    QChartView::focusInEvent(event);
    viewport()->update();
}

void PlaneChart::focusOutEvent(QFocusEvent *event)
{
    QChartView::focusOutEvent(event);
    viewport()->update();
}

void PlaneChart::changeEvent(QEvent *event)
{
    QChartView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        applyPalette();
}

void PlaneChart::drawForeground(QPainter *painter, const QRectF &rect)
{
    QChartView::drawForeground(painter, rect);
    if (!hasFocus() || shown.isEmpty())
        return;
    // The keyboard's plane: a dashed frame around its column, in scene coordinates.
    const QRectF column = columnInScene(cursor).adjusted(1, 1, -1, -1);
    painter->save();
    QPen pen(palette().color(QPalette::Highlight), 2, Qt::DashLine);
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(column);
    painter->restore();
}

void PlaneChart::applyPalette()
{
    // Colours that read on the desktop's own background, light or dark.
    const bool dark = isDark(palette());
    QChart *c = chart();
    c->setTheme(dark ? QChart::ChartThemeDark : QChart::ChartThemeLight);
    c->setBackgroundBrush(palette().brush(QPalette::Window));
    c->setPlotAreaBackgroundVisible(false);
    const QColor text = palette().color(QPalette::WindowText);
    c->legend()->setLabelColor(text);
    for (QAbstractAxis *axis : c->axes()) {
        axis->setLabelsColor(text);
        axis->setTitleBrush(text);
    }
    entropySet->setColor(QColor(0x5b, 0x9b, 0xd5));
    entropySet->setBorderColor(entropySet->color());
    entropySet->setSelectedColor(dark ? QColor(0xc6, 0xe2, 0xff) : QColor(0x1f, 0x4e, 0x79));
    lengthSet->setColor(QColor(0xf0, 0xa0, 0x50));
    lengthSet->setBorderColor(lengthSet->color());
    lengthSet->setSelectedColor(dark ? QColor(0xff, 0xe0, 0xb0) : QColor(0xa8, 0x4a, 0x00));
    QPen line(dark ? QColor(0xff, 0x7b, 0x7b) : QColor(0xc0, 0x20, 0x20), 2, Qt::DashLine);
    uncoded->setPen(line);
    setBackgroundBrush(palette().brush(QPalette::Window));
}
