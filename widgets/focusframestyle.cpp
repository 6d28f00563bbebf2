// SPDX-License-Identifier: GPL-3.0-or-later
#include "focusframestyle.h"

#include <QPainter>
#include <QStyleOptionButton>

FocusFrameStyle::FocusFrameStyle(QObject *parent)
{
    // Without a base style of its own the proxy follows the application's.
    setParent(parent);
}

void FocusFrameStyle::drawControl(ControlElement element, const QStyleOption *option,
    QPainter *painter, const QWidget *widget) const
{
    QProxyStyle::drawControl(element, option, painter, widget);
    const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
    if (element != CE_PushButton || !button || !(button->features & QStyleOptionButton::Flat)
        || !(option->state & State_HasFocus))
        return;
    // Two pixels of the selection colour just inside the button's edge.
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(option->palette.color(QPalette::Highlight), 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(option->rect).adjusted(2, 2, -2, -2), 3, 3);
    painter->restore();
}
