// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwidget.h"

#include "fieldtext.h"
#include "inputnormaliser.h"
#include "namerule.h"
#include "ui_mainwidget.h"

#include <QLabel>

namespace {

QLabel *hintUnder(QWidget *parent, const QString &objectName)
{
    auto *hint = new QLabel(parent);
    hint->setObjectName(objectName);
    hint->setWordWrap(true);
    hint->setStyleSheet(QStringLiteral("color: #ff0000;"));
    return hint;
}

FieldText::Ending ending(bool keepTrailingSpace)
{
    return keepTrailingSpace ? FieldText::Ending::KeepSpace : FieldText::Ending::Trimmed;
}

} // namespace

// The two homework fields take pasted and typed text in the shape their rules want; the rules
// (the validators) stay as they are.
void MainWidget::shapeHomeworkInput()
{
    QLabel *nameHint = hintUnder(this, QStringLiteral("nameHint"));
    ui->verticalLayout->addWidget(nameHint);
    new InputNormaliser(
        ui->lineEdit,
        [](const QString &text, bool keep) { return FieldText::name(text, ending(keep)); },
        nameHint,
        QStringLiteral("Поле принимает ") + NameRule::description());

    QLabel *countersHint = hintUnder(this, QStringLiteral("countersHint"));
    ui->verticalLayout_2->addWidget(countersHint);
    new InputNormaliser(
        ui->lineEdit_2,
        [](const QString &text, bool keep) { return FieldText::counters(text, ending(keep)); },
        countersHint,
        QStringLiteral("Поле принимает числа из одной или двух цифр через запятую, не больше 60 "
                       "чисел"));
}
