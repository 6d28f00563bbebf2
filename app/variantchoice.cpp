// SPDX-License-Identifier: GPL-3.0-or-later
#include "variantchoice.h"

#include "variants.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QEvent>
#include <QLabel>

VariantChoice::VariantChoice(QComboBox *pictures, QWidget *window)
    : QObject(window)
    , pictures(pictures)
{
    label = new QLabel(QStringLiteral("Вариант"), window);
    variants = new QComboBox(window);
    variants->setObjectName(QStringLiteral("variantList"));
    variants->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    // Its longest item must not widen the picture column, nor so the window.
    variants->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    variants->setMinimumContentsLength(8);
    label->setBuddy(variants);
    // Nothing chosen at first: the student may look at any picture before taking their own.
    variants->addItem(QStringLiteral("не выбран"));
    for (const Variant &variant : Variants::all())
        variants->addItem(itemText(variant.number), variant.number);
    variants->setAccessibleName(QStringLiteral("Вариант"));
    variants->setAccessibleDescription(QStringLiteral(
        "Номер варианта по списку группы: выбирает изображение и плоскость этого варианта"));
    variants->setToolTip(QStringLiteral("Выберите свой номер по списку группы: откроются "
                                        "изображение и плоскость Вашего варианта"));

    auto *row = new QHBoxLayout;
    row->addWidget(label, 0);
    row->addWidget(variants, 1);
    if (auto *layout = qobject_cast<QBoxLayout *>(pictures->parentWidget()->layout())) {
        const int at = layout->indexOf(pictures);
        layout->insertLayout(at < 0 ? layout->count() : at + 1, row);
    }
    QWidget::setTabOrder(pictures, variants);
    label->setVisible(!pictures->isHidden());
    variants->setVisible(!pictures->isHidden());
    pictures->installEventFilter(this);

    connect(variants, &QComboBox::activated, this, [this](int index) {
        const int number = variants->itemData(index).toInt();
        if (number > 0)
            emit chosen(number);
    });
}

QString VariantChoice::itemText(int number)
{
    const std::optional<Variant> variant = Variants::variant(number);
    if (!variant)
        return {};
    return QStringLiteral("%1 — %2, плоскость %3")
        .arg(variant->number)
        .arg(variant->picture)
        .arg(variant->plane);
}

bool VariantChoice::eventFilter(QObject *watched, QEvent *event)
{
    // The variants are of the built-in pictures: offered exactly when those are.
    if (watched == pictures
        && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)) {
        const bool shown = event->type() == QEvent::ShowToParent;
        label->setVisible(shown);
        variants->setVisible(shown);
    }
    return QObject::eventFilter(watched, event);
}
