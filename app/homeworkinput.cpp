// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwidget.h"

#include "fieldtext.h"
#include "hintline.h"
#include "inputnormaliser.h"
#include "namerule.h"
#include "ui_mainwidget.h"

namespace {

// Floats over the homework tab rather than taking a place in its layout.
HintLine *hintUnder(QWidget *field, QWidget *page, const QString &objectName)
{
    auto *hint = new HintLine(field, page);
    hint->setObjectName(objectName);
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
    HintLine *nameHint = hintUnder(ui->lineEdit, ui->tab, QStringLiteral("nameHint"));
    new InputNormaliser(
        ui->lineEdit,
        [](const QString &text, bool keep) { return FieldText::name(text, ending(keep)); },
        nameHint,
        QStringLiteral("Нужны ") + NameRule::briefDescription());

    HintLine *countersHint = hintUnder(ui->lineEdit_2, ui->tab, QStringLiteral("countersHint"));
    new InputNormaliser(
        ui->lineEdit_2,
        [](const QString &text, bool keep) { return FieldText::counters(text, ending(keep)); },
        countersHint,
        QStringLiteral("Нужны числа из одной-двух цифр через запятую, не больше 60"));
}
