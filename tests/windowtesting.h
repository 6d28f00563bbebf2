// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers for tests that drive the main window through its widgets.

#include <QCoreApplication>
#include <QKeyEvent>
#include <QObject>
#include <QString>
#include <QWheelEvent>
#include <QWidget>

namespace WindowTesting {

// The one object of that name under `scope`. Names can repeat (the viewer's own form also has a
// "gridLayout"), so an ambiguous look-up is an error rather than a silent first match.
template<typename T>
T *child(const QObject &scope, const char *name)
{
    const QList<T *> found = scope.findChildren<T *>(QString::fromLatin1(name));
    if (found.size() != 1)
        qFatal("%lld objects named %s", qlonglong(found.size()), name);
    return found.first();
}

// Key presses carrying text, as a keyboard layout delivers Cyrillic letters (QTest::keyClicks
// knows only ASCII).
inline void typeKeys(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &release);
    }
}

// A wheel turn at `at` in `widget`'s coordinates: (0, 120) is one notch away from the user, a
// horizontal tilt moves x.
inline void wheel(QWidget *widget, QPointF at, QPoint angle)
{
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), angle, Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace WindowTesting
