// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bitblock.h"
#include "dialogs.h"
#include "planestatistics.h"
#include "typedcodes.h"

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class BlockMarking;
class HomeworkFeedback;
class Im;
class PlaneComparisonTab;
class QCloseEvent;
class QEvent;
class QKeyEvent;
class QLabel;
class QPushButton;
class QSwitch;
class ResultsExport;
class Ui_MainWidget;

// The program's only window: the homework tab and the lab tab with the plane viewer, the
// results table and the report. The slots are spread over homework.cpp, imageloading.cpp and
// planeanalysis.cpp; this file's .cpp only builds and tears down the window.
class MainWidget : public QWidget
{
    Q_OBJECT

public:
    using CloseAnswer = Dialogs::CloseAnswer;

    explicit MainWidget(QWidget *parent = nullptr);
    ~MainWidget() override;

    // Every modal dialog of the window and its helpers: tests answer them here.
    Dialogs &dialogs() { return *modalDialogs; }

protected:
    void changeEvent(QEvent *event) override;
    // Unsaved typed codes or report: asks whether to save them first.
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void onApplay(bool v);
    void onActivateCombo(const QString &text);
    void onDialChange(int value);
    void onReview(bool v);
    void onCheck(bool v);
    void onGetScroll(bool v);

private:
    // Lets unit tests put a plane in place without going through a picture file.
    friend struct MainWidgetTestAccess;

    void describeControls();
    void showFocusAlways();
    void shapeHomeworkInput();
    // Stores the planes of a grey picture (`split`, from BitPlanes::split) and shows the one the
    // dial selects; a colour picture (no planes) is shown as it is.
    void splitPlanes(const QList<QImage> &split);
    void analysePlane();
    // The last step of a load: the stored planes take the picture's name when it was split,
    // and the analysis names it.
    void analyseLoaded(const QString &name);
    // The colour picture in view replaced by its grey version, split like any grey picture.
    void convertToGrey();
    // The homework verdict for label_6: two centred lines in large type, in the given colour
    // (six lower-case hex digits).
    static QString resultHtml(const QString &title, const QString &status, const QString &color);
    // Puts the homework verdict into label_6, for the eye and for a screen reader.
    void showVerdict(const QString &status, const QString &color);
    void announceVerdict();
    // The picture an analysis describes, as the loading slots know it.
    struct ReportedPicture
    {
        QString name;
        bool whole = false; // analysed as it is, not as one of its planes
    };
    // Puts one plane's statistics into the table, blockCounts, blockCodes and the report. Without
    // a picture, the report names what the picture list or the file field shows.
    void showStatistics(
        const PlaneStatistics &stats, const std::optional<ReportedPicture> &picture = {});
    // The name the report gives the analysed picture: `picture`'s, else the widgets' choice.
    ReportedPicture reportedAs(const std::optional<ReportedPicture> &picture) const;
    const QIcon &blockIcon(const BlockType &type);
    // Colours the hidden code cells and says the verdict under the table; no verdict (a plane
    // not checked yet) leaves the cells as the analysis made them and the line empty.
    void showCodeCheck(std::optional<bool> right);

    std::unique_ptr<Ui_MainWidget> ui;
    Im *viewer = nullptr;
    QLabel *colourNotice = nullptr; // under the viewer while a colour picture is shown
    QPushButton *greyButton = nullptr; // beside it: "Преобразовать в оттенки серого"
    QSwitch *modeSwitch = nullptr;
    QLabel *codeCheckLine = nullptr; // the code check's verdict in words, under the table
    BlockMarking *blockMarking = nullptr;
    PlaneComparisonTab *planeComparison = nullptr;
    HomeworkFeedback *homeworkFeedback = nullptr;
    QHash<QChar, int> letterCounts;
    QList<float> letterProbabilities;
    QImage currentImage;
    std::array<QImage, 8> planes;
    // The picture the stored planes come from, named as the report names it.
    QString planesName;
    // The picture in view (split or not), named as the report names it.
    QString pictureName;
    int planeIndex = 0;
    QHash<BitBlock, int> blockCounts;
    QList<QString> blockCodes;
    // What the last analysis computed; the entropy output reads its probabilities from here.
    PlaneStatistics planeStatistics;
    // Table icons by 9-bit pattern, made on first use: there are only 512 block pictures.
    std::array<QIcon, 512> blockIcons;
    // Set by the slot that starts an analysis, taken by that analysis.
    std::optional<ReportedPicture> reportedPicture;
    TypedCodes typedCodes;

    std::shared_ptr<Dialogs> modalDialogs;
    ResultsExport *resultsExport = nullptr;
};
