// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QKeyEvent;
class QMouseEvent;
class QPaintEvent;

// A round lever switch holding one boolean. It paints itself with vectors in a fixed logical
// square, so it looks the same at any size.
class QSwitch : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool value READ value WRITE setValue)
    Q_PROPERTY(SwitchType type READ type WRITE setType)

public:
    enum SwitchType { Horizontal = 0, Vertical = 1 };
    Q_ENUM(SwitchType)

    explicit QSwitch(QWidget *parent = nullptr);

    bool value() const { return switchValue; }
    SwitchType type() const { return switchType; }

signals:
    // Only user toggles (mouse or key) emit; the slots below never do.
    void valueChanged(bool value);

public slots:
    void setValue(bool v);
    void setType(SwitchType t);
    void toggleValue();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool switchValue = false;
    SwitchType switchType = Vertical;
};
