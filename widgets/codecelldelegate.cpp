// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecelldelegate.h"

#include "hintline.h"
#include "inputnormaliser.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

CodeCellDelegate::CodeCellDelegate(int codeColumn, QObject *parent)
    : QStyledItemDelegate(parent)
    , codeColumn(codeColumn)
{
}

QString CodeCellDelegate::hintText()
{
    return QStringLiteral("Код записывается только цифрами 0 и 1");
}

QWidget *CodeCellDelegate::createEditor(
    QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (index.column() != codeColumn || !line)
        return editor;
    line->setValidator(new QRegularExpressionValidator(QRegularExpression("[01]*"), line));
    // The hint lies in the table's viewport, over the rows below the cell; it goes with the
    // editor.
    auto *hint = new HintLine(line, parent);
    hint->setObjectName(QStringLiteral("codeHint"));
    connect(line, &QObject::destroyed, hint, &QObject::deleteLater);
    new InputNormaliser(
        line,
        [](const QString &text, bool) {
            QString code = text;
            code.remove(QRegularExpression(QStringLiteral("\\s")));
            return code;
        },
        hint, hintText());
    return editor;
}
