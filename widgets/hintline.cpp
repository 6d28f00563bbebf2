// SPDX-License-Identifier: GPL-3.0-or-later
#include "hintline.h"

#include <QEvent>
#include <QFocusEvent>

HintLine::HintLine(QWidget *field, QWidget *host)
    : QLabel(host)
    , watched(field)
{
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Opaque, so that the text it lies over does not show through.
    setAutoFillBackground(true);
    setForegroundRole(QPalette::WindowText);
    setStyleSheet(QStringLiteral("color: #ff0000;"));
    setContentsMargins(2, 0, 2, 1);
    QLabel::setVisible(false);
    field->installEventFilter(this);
}

void HintLine::showEvent(QShowEvent *event)
{
    place();
    raise();
    QLabel::showEvent(event);
}

void HintLine::place()
{
    QWidget *const host = parentWidget();
    const QRect fieldRect(watched->mapTo(host, QPoint(0, 0)), watched->size());
    const int width = qBound(fieldRect.width(),
        sizeHint().width(), qMax(fieldRect.width(), host->width() - fieldRect.left()));
    const int height = heightForWidth(width) > 0 ? heightForWidth(width) : sizeHint().height();
    int top = fieldRect.bottom() + 1;
    if (top + height > host->height() && fieldRect.top() - height >= 0)
        top = fieldRect.top() - height;
    setGeometry(fieldRect.left(), top, width, height);
}

bool HintLine::eventFilter(QObject *object, QEvent *event)
{
    if (object != watched)
        return false;
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
        if (isVisible())
            place();
        break;
    case QEvent::Hide:
        hide();
        break;
    case QEvent::FocusOut: {
        // A context menu or another window taking the focus for a while is no leaving.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            hide();
        break;
    }
    default:
        break;
    }
    return false;
}
