// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QObject>

#include <array>
#include <memory>

struct Dialogs;
class PlaneComparison;
class QDial;
class QTabWidget;

// The lab's third tab: all planes of the picture side by side. Open whenever the lab tab is;
// the chart turns the dial, and the window reports the dial's plane back.
class PlaneComparisonTab : public QObject
{
    Q_OBJECT

public:
    PlaneComparisonTab(QTabWidget *tabs, QWidget *labTab, QDial *dial,
        std::shared_ptr<const Dialogs> dialogs, QObject *parent);

    PlaneComparison *page() const { return comparison; }
    // A greyscale picture was split: its figures, worked out when the tab is next in sight (a
    // camera photo's eight planes take longer than the rest of its load).
    void showPlanes(const std::array<QImage, 8> &planes);
    // The split picture's name as the report gives it, for the saved files' names.
    void setPictureName(const QString &name) { pictureName = name; }
    // A picture that was not split (none at all, or a colour one): the sentence that says so.
    void showUnsplit(const QImage &picture);
    // The dial's plane, 1..8.
    void setSelectedPlane(int plane);

    // "NAME, сравнение плоскостей.csv" (or .png): a path gives its file's name.
    static QString suggestedName(const QString &pictureName, bool chart);
    // The table as CSV, or the chart as PNG, where the save dialog says; true when written.
    bool save(bool chart);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followLabTab();
    void updateFigures();

    QTabWidget *const tabs;
    const std::shared_ptr<const Dialogs> dialogs;
    QWidget *const labTab;
    PlaneComparison *const comparison;
    std::array<QImage, 8> pendingPlanes;
    bool pending = false;
    QString pictureName;
    QString lastFolder;
};
