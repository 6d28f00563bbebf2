// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

// A red line that says why an input was refused. It floats just above its field, over the
// field's own prompt, which it stands in for while it shows, instead of taking a place in the
// layout: showing or hiding it never moves another control, so a click aimed at a control still
// lands on it, and it never hides what another field asks. Clicks go through it. It goes when
// the field is hidden or the student leaves the field.
class HintLine : public QLabel
{
    Q_OBJECT

public:
    // Shown in `host` (the field's parent or another ancestor of it), over the field's
    // neighbours; hidden until setVisible(true).
    HintLine(QWidget *field, QWidget *host);

    QWidget *field() const { return watched; }

protected:
    bool eventFilter(QObject *object, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Above the field, as wide as the field and the text need; under it where the host has no
    // room above.
    void place();

    QWidget *const watched;
};
