// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwidget.h"

#include "im.h"
#include "qswitch.h"
#include "resultsexport.h"
#include "ui_mainwidget.h"

#include <QAccessible>
#include <QTextDocumentFragment>

namespace {

void describe(QWidget *widget, const QString &name, const QString &description)
{
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
}

QString switchState(bool skip)
{
    return skip ? QStringLiteral("Выбрано: пропустить домашнее задание")
                : QStringLiteral("Выбрано: проверить домашнее задание");
}

} // namespace

// Names and descriptions a screen reader announces, and the keyboard path through both tabs.
// Several controls show only an icon or a picture, so without these they would be silent.
void MainWidget::describeControls()
{
    describe(ui->tabWidget, QStringLiteral("Этапы работы"),
        QStringLiteral("Домашнее задание и лабораторное задание"));
    describe(ui->lineEdit, QStringLiteral("Фамилия, имя и отчество"),
        QStringLiteral("Два или три слова на русском языке с заглавных букв через пробел, "
                       "двойная фамилия или имя через дефис"));
    describe(ui->lineEdit_2, QStringLiteral("Список счетчиков длин"),
        QStringLiteral("Числа из одной или двух цифр через запятую, без пробелов: сколько "
                       "кодовых слов имеют длину 1, 2, 3 и так далее"));
    // A check box to a screen reader, checked for the right-hand position.
    describe(modeSwitch, QStringLiteral("Пропустить домашнее задание"),
        switchState(modeSwitch->value()));
    connect(modeSwitch, &QSwitch::valueChanged, this,
        [this](bool skip) { modeSwitch->setAccessibleDescription(switchState(skip)); });
    describe(ui->pushButton, QStringLiteral("Выполнить выбранное действие"),
        QStringLiteral("Проверяет домашнее задание или пропускает его, в зависимости от "
                       "положения переключателя"));
    ui->label_6->setAccessibleDescription(QStringLiteral("Результат проверки домашнего задания"));
    announceVerdict();
    describe(ui->comboBox, QStringLiteral("Встроенное изображение"),
        QStringLiteral("Выбор одного из трех тестовых изображений"));
    describe(ui->label_5, QStringLiteral("Просмотр изображения"),
        QStringLiteral("Выбранное изображение в натуральную величину"));
    describe(ui->lineEdit_3, QStringLiteral("Открытый файл"),
        QStringLiteral("Путь к файлу изображения, выбранному кнопкой «Обзор»"));
    describe(ui->pushButton_2, QStringLiteral("Обзор"),
        QStringLiteral("Открыть файл изображения BMP или JPEG"));
    describe(ui->dial, QStringLiteral("Выбор плоскости"),
        QStringLiteral("Номер битовой плоскости от 1 (старший бит) до 8 (младший бит)"));
    describe(ui->lcdNumber, QStringLiteral("Номер отображаемой плоскости"),
        QStringLiteral("Номер битовой плоскости, выбранной регулятором"));
    describe(viewer, QStringLiteral("Битовая плоскость"),
        QStringLiteral("Выбранная плоскость: черные точки там, где бит равен 1. Масштаб "
                       "изменяется колесиком мыши над значком лупы или колесиком с клавишей "
                       "Ctrl над плоскостью; колесико без Ctrl прокручивает плоскость"));
    describe(ui->tableWidget, QStringLiteral("Типы блоков"),
        QStringLiteral("Для каждого типа блока 3 на 3: изображение, количество, "
                       "вероятность, код Хаффмана и длина кода. Коды пяти самых частых "
                       "типов нужно вписать в красные ячейки"));
    describe(ui->pushButton_3, QStringLiteral("Проверить коды"),
        QStringLiteral("Сравнивает вписанные коды пяти самых частых типов блоков с "
                       "правильными: зеленый цвет — верно, красный — неверно"));
    describe(ui->pushButton_4, QStringLiteral("Вывести данные для расчета энтропии"),
        QStringLiteral("Добавляет в отчет вероятности всех типов блоков с десятичной "
                       "запятой"));
    describe(ui->textEdit, QStringLiteral("Отчет"),
        QStringLiteral("Результаты анализа плоскости и данные для расчета энтропии"));

    // Tab leaves the table instead of walking its hundreds of cells; the arrow keys move
    // between cells and typing starts editing.
    ui->tableWidget->setTabKeyNavigation(false);
    setTabOrder(ui->lineEdit, ui->lineEdit_2);
    setTabOrder(ui->lineEdit_2, modeSwitch);
    setTabOrder(modeSwitch, ui->pushButton);
    setTabOrder(ui->comboBox, ui->lineEdit_3);
    setTabOrder(ui->lineEdit_3, ui->pushButton_2);
    setTabOrder(ui->pushButton_2, ui->dial);
    setTabOrder(ui->dial, ui->tableWidget);
    setTabOrder(ui->tableWidget, ui->pushButton_3);
    setTabOrder(ui->pushButton_3, ui->pushButton_4);
    setTabOrder(ui->pushButton_4, resultsExport->saveButton());
    setTabOrder(resultsExport->saveButton(), ui->textEdit);
}

// label_6 shows the verdict as large coloured rich text; its accessible name carries the same
// words as plain text, and a screen reader is told at every press, even when they repeat.
void MainWidget::announceVerdict()
{
    const QString spoken
        = QTextDocumentFragment::fromHtml(ui->label_6->text()).toPlainText().simplified();
    if (ui->label_6->accessibleName() != spoken) {
        ui->label_6->setAccessibleName(spoken); // which tells the screen reader itself
    } else {
        QAccessibleEvent event(ui->label_6, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}
