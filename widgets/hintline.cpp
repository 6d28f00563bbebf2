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
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Opaque, so that the text it lies over does not show through.
    setAutoFillBackground(true);
    setForegroundRole(QPalette::WindowText);
    setStyleSheet(QStringLiteral("color: #ff0000;"));
    setContentsMargins(2, 0, 2, 1);
    // A little smaller than the field's text, so that the usual hint takes one line.
    QFont smaller = font();
    if (smaller.pointSizeF() > 0) {
        smaller.setPointSizeF(smaller.pointSizeF() * 0.9);
        setFont(smaller);
    }
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
    // On one line where the host is wide enough, from the field's left edge or, near the host's
    // right edge, moved left to stay inside it; wrapped to the host's width otherwise.
    QWidget *const host = parentWidget();
    const QRect fieldRect(watched->mapTo(host, QPoint(0, 0)), watched->size());
    const QMargins margins = contentsMargins();
    const int oneLine = fontMetrics().horizontalAdvance(text()) + margins.left() + margins.right()
        + 2 * margin() + 2;
    const int width = qMin(qMax(fieldRect.width(), oneLine), host->width());
    const int left = qMax(0, qMin(fieldRect.left(), host->width() - width));
    const int height = heightForWidth(width) > 0 ? heightForWidth(width) : sizeHint().height();
    // Above, down from the nearest control over the field that is not a text (the field before
    // it), or from the host's top; under the field where that room is too short.
    int roomTop = 0;
    for (const QWidget *other : host->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const QRect rect = other->geometry();
        if (other != watched && other != this && other->isVisible()
            && !qobject_cast<const QLabel *>(other) && rect.bottom() < fieldRect.top()
            && rect.right() >= left && rect.left() <= left + width)
            roomTop = qMax(roomTop, rect.bottom() + 1);
    }
    int top = fieldRect.top() - height;
    if (top < roomTop && fieldRect.bottom() + 1 + height <= host->height())
        top = fieldRect.bottom() + 1;
    QRect box(left, qMax(0, top), width, height);
    // A short text it would cut through (the prompt above the field) is covered whole instead;
    // a tall label keeps its text clear of the hint anyway.
    const int shortText = 3 * fontMetrics().lineSpacing();
    for (const QLabel *label : host->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        const QRect other = label->geometry();
        if (label == this || !label->isVisible() || !other.intersects(box))
            continue;
        if (other.top() < box.top() && box.bottom() - other.top() <= shortText)
            box.setTop(other.top());
        if (other.bottom() > box.bottom() && other.bottom() - box.top() <= shortText)
            box.setBottom(other.bottom());
    }
    setGeometry(box);
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
