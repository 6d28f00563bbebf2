// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportdialog.h"

#include "labsession.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

ReportDialog::ReportDialog(const LabSession &session, const ReportFields &fields, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("reportDialog"));
    setWindowTitle(QStringLiteral("Отчёт по лабораторной работе"));
    auto *layout = new QVBoxLayout(this);

    auto *titlePage = new QGroupBox(QStringLiteral("Титульный лист"), this);
    auto *form = new QFormLayout(titlePage);
    const QList<ReportFields::Field> all = ReportFields::fields();
    for (const ReportFields::Field &field : all) {
        auto *edit = new QLineEdit(fields.value(field.key), titlePage);
        edit->setObjectName(QStringLiteral("field_") + field.key);
        edit->setMinimumWidth(360);
        form->addRow(field.label + QLatin1Char(':'), edit);
        edits.insert(field.key, edit);
    }
    layout->addWidget(titlePage);
    auto *kept = new QLabel(QStringLiteral("Поля хранятся только до закрытия программы и на диск "
                                           "не записываются."),
        this);
    kept->setWordWrap(true);
    layout->addWidget(kept);

    auto *planesBox = new QGroupBox(QStringLiteral("Плоскости в отчёте"), this);
    auto *planesLayout = new QVBoxLayout(planesBox);
    planes = new QListWidget(planesBox);
    planes->setObjectName(QStringLiteral("reportPlanes"));
    const QList<AnalysedPlane> &analysed = session.analysed();
    for (qsizetype i = 0; i < analysed.size(); ++i) {
        const AnalysedPlane &plane = analysed.at(i);
        const QString text = plane.plane == 0
            ? QStringLiteral("%1 (целиком)").arg(plane.picture)
            : QStringLiteral("%1, плоскость %2").arg(plane.picture).arg(plane.plane);
        auto *item = new QListWidgetItem(text, planes);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        // The plane in view is what most reports are about.
        item->setCheckState(i == session.currentIndex() ? Qt::Checked : Qt::Unchecked);
        item->setData(Qt::UserRole, int(i));
    }
    planesLayout->addWidget(planes);
    fullTables = new QCheckBox(
        QStringLiteral("Добавить полные таблицы типов блоков (приложение)"), planesBox);
    fullTables->setObjectName(QStringLiteral("reportFullTables"));
    planesLayout->addWidget(fullTables);
    layout->addWidget(planesBox);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Сохранить отчёт…"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

ReportDialog::Choice ReportDialog::choice() const
{
    Choice choice;
    for (auto edit = edits.cbegin(); edit != edits.cend(); ++edit)
        choice.fields.set(edit.key(), edit.value()->text());
    for (int row = 0; row < planes->count(); ++row) {
        if (planes->item(row)->checkState() == Qt::Checked)
            choice.included.append(planes->item(row)->data(Qt::UserRole).toInt());
    }
    choice.fullTables = fullTables->isChecked();
    return choice;
}

std::optional<ReportDialog::Choice> ReportDialog::ask(
    QWidget *parent, const LabSession &session, const ReportFields &fields)
{
    ReportDialog dialog(session, fields, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}
