// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

class QSwitch;

// What a screen reader gets for a QSwitch: a check box, checked while the switch stands at
// true, named after what the true position selects (the widget's accessible name), with a
// toggle action that flips it the way the Space key does.
class QSwitchAccessible : public QAccessibleWidget
{
public:
    explicit QSwitchAccessible(QSwitch *lever);

    // For QAccessible::installFactory.
    static QAccessibleInterface *create(const QString &className, QObject *object);

    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    QSwitch *lever() const;
};
