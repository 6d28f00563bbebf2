// SPDX-License-Identifier: GPL-3.0-or-later
#include "inputnormaliser.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QValidator>

namespace {

QValidator::State judged(const QLineEdit *field, QString text)
{
    const QValidator *validator = field->validator();
    if (!validator)
        return QValidator::Acceptable;
    int position = int(text.size());
    return validator->validate(text, position);
}

bool isTypedText(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!c.isPrint())
            return false; // Tab, Return, Backspace and the control shortcuts keep their meaning
    }
    return true;
}

// The hint for `refused` (what the field did not take): it names the refusal, quoted up to
// eight characters and cut with an ellipsis beyond, so that the hint keeps to one line, and says
// what the field accepts.
QString hintFor(const QString &refused, const QString &hintText)
{
    constexpr int quoted = 8;
    QString what = refused.simplified();
    if (what.isEmpty())
        return hintText;
    if (what.size() > quoted)
        what = what.left(quoted - 1) + QChar(0x2026);
    return QStringLiteral("Не принято: «%1». %2").arg(what, hintText);
}

} // namespace

QAction *InputNormaliser::pasteAction(const QMenu *menu)
{
    // The actions carry no object names; their texts are QLineEdit's own, shortcut after a tab,
    // and translated the same way as here.
    const QString paste = QLineEdit::tr("&Paste");
    for (QAction *action : menu->actions()) {
        if (action->text().section(QLatin1Char('\t'), 0, 0) == paste)
            return action;
    }
    return nullptr;
}

InputNormaliser::InputNormaliser(
    QLineEdit *field, Normalise normalise, QLabel *hint, const QString &hintText)
    : QObject(field)
    , field(field)
    , normalise(std::move(normalise))
    , hint(hint)
    , hintText(hintText)
{
    field->installEventFilter(this);
    // The hint goes at the next edit the field accepts.
    connect(field, &QLineEdit::textEdited, this, [this] { showHint(false); });
    showHint(false);
}

void InputNormaliser::insert(const QString &text)
{
    if (field->isReadOnly())
        return;
    if (!offer(text))
        field->insert(text);
}

bool InputNormaliser::offer(const QString &inserted, bool typed)
{
    const QString text = field->text();
    const int start = field->hasSelectedText() ? field->selectionStart() : field->cursorPosition();
    const int length = field->hasSelectedText() ? int(field->selectedText().size()) : 0;
    const QString before = text.left(start);
    const QString after = text.mid(start + length);
    const QString candidate = before + inserted + after;
    if (judged(field, candidate) != QValidator::Invalid)
        return false;

    // A finished text is preferred; then one still being typed, whose trailing space is the
    // start of the next word; then a trimmed one, unless trimming would eat what was there. A
    // key is typing on: a space typed after a text that could already be finished (a name of two
    // words) starts the next word.
    const QString trimmed = normalise(candidate, false);
    const QString typing = normalise(candidate, true);
    QString result;
    if (typed && typing != text && judged(field, typing) != QValidator::Invalid)
        result = typing;
    else if (judged(field, trimmed) == QValidator::Acceptable)
        result = trimmed;
    else if (typing != text && judged(field, typing) != QValidator::Invalid)
        result = typing;
    else if (trimmed != text && trimmed.size() >= before.size() + after.size()
        && judged(field, trimmed) != QValidator::Invalid)
        result = trimmed;
    if (result.isNull()) {
        refuse(inserted);
        return true;
    }

    const int cursor = int(qMin(normalise(before + inserted, true).size(), result.size()));
    // Through insert rather than setText, so that undo still works and textEdited is sent.
    field->selectAll();
    field->insert(result);
    field->setCursorPosition(cursor);
    return true;
}

void InputNormaliser::refuse(const QString &inserted)
{
    refused += inserted;
    showHint(true);
}

void InputNormaliser::showHint(bool shown)
{
    if (!shown)
        refused.clear();
    if (!hint)
        return;
    hint->setText(shown ? hintFor(refused, hintText) : QString());
    hint->setVisible(shown);
}

bool InputNormaliser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != field || field->isReadOnly())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Paste))
            return offer(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
        if (isTypedText(key->text()) && !(key->modifiers() & Qt::ControlModifier)) {
            if (offer(key->text(), true))
                return true;
        }
        return false;
    }
    case QEvent::InputMethod: {
        const auto *input = static_cast<QInputMethodEvent *>(event);
        if (input->preeditString().isEmpty() && input->replacementLength() == 0
            && !input->commitString().isEmpty())
            return offer(input->commitString(), true);
        return false;
    }
    case QEvent::ContextMenu: {
        // The standard menu, with its paste going through here.
        QMenu *menu = field->createStandardContextMenu();
        if (QAction *paste = pasteAction(menu)) {
            disconnect(paste, &QAction::triggered, field, nullptr);
            connect(paste, &QAction::triggered, this,
                [this] { insert(QGuiApplication::clipboard()->text(QClipboard::Clipboard)); });
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    case QEvent::MouseButtonRelease: {
        // The X11 primary selection, pasted with the middle button.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        QClipboard *clipboard = QGuiApplication::clipboard();
        if (mouse->button() != Qt::MiddleButton || !clipboard->supportsSelection())
            return false;
        field->deselect();
        field->setCursorPosition(field->cursorPositionAt(mouse->position().toPoint()));
        insert(clipboard->text(QClipboard::Selection));
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (drop->source() == field || !drop->mimeData()->hasText())
            return false; // moving text within the field stays the field's own business
        field->deselect();
        field->setCursorPosition(field->cursorPositionAt(drop->position().toPoint()));
        insert(drop->mimeData()->text());
        drop->acceptProposedAction();
        return true;
    }
    default:
        return false;
    }
}
