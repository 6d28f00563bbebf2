// SPDX-License-Identifier: GPL-3.0-or-later
#include "planecomparisontab.h"

#include "dialogs.h"
#include "filesaver.h"
#include "planecomparison.h"
#include "planesummary.h"
#include "resultsexport.h"

#include "savefiledialog.h"

#include <QBuffer>
#include <QDial>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTabWidget>

PlaneComparisonTab::PlaneComparisonTab(QTabWidget *tabs, QWidget *labTab, QDial *dial,
    std::shared_ptr<const Dialogs> dialogs, QObject *parent)
    : QObject(parent)
    , tabs(tabs)
    , dialogs(std::move(dialogs))
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
    connect(comparison, &PlaneComparison::saveTableRequested, this, [this] { save(false); });
    connect(comparison, &PlaneComparison::saveChartRequested, this, [this] { save(true); });
}

QString PlaneComparisonTab::suggestedName(const QString &name, bool chart)
{
    QString base = ResultsExport::suggestedName(name, 0);
    base.chop(4); // ".csv"
    return base + QStringLiteral(", сравнение плоскостей")
        + (chart ? QStringLiteral(".png") : QStringLiteral(".csv"));
}

bool PlaneComparisonTab::save(bool chart)
{
    if (comparison->figures().isEmpty())
        return false;
    updateFigures();
    const QString title = QStringLiteral("Сохранить сравнение плоскостей");
    const QString suffix = chart ? QStringLiteral(".png") : QStringLiteral(".csv");
    const QString folder = SaveFileDialog::startFolder(lastFolder);
    QString path = dialogs->saveFileName(tabs->window(), title,
        QDir(folder).filePath(suggestedName(pictureName, chart)),
        chart ? QStringLiteral("Диаграмма PNG (*.png)") : QStringLiteral("Таблица CSV (*.csv)"));
    if (path.isEmpty())
        return false;
    if (!path.endsWith(suffix, Qt::CaseInsensitive))
        path += suffix;
    lastFolder = QFileInfo(path).absolutePath();

    QByteArray data;
    if (chart) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        comparison->chartImage().save(&buffer, "PNG");
    } else {
        data = SpreadsheetText::csv(PlaneSummary::spreadsheet(comparison->figures()));
    }
    const FileSaver::Result saved = FileSaver::save({{path, data}});
    if (!saved.ok()) {
        dialogs->warning(title,
            QStringLiteral("Не удалось сохранить сравнение плоскостей\n%1\n%2")
                .arg(QDir::toNativeSeparators(saved.failedPath), saved.reason));
        return false;
    }
    comparison->showSaved(QStringLiteral("%1 сохранена: %2")
                              .arg(chart ? QStringLiteral("Диаграмма") : QStringLiteral("Таблица"),
                                  QDir::toNativeSeparators(path)));
    return true;
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
