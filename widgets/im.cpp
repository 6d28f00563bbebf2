// SPDX-License-Identifier: GPL-3.0-or-later
#include "im.h"
#include "ui_im.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QWheelEvent>

#include <cstring>

namespace {

// Copies the 32-bit image src into the 32-bit image dst with its top-left corner at `at`.
void place(QImage &dst, const QImage &src, QPoint at)
{
    const size_t rowBytes = size_t(src.width()) * 4;
    for (int y = 0; y < src.height(); ++y)
        std::memcpy(dst.scanLine(at.y() + y) + size_t(at.x()) * 4, src.constScanLine(y), rowBytes);
}

// Where QImage::scaled with Qt::FastTransformation samples inside each n x n cell when it shrinks
// by 1 / n, learnt from a small probe whose pixels hold their own coordinates.
QPoint downscalePhase(int n)
{
    QImage probe(2 * n, 2 * n, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < probe.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(probe.scanLine(y));
        for (int x = 0; x < probe.width(); ++x)
            line[x] = 0xff000000u | uint(x) << 8 | uint(y);
    }
    const QImage sample = probe.scaled(2, 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QRgb cell = reinterpret_cast<const QRgb *>(sample.constScanLine(1))[1];
    return QPoint(int(cell >> 8 & 0xff) - n, int(cell & 0xff) - n);
}

} // namespace

Im::Im(QWidget *parent, Qt::WindowFlags flags)
    : QWidget(parent, flags)
    , ui(std::make_unique<Ui::ImClass>())
{
    ui->setupUi(this);

    // The zoom factor beside the magnifier: the horizontal bar shares its cell with it, so the
    // view cell and the magnifier's cell stay where they are.
    zoomLabel = new QLabel(this);
    zoomLabel->setObjectName(QStringLiteral("zoomFactor"));
    zoomLabel->setAlignment(Qt::AlignCenter);
    zoomLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    zoomLabel->setToolTip(QStringLiteral("Масштаб: Ctrl+колесико мыши над плоскостью или "
                                         "колесико над значком лупы"));
    zoomLabel->setAccessibleName(QStringLiteral("Масштаб"));
    int widest = 0;
    for (float step = 0.125f; step <= 32.0f; step *= 2)
        widest = qMax(widest, zoomLabel->fontMetrics().horizontalAdvance(zoomText(step)));
    zoomLabel->setFixedWidth(widest + zoomLabel->fontMetrics().averageCharWidth());
    zoomLabel->setText(zoomText(scale));
    auto *barRow = new QHBoxLayout;
    barRow->setContentsMargins(0, 0, 0, 0);
    barRow->setSpacing(ui->gridLayout->horizontalSpacing());
    ui->gridLayout->removeWidget(ui->horizontalScrollBar);
    barRow->addWidget(ui->horizontalScrollBar, 1);
    barRow->addWidget(zoomLabel);
    ui->gridLayout->addLayout(barRow, 1, 0);

    connect(ui->horizontalScrollBar, &QScrollBar::valueChanged, this, &Im::onHSliderMove);
    connect(ui->verticalScrollBar, &QScrollBar::valueChanged, this, &Im::onVSliderMove);
}

Im::~Im() = default;

QString Im::zoomText(float scale)
{
    if (scale >= 1.0f)
        return QStringLiteral("x%1").arg(qRound(scale));
    return QStringLiteral("1/%1").arg(qRound(1.0f / scale));
}

void Im::setImage(QImage image)
{
    sourceImage = std::move(image);
    // Marks belong to the image they were made for.
    markCells = QImage();
    updateScrollBars(false);
    updateShownImage();
    repaint();
}

QRect Im::viewCell() const
{
    return ui->gridLayout->cellRect(0, 0);
}

void Im::updateScrollBars(bool resetOffsetsWhenFitting)
{
    // Lowering a maximum below the current value makes the bar clamp and emit valueChanged, so the
    // offsets follow through the slider slots before the next step.
    const QRect cell = viewCell();
    const int cols = qRound(cell.width() / scale);
    const int rows = qRound(cell.height() / scale);

    QScrollBar *horizontal = ui->horizontalScrollBar;
    if (cols < sourceImage.width()) {
        horizontal->setMinimum(0);
        horizontal->setMaximum(sourceImage.width() - cols);
        horizontal->setValue(offsetX);
        horizontal->setPageStep(cols);
    } else {
        horizontal->setMaximum(0);
        if (resetOffsetsWhenFitting)
            offsetX = 0;
    }

    QScrollBar *vertical = ui->verticalScrollBar;
    if (rows < sourceImage.height()) {
        vertical->setMinimum(0);
        vertical->setMaximum(sourceImage.height() - rows);
        vertical->setValue(offsetY);
        vertical->setPageStep(rows);
    } else {
        vertical->setMaximum(0);
        if (resetOffsetsWhenFitting)
            offsetY = 0;
    }
}

void Im::updateShownImage()
{
    shownImage = scaledCrop(QPoint(offsetX, offsetY));
    shownMarks = markedCrop(QPoint(offsetX, offsetY));
}

QColor Im::markColour()
{
    // Orange, half covering: light orange on white, brown on black, the pixel still readable.
    return QColor(255, 128, 0, 140);
}

void Im::setMarks(const QImage &cells, int cellSize)
{
    markCells = cells.isNull() ? QImage() : cells.convertToFormat(QImage::Format_Grayscale8);
    markCellSize = qMax(1, cellSize);
    shownMarks = markedCrop(QPoint(offsetX, offsetY));
    repaint();
}

std::vector<int> Im::shownPixels(int origin, int shownLength, int imageLength, int phase) const
{
    // The same sampling as the plane's crop: k screen pixels per image pixel zoomed in, one image
    // pixel of every n zoomed out.
    std::vector<int> pixels(size_t(qMax(0, shownLength)), -1);
    const int k = qMax(1, qRound(scale));
    const int n = qMax(1, qRound(1 / scale));
    for (int s = 0; s < shownLength; ++s) {
        const int pixel = scale >= 1 ? origin + s / k : origin + phase + s * n;
        if (pixel >= 0 && pixel < imageLength)
            pixels[size_t(s)] = pixel;
    }
    return pixels;
}

QImage Im::markedCrop(QPoint origin) const
{
    if (markCells.isNull() || sourceImage.isNull())
        return {};
    const QRect cell = viewCell();
    const int cols = qRound(cell.width() / scale);
    const int rows = qRound(cell.height() / scale);
    const QSize shownSize(qRound(scale * cols), qRound(scale * rows));
    if (cols <= 0 || rows <= 0 || shownSize.isEmpty())
        return {};
    const QPoint phase = scale < 1 ? downscalePhase(qRound(1 / scale)) : QPoint();
    std::vector<int> cellX
        = shownPixels(origin.x(), shownSize.width(), sourceImage.width(), phase.x());
    for (int &x : cellX)
        x = x >= 0 && x / markCellSize < markCells.width() ? x / markCellSize : -1;
    const std::vector<int> pixelY
        = shownPixels(origin.y(), shownSize.height(), sourceImage.height(), phase.y());

    const QRgb tint = qPremultiply(markColour().rgba());
    QImage shown(shownSize, QImage::Format_ARGB32_Premultiplied);
    int lastCellY = -2;
    for (int y = 0; y < shownSize.height(); ++y) {
        auto *out = reinterpret_cast<QRgb *>(shown.scanLine(y));
        const int cellY
            = pixelY[size_t(y)] >= 0 && pixelY[size_t(y)] / markCellSize < markCells.height()
            ? pixelY[size_t(y)] / markCellSize
            : -1;
        if (cellY == lastCellY) { // the same cells as the row above: copy it
            std::memcpy(out, shown.constScanLine(y - 1), size_t(shownSize.width()) * 4);
            continue;
        }
        lastCellY = cellY;
        if (cellY < 0) {
            std::memset(out, 0, size_t(shownSize.width()) * 4);
            continue;
        }
        const uchar *marked = markCells.constScanLine(cellY);
        for (int x = 0; x < shownSize.width(); ++x) {
            const int c = cellX[size_t(x)];
            out[x] = c >= 0 && marked[c] ? tint : 0;
        }
    }
    return shown;
}

bool Im::imagePixelAt(QPoint widgetPoint, QPoint *imagePixel) const
{
    const QRect cell = viewCell();
    if (sourceImage.isNull() || !cell.contains(widgetPoint))
        return false;
    const QPoint at = widgetPoint - cell.topLeft();
    const int cols = qRound(cell.width() / scale);
    const int rows = qRound(cell.height() / scale);
    const QSize shownSize(qRound(scale * cols), qRound(scale * rows));
    const QPoint phase = scale < 1 ? downscalePhase(qRound(1 / scale)) : QPoint();
    const std::vector<int> x
        = shownPixels(offsetX, shownSize.width(), sourceImage.width(), phase.x());
    const std::vector<int> y
        = shownPixels(offsetY, shownSize.height(), sourceImage.height(), phase.y());
    if (at.x() >= int(x.size()) || at.y() >= int(y.size()) || x[size_t(at.x())] < 0
        || y[size_t(at.y())] < 0)
        return false;
    if (imagePixel)
        *imagePixel = QPoint(x[size_t(at.x())], y[size_t(at.y())]);
    return true;
}

QImage Im::scaledCrop(QPoint origin) const
{
    const QRect cell = viewCell();
    const int cols = qRound(cell.width() / scale);
    const int rows = qRound(cell.height() / scale);
    const QSize shownSize(qRound(scale * cols), qRound(scale * rows));
    if (sourceImage.isNull() || cols <= 0 || rows <= 0 || shownSize.isEmpty())
        return {};
    if (scale < 1)
        return sampledCrop(origin, shownSize);

    // Only the crop is converted to the painting format, never the whole (possibly huge) image.
    const QRect crop(origin, QSize(cols, rows));
    const QRect inside = crop & sourceImage.rect();
    if (inside == crop)
        return sourceImage.copy(crop)
            .convertToFormat(QImage::Format_ARGB32_Premultiplied)
            .scaled(shownSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);

    // Past the image's right or bottom edge the view stays transparent. Scaling only the part on
    // the image by the same whole factor samples exactly the pixels the full crop would.
    QImage shown(shownSize, QImage::Format_ARGB32_Premultiplied);
    shown.fill(Qt::transparent);
    if (!inside.isEmpty()) {
        const QImage part
            = sourceImage.copy(inside).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        place(shown,
            part.scaled(part.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation),
            inside.topLeft() - origin);
    }
    return shown;
}

QImage Im::sampledCrop(QPoint origin, QSize shownSize) const
{
    // Zoomed out, one image pixel of each n x n cell is shown. Converting just those pixels, row
    // by row, keeps the work proportional to the view even when the whole image is in sight.
    const int n = qRound(1 / scale);
    const QPoint phase = downscalePhase(n);
    QImage shown(shownSize, QImage::Format_ARGB32_Premultiplied);
    shown.fill(Qt::transparent);
    const int x0 = origin.x() + phase.x();
    const int count = qMin(shownSize.width(), (sourceImage.width() - x0 + n - 1) / n);
    if (x0 >= sourceImage.width() || count <= 0)
        return shown;
    for (int y = 0; y < shownSize.height(); ++y) {
        const int sy = origin.y() + y * n + phase.y();
        if (sy >= sourceImage.height())
            break;
        const QImage row = sourceImage.copy(QRect(x0, sy, (count - 1) * n + 1, 1))
                               .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const auto *in = reinterpret_cast<const QRgb *>(row.constScanLine(0));
        auto *out = reinterpret_cast<QRgb *>(shown.scanLine(y));
        for (int x = 0; x < count; ++x)
            out[x] = in[x * n];
    }
    return shown;
}

void Im::onHSliderMove(int)
{
    offsetX = ui->horizontalScrollBar->value();
    updateShownImage();
    if (!shownImage.isNull())
        repaint();
}

void Im::onVSliderMove(int)
{
    offsetY = ui->verticalScrollBar->value();
    updateShownImage();
    if (!shownImage.isNull())
        repaint();
}

void Im::resizeEvent(QResizeEvent *)
{
    // The toolkit paints after a resize by itself.
    updateScrollBars(true);
    updateShownImage();
}

void Im::wheelEvent(QWheelEvent *event)
{
    // The event is consumed wherever it falls.
    const QPoint pos = event->position().toPoint();
    // One delta, of the axis that moved most (vertical on a tie), as the wheel events of Qt 4
    // had: a tilt or a Shift+wheel turns the horizontal one.
    const QPoint angle = event->angleDelta();
    const int delta = qAbs(angle.x()) > qAbs(angle.y()) ? angle.x() : angle.y();
    // The magnifier's corner zooms by one step per event, whatever the modifiers.
    if (ui->gridLayout->cellRect(1, 1).contains(pos)) {
        zoomBy(delta, std::nullopt);
        return;
    }
    const QRect cell = viewCell();
    if (!cell.contains(pos) || sourceImage.isNull())
        return;
    if (!(event->modifiers() & Qt::ControlModifier)) {
        scrollBy(angle, event->modifiers() & Qt::ShiftModifier);
        return;
    }
    // A touchpad sends a notch in small parts: one zoom step per whole notch.
    ctrlWheelRest += delta;
    while (qAbs(ctrlWheelRest) >= 120) {
        const int step = ctrlWheelRest > 0 ? 120 : -120;
        ctrlWheelRest -= step;
        zoomBy(step, event->position() - QPointF(cell.topLeft()));
    }
}

void Im::zoomBy(int delta, const std::optional<QPointF> &anchor)
{
    const float factor = delta < 0 ? 0.5f : 2.0f;
    const float candidate = factor * scale;
    if (candidate < 0.1f || candidate > 40.0f)
        return;
    // The image point under the anchor, before the zoom.
    const QPointF anchored = anchor
        ? QPointF(offsetX + anchor->x() / scale, offsetY + anchor->y() / scale)
        : QPointF();
    scale = candidate;
    zoomLabel->setText(zoomText(scale));
    updateScrollBars(false);
    if (anchor) {
        // The bars clamp the offsets to what can be shown; they are moved quietly and the view
        // is built once below.
        const QSignalBlocker quietH(ui->horizontalScrollBar);
        const QSignalBlocker quietV(ui->verticalScrollBar);
        ui->horizontalScrollBar->setValue(qRound(anchored.x() - anchor->x() / scale));
        ui->verticalScrollBar->setValue(qRound(anchored.y() - anchor->y() / scale));
        offsetX = ui->horizontalScrollBar->value();
        offsetY = ui->verticalScrollBar->value();
    }
    updateShownImage();
    repaint();
}

void Im::scrollBy(QPoint angle, bool shift)
{
    // Shift turns the wheel sideways, where the device has not done so itself.
    if (shift && angle.x() == 0)
        angle = QPoint(angle.y(), 0);
    // A notch moves the view by the desktop's wheel lines of 20 screen pixels each, in whole
    // image pixels and at least one: at any zoom the plane passes at the same speed.
    const auto move = [this](QScrollBar *bar, int notchParts) {
        if (notchParts == 0)
            return;
        const double screenPixels = notchParts / 120.0 * QApplication::wheelScrollLines() * 20;
        int imagePixels = qRound(screenPixels / scale);
        if (imagePixels == 0)
            imagePixels = notchParts > 0 ? 1 : -1;
        bar->setValue(bar->value() - imagePixels);
    };
    move(ui->horizontalScrollBar, angle.x());
    move(ui->verticalScrollBar, angle.y());
}

void Im::paintEvent(QPaintEvent *)
{
    if (sourceImage.isNull())
        return;
    if (shownImage.isNull()) {
        shownImage = scaledCrop(QPoint(0, 0));
        shownMarks = markedCrop(QPoint(0, 0));
    }

    const QRect cell = viewCell();
    QPainter painter(this);
    painter.drawImage(QPointF(cell.topLeft()), shownImage, QRectF(cell));
    if (!shownMarks.isNull())
        painter.drawImage(QPointF(cell.topLeft()), shownMarks, QRectF(cell));

    if (!showGrid || scale < 1.0f) {
        emit clearShowGridFlag();
        return;
    }

    // Lines only on the far edges of whole blocks; never one at the view's left or top edge.
    painter.setPen(QPen(QColor(255, 0, 0, 100), 0));
    const int wholeW = sourceImage.width() / blockWidth * blockWidth;
    const int wholeH = sourceImage.height() / blockHeight * blockHeight;
    const int xEnd = qMin(int(wholeW * scale) - int(scale * offsetX), cell.width());
    const int yEnd = qMin(int(wholeH * scale) - int(scale * offsetY), cell.height());
    const int stepX = int(blockWidth * scale);
    const int stepY = int(blockHeight * scale);
    for (int x = int(scale * (blockWidth - offsetX % blockWidth)); x <= xEnd; x += stepX)
        painter.drawLine(x, 0, x, yEnd);
    for (int y = int(scale * (blockHeight - offsetY % blockHeight)); y <= yEnd; y += stepY)
        painter.drawLine(0, y, xEnd, y);
}

void Im::mousePressEvent(QMouseEvent *event)
{
    QPoint pixel;
    if (event->button() == Qt::LeftButton && imagePixelAt(event->position().toPoint(), &pixel))
        emit imagePixelClicked(pixel);

    // Without an image there is no pixel to report (the block limits alone would let (0, 0) pass).
    if (!showGrid || sourceImage.isNull())
        return;
    const QPoint pos = event->position().toPoint();
    const QRect cell = viewCell();
    if (!cell.contains(pos))
        return;

    // Presses past the last whole block are not reported.
    const int sx = int(scale * offsetX);
    const int px = pos.x() - cell.left() + sx;
    const int xLim
        = qMin(int(sourceImage.width() / blockWidth * blockWidth * scale) - sx, cell.width());
    if (px > scale * offsetX + xLim)
        return;

    const int sy = int(scale * offsetY);
    const int py = pos.y() - cell.top() + sy;
    const int yLim
        = qMin(int(sourceImage.height() / blockHeight * blockHeight * scale) - sy, cell.height());
    if (py > scale * offsetY + yLim)
        return;

    emit takeMouse(QPoint(qRound(px / scale), qRound(py / scale)), pos);
}
