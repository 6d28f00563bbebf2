// SPDX-License-Identifier: GPL-3.0-or-later
#include "qswitch.h"

#include "qswitchaccessible.h"

#include <QAccessible>

#include <QKeyEvent>
#include <QPainter>
#include <QPolygon>
#include <QRadialGradient>

namespace {

// A screen reader hears the new position of a switch it is on.
void announceChecked(QSwitch *lever)
{
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(lever, changed);
    QAccessible::updateAccessibility(&event);
}

} // namespace

QSwitch::QSwitch(QWidget *parent)
    : QWidget(parent)
{
    static const bool accessible = (QAccessible::installFactory(QSwitchAccessible::create), true);
    Q_UNUSED(accessible)
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(50, 50);
}

void QSwitch::setValue(bool v)
{
    const bool changed = v != switchValue;
    switchValue = v;
    update();
    if (changed)
        announceChecked(this);
}

void QSwitch::setType(SwitchType t)
{
    switchType = t;
    update();
}

void QSwitch::toggleValue()
{
    switchValue = !switchValue;
    update();
    announceChecked(this);
}

void QSwitch::mouseReleaseEvent(QMouseEvent *)
{
    // Any button, anywhere on the switch.
    toggleValue();
    emit valueChanged(switchValue);
}

void QSwitch::keyReleaseEvent(QKeyEvent *event)
{
    // Keypad Enter is deliberately not a toggle key.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Space) {
        toggleValue();
        emit valueChanged(switchValue);
    }
}

void QSwitch::paintEvent(QPaintEvent *)
{
    // Every pen is cosmetic (width 0): one screen pixel whatever the size of the switch.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Drawn in the largest square centred in the widget, so that a wide or tall cell neither
    // stretches nor squashes it.
    const int side = qMin(width(), height());
    painter.setViewport((width() - side) / 2, (height() - side) / 2, side, side);
    painter.setWindow(QRect(-501, -501, 1002, 1002));

    if (hasFocus()) {
        painter.setPen(QPen(Qt::black, 0, Qt::DotLine));
        const QRect frame(-500, -500, 999, 999);
        painter.drawRects(&frame, 1);
    }

    // Bezel: a white rim with a dark shadow on its lower half.
    painter.setPen(QPen(Qt::white, 0));
    painter.drawArc(QRectF(-250, -250, 500, 500), 0, 5670);
    painter.drawArc(QRectF(-332, -333, 666, 666), 0, 5670);
    painter.setPen(QPen(Qt::darkGray, 0));
    painter.drawArc(QRectF(-334, -333, 666, 666), 3400, 3000);

    // Knob, lit from the upper left.
    QRadialGradient knob(-250, -250, 333);
    knob.setColorAt(0.0, Qt::lightGray);
    knob.setColorAt(0.4, Qt::white);
    knob.setColorAt(1.0, QColor(80, 80, 80, 255));
    painter.setBrush(knob);
    painter.drawEllipse(QRect(-250, -250, 500, 500));

    // The lever is drawn vertically; turned, "down" becomes left and "up" becomes right.
    if (switchType == Horizontal)
        painter.rotate(90);

    painter.setPen(QPen(QColor(70, 70, 70, 255), 0));
    const QColor dark(80, 80, 80, 255);
    if (!switchValue) {
        const QPoint shaft[4] = {{-60, 0}, {60, 0}, {350, 400}, {-350, 400}};
        QLinearGradient shaftBrush(-60, 0, 350, 400);
        shaftBrush.setColorAt(0.0, Qt::white);
        shaftBrush.setColorAt(0.7, dark);
        painter.setBrush(shaftBrush);
        painter.drawPolygon(shaft, 4, Qt::OddEvenFill);

        const QPoint cap[4] = {{-250, 499}, {250, 499}, {350, 400}, {-350, 400}};
        QLinearGradient capBrush(-350, 499, 350, 400);
        capBrush.setColorAt(0.0, Qt::white);
        capBrush.setColorAt(0.7, dark);
        painter.setBrush(capBrush);
        painter.drawPolygon(cap, 4, Qt::OddEvenFill);
    } else {
        // Not a mirror image of the other position: the light falls differently.
        const QPoint shaft[4] = {{-60, 0}, {60, 0}, {350, -400}, {-350, -400}};
        QLinearGradient shaftBrush(-350, -400, 60, 0);
        shaftBrush.setColorAt(0.0, Qt::white);
        shaftBrush.setColorAt(0.8, dark);
        painter.setBrush(shaftBrush);
        painter.drawPolygon(shaft, 4, Qt::OddEvenFill);

        const QPoint cap[4] = {{-250, -500}, {250, -500}, {350, -400}, {-350, -400}};
        painter.drawPolygon(cap, 4, Qt::OddEvenFill);
    }
}
