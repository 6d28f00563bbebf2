// SPDX-License-Identifier: GPL-3.0-or-later
#include "qswitchaccessible.h"

#include "qswitch.h"

#include <QCoreApplication>
#include <QKeyEvent>

QSwitchAccessible::QSwitchAccessible(QSwitch *lever)
    : QAccessibleWidget(lever, QAccessible::CheckBox)
{ }

QAccessibleInterface *QSwitchAccessible::create(const QString &className, QObject *object)
{
    if (className == QLatin1String("QSwitch")) {
        if (auto *lever = qobject_cast<QSwitch *>(object))
            return new QSwitchAccessible(lever);
    }
    return nullptr;
}

QSwitch *QSwitchAccessible::lever() const
{
    return static_cast<QSwitch *>(widget());
}

QAccessible::State QSwitchAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = lever()->value();
    return state;
}

QStringList QSwitchAccessible::actionNames() const
{
    return QStringList(toggleAction()) + QAccessibleWidget::actionNames();
}

void QSwitchAccessible::doAction(const QString &actionName)
{
    if (actionName != toggleAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    // The user's own path, so that valueChanged is sent as for a key or a click.
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(lever(), &release);
}

QStringList QSwitchAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName == toggleAction())
        return {QStringLiteral("Space")};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
