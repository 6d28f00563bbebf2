// SPDX-License-Identifier: GPL-3.0-or-later
#include "roomhandle.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

RoomHandle::RoomHandle(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("roomHandle"));
    setCursor(Qt::SplitVCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAttribute(Qt::WA_Hover);
    setToolTip(QStringLiteral("Перетащите, чтобы отдать плоскости или таблице больше места; "
                              "двойной щелчок возвращает прежнюю высоту"));
    setAccessibleName(QStringLiteral("Граница плоскости и таблицы"));
}

QSize RoomHandle::sizeHint() const
{
    // A splitter's handle as the style draws it, but never so thin that it is hard to catch.
    const int thickness = qMax(6, style()->pixelMetric(QStyle::PM_SplitterWidth, nullptr, this));
    return {0, thickness};
}

void RoomHandle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    // A handle between parts stacked one above the other is drawn without State_Horizontal.
    option.state &= ~QStyle::State_Horizontal;
    if (underMouse() || dragging)
        option.state |= QStyle::State_MouseOver;
    if (dragging)
        option.state |= QStyle::State_Sunken;
    style()->drawControl(QStyle::CE_Splitter, &option, &painter, this);
}

void RoomHandle::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    dragging = true;
    lastY = qRound(event->globalPosition().y());
    update();
}

void RoomHandle::mouseMoveEvent(QMouseEvent *event)
{
    if (!dragging)
        return QWidget::mouseMoveEvent(event);
    const int y = qRound(event->globalPosition().y());
    if (y != lastY) {
        const int pixels = y - lastY;
        lastY = y;
        emit dragged(pixels);
    }
}

void RoomHandle::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !dragging)
        return QWidget::mouseReleaseEvent(event);
    dragging = false;
    update();
}

void RoomHandle::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit resetRequested();
}

bool RoomHandle::event(QEvent *event)
{
    // Drawn lit while the pointer is over it.
    if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverLeave)
        update();
    return QWidget::event(event);
}
