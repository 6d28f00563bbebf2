// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QEvent;
class QLabel;
class QLineEdit;
class QMenu;

// Brings what the student types, pastes or drops into a line edit into shape before the field's
// validator judges it, so that a stray line break or a doubled space does not make a whole paste
// vanish. The validator itself is left as it is. When even the shaped text does not fit, a hint
// line under the field names what was refused and says what the field accepts. Characters typed
// on after a refusal keep the hint up: without the refused ones they may spell another name
// ("Макональд" for "МакДональд"), and the student must not miss that. Any other edit that goes
// in (a deletion, a paste) takes it down.
class InputNormaliser : public QObject
{
    Q_OBJECT

public:
    // keepTrailingSpace: the text is still being typed, so a space at its end is kept (as one).
    using Normalise = std::function<QString(const QString &text, bool keepTrailingSpace)>;

    // Watches field (and becomes its child); hint is shown with hintText when an input is refused
    // and hidden otherwise.
    InputNormaliser(QLineEdit *field, Normalise normalise, QLabel *hint, const QString &hintText);

    // What a paste of text does: it replaces the selection, or goes in at the cursor.
    void insert(const QString &text);
    // The paste entry of the field's standard context menu.
    static QAction *pasteAction(const QMenu *menu);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // False when the field takes the text as it comes; otherwise the input was dealt with here.
    // typed: a key or an input method's commit rather than a paste.
    bool offer(const QString &inserted, bool typed = false);
    void showHint(bool shown);
    void refuse(const QString &inserted);

    QLineEdit *const field;
    const Normalise normalise;
    QLabel *const hint;
    const QString hintText;
    QString refused; // what was refused since the hint went up
};
