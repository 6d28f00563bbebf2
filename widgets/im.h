// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

namespace Ui {
class ImClass;
}

class QLabel;
class QMouseEvent;
class QPaintEvent;
class QResizeEvent;
class QWheelEvent;

// Viewer of one image: scrolled in whole image pixels, zoomed by powers of two with the wheel over
// the corner label or Ctrl+wheel over the image, optionally overlaid with a block grid. The plain
// wheel over the image scrolls it; the zoom factor shows beside the corner label.
class Im : public QWidget
{
    Q_OBJECT

public:
    explicit Im(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~Im() override;

    void setImage(QImage image);

    // Read-only views of the state, for the owner and for tests.
    float zoom() const { return scale; }
    // The zoom as the viewer shows it: "x4", "x1", "1/2".
    static QString zoomText(float scale);
    QPoint viewOffset() const { return {offsetX, offsetY}; }
    const QImage &image() const { return sourceImage; }
    const QImage &viewImage() const { return shownImage; }

    // Tints the image's cells of cellSize x cellSize pixels whose pixel in `cells` (one
    // Format_Grayscale8 pixel per cell) is not 0, over the image at every zoom. A null image
    // removes the tint; so does a new setImage.
    void setMarks(const QImage &cells, int cellSize);
    const QImage &marks() const { return markCells; }
    // The image pixel shown at a point of the widget; false where no pixel of the image is shown.
    bool imagePixelAt(QPoint widgetPoint, QPoint *imagePixel) const;
    static QColor markColour();

    // Enables the grid overlay and the press reports.
    bool showGrid = true;

signals:
    void takeMouse(QPoint imagePoint, QPoint widgetPoint);
    void clearShowGridFlag();
    // A left press on a pixel of the image, at any zoom and whatever showGrid says.
    void imagePixelClicked(QPoint imagePixel);

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
    // One wheel step of the zoom, keeping the image pixel at `anchor` (view cell coordinates) in
    // place; without an anchor the view's top-left pixel stays, as far as the scroll bars let it.
    void zoomBy(int delta, const std::optional<QPointF> &anchor);
    void scrollBy(QPoint angle, bool shift);
    QImage scaledCrop(QPoint origin) const;
    QImage sampledCrop(QPoint origin, QSize shownSize) const;
    QImage markedCrop(QPoint origin) const;
    // The image column (row) shown at each screen column (row) of the view from `origin`, or -1.
    std::vector<int> shownPixels(int origin, int shownLength, int imageLength, int phase) const;

    std::unique_ptr<Ui::ImClass> ui;
    QLabel *zoomLabel = nullptr; // the factor, between the horizontal bar and the magnifier
    // Kept as given (a plane is 1 bit per pixel); only the visible crop is ever converted.
    QImage sourceImage;
    // The visible crop, already scaled to screen pixels.
    QImage shownImage;
    // Marked cells, and the tint over shownImage drawn from them (transparent elsewhere).
    QImage markCells;
    int markCellSize = 1;
    QImage shownMarks;
    float scale = 1.0f;
    int offsetX = 0;
    int offsetY = 0;
    int blockWidth = 10;
    int blockHeight = 10;
    int ctrlWheelRest = 0; // the part of a Ctrl+wheel notch not yet turned into a zoom step
};
