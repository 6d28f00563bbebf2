#include "im.h"
#include "ui_im.h"

#include <QMouseEvent>
#include <QPainter>
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

int roundUp(int value, int step)
{
    return (value + step - 1) / step * step;
}

} // namespace

Im::Im(QWidget *parent, Qt::WindowFlags flags)
    : QWidget(parent, flags)
    , ui(std::make_unique<Ui::ImClass>())
{
    ui->setupUi(this);
    connect(ui->horizontalScrollBar, &QScrollBar::valueChanged, this, &Im::onHSliderMove);
    connect(ui->verticalScrollBar, &QScrollBar::valueChanged, this, &Im::onVSliderMove);
}

Im::~Im() = default;

void Im::setImage(QImage image)
{
    sourceImage = std::move(image);
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
}

QImage Im::scaledCrop(QPoint origin) const
{
    const QRect cell = viewCell();
    const int cols = qRound(cell.width() / scale);
    const int rows = qRound(cell.height() / scale);
    const QSize shownSize(qRound(scale * cols), qRound(scale * rows));
    if (sourceImage.isNull() || cols <= 0 || rows <= 0 || shownSize.isEmpty())
        return {};

    // Only the crop is converted to the painting format, never the whole (possibly huge) image.
    const QRect crop(origin, QSize(cols, rows));
    const QRect inside = crop & sourceImage.rect();
    if (inside == crop)
        return sourceImage.copy(crop)
            .convertToFormat(QImage::Format_ARGB32_Premultiplied)
            .scaled(shownSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);

    // Past the image's right or bottom edge the view stays transparent. Only the part on the image
    // is scaled: trimming the crop in whole steps of 1 / scale keeps the scale factor, and with it
    // the nearest-neighbour sampling, exactly that of the full crop.
    QImage shown(shownSize, QImage::Format_ARGB32_Premultiplied);
    shown.fill(Qt::transparent);
    if (inside.isEmpty())
        return shown;
    const int step = scale < 1 ? qRound(1 / scale) : 1;
    const QSize trimmed(qMin(cols, roundUp(inside.right() + 1 - origin.x(), step)),
        qMin(rows, roundUp(inside.bottom() + 1 - origin.y(), step)));
    QImage part(trimmed, QImage::Format_ARGB32_Premultiplied);
    part.fill(Qt::transparent);
    place(part, sourceImage.copy(inside).convertToFormat(QImage::Format_ARGB32_Premultiplied),
        inside.topLeft() - origin);
    const QSize scaledSize(qRound(scale * trimmed.width()), qRound(scale * trimmed.height()));
    place(shown, part.scaled(scaledSize, Qt::IgnoreAspectRatio, Qt::FastTransformation), {});
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
    // Only the zoom label's corner zooms; the event is consumed either way.
    if (!ui->gridLayout->cellRect(1, 1).contains(event->position().toPoint()))
        return;
    const float factor = event->angleDelta().y() < 0 ? 0.5f : 2.0f;
    const float candidate = factor * scale;
    if (candidate < 0.1f || candidate > 40.0f)
        return;
    scale = candidate;
    updateScrollBars(false);
    updateShownImage();
    repaint();
}

void Im::paintEvent(QPaintEvent *)
{
    if (sourceImage.isNull())
        return;
    if (shownImage.isNull())
        shownImage = scaledCrop(QPoint(0, 0));

    const QRect cell = viewCell();
    QPainter painter(this);
    painter.drawImage(QPointF(cell.topLeft()), shownImage, QRectF(cell));

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
