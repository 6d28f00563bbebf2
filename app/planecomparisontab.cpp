// SPDX-License-Identifier: GPL-3.0-or-later
#include "planecomparisontab.h"

#include "planecomparison.h"
#include "planesummary.h"

#include <QDial>
#include <QEvent>
#include <QTabWidget>

PlaneComparisonTab::PlaneComparisonTab(
    QTabWidget *tabs, QWidget *labTab, QDial *dial, QObject *parent)
    : QObject(parent)
    , tabs(tabs)
    , labTab(labTab)
    , comparison(new PlaneComparison(tabs))
{
    comparison->setObjectName(QStringLiteral("tab_3"));
    comparison->setAccessibleName(QStringLiteral("Сравнение плоскостей"));
    comparison->setAccessibleDescription(
        QStringLiteral("Энтропия, средняя длина кода и сжатие всех восьми битовых плоскостей "
                       "выбранного изображения"));
    tabs->addTab(comparison, QStringLiteral("Сравнение плоскостей"));
    labTab->installEventFilter(this);
    comparison->installEventFilter(this);
    followLabTab();

    comparison->setSelectedPlane(dial->value());
    connect(comparison, &PlaneComparison::planeActivated, dial, &QDial::setValue);
}

void PlaneComparisonTab::showPlanes(const std::array<QImage, 8> &planes)
{
    pendingPlanes = planes;
    pending = true;
    if (comparison->isVisible())
        updateFigures();
}

void PlaneComparisonTab::updateFigures()
{
    if (!pending)
        return;
    pending = false;
    comparison->setFigures(
        PlaneSummary::of(QList<QImage>(pendingPlanes.cbegin(), pendingPlanes.cend())));
    pendingPlanes = {};
}

void PlaneComparisonTab::showUnsplit(const QImage &picture)
{
    pending = false;
    pendingPlanes = {};
    comparison->showMessage(
        picture.isNull() ? PlaneComparison::noPictureText() : PlaneComparison::colourPictureText());
}

void PlaneComparisonTab::setSelectedPlane(int plane)
{
    comparison->setSelectedPlane(plane);
}

bool PlaneComparisonTab::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == labTab && event->type() == QEvent::EnabledChange)
        followLabTab();
    else if (watched == comparison && event->type() == QEvent::Show)
        updateFigures();
    return QObject::eventFilter(watched, event);
}

void PlaneComparisonTab::followLabTab()
{
    const int index = tabs->indexOf(comparison);
    if (index >= 0)
        tabs->setTabEnabled(index, labTab->isEnabled());
}
