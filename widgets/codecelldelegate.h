// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStyledItemDelegate>

// The editor of the results table's hidden code cells: a code is written in 0 and 1 only.
// Spaces in what is typed or pasted are dropped; anything else is refused with a red line under
// the cell, as the homework fields do. Other columns edit as usual.
class CodeCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    CodeCellDelegate(int codeColumn, QObject *parent);

    static QString hintText();

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;

private:
    const int codeColumn;
};
