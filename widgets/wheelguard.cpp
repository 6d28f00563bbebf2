// SPDX-License-Identifier: GPL-3.0-or-later
#include "wheelguard.h"

#include <QEvent>
#include <QWidget>

WheelGuard::WheelGuard(QWidget *widget)
    : QObject(widget)
    , widget(widget)
{
    widget->setFocusPolicy(Qt::StrongFocus);
    widget->installEventFilter(this);
}

bool WheelGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == widget && event->type() == QEvent::Wheel && !widget->hasFocus()) {
        event->ignore(); // Qt then offers it to the parent
        return true;
    }
    return false;
}
