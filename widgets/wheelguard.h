// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QWidget;

// Lets a widget take wheel events only while it has the keyboard focus (a click or Tab gives
// it), so that a wheel notch on the way past does not turn it. The refused events go on to the
// parent, as for a widget that does not handle the wheel.
class WheelGuard : public QObject
{
    Q_OBJECT

public:
    // Guards widget and becomes its child; its focus policy is made Qt::StrongFocus, since a
    // wheel that gives focus would let the first notch through.
    explicit WheelGuard(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *const widget;
};
