// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QComboBox;
class QLabel;

// "Вариант" beside the built-in picture list: each student of a group takes the picture and
// plane of their own number. Shown whenever the picture list is (after a right homework check).
class VariantChoice : public QObject
{
    Q_OBJECT

public:
    // Placed right after `pictures` in its layout.
    VariantChoice(QComboBox *pictures, QWidget *window);

    QComboBox *list() const { return variants; }
    // The list's text for a variant: "5 — Барбара, плоскость 2".
    static QString itemText(int number);

signals:
    // The student chose variant `number` (from 1).
    void chosen(int number);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QComboBox *const pictures;
    QLabel *label = nullptr;
    QComboBox *variants = nullptr;
};
