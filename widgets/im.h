// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

#include <memory>

namespace Ui {
class ImClass;
}

class QMouseEvent;
class QPaintEvent;
class QResizeEvent;
class QWheelEvent;

// Viewer of one image: scrolled in whole image pixels, zoomed by powers of two with the wheel over
// the corner label, optionally overlaid with a block grid.
class Im : public QWidget
{
    Q_OBJECT

public:
    explicit Im(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~Im() override;

    void setImage(QImage image);

    // Read-only views of the state, for the owner and for tests.
    float zoom() const { return scale; }
    QPoint viewOffset() const { return {offsetX, offsetY}; }
    const QImage &image() const { return sourceImage; }
    const QImage &viewImage() const { return shownImage; }

    // Enables the grid overlay and the press reports.
    bool showGrid = true;

signals:
    void takeMouse(QPoint imagePoint, QPoint widgetPoint);
    void clearShowGridFlag();

private slots:
    void onHSliderMove(int);
    void onVSliderMove(int);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QRect viewCell() const;
    void updateScrollBars(bool resetOffsetsWhenFitting);
    void updateShownImage();
    QImage scaledCrop(QPoint origin) const;
    QImage sampledCrop(QPoint origin, QSize shownSize) const;

    std::unique_ptr<Ui::ImClass> ui;
    // Kept as given (a plane is 1 bit per pixel); only the visible crop is ever converted.
    QImage sourceImage;
    // The visible crop, already scaled to screen pixels.
    QImage shownImage;
    float scale = 1.0f;
    int offsetX = 0;
    int offsetY = 0;
    int blockWidth = 10;
    int blockHeight = 10;
};
