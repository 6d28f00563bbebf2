// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bitblock.h"
#include "dialogs.h"
#include "planestatistics.h"

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class BlockMarking;
class HomeworkFeedback;
class Im;
class LabSession;
struct AnalysedPlane;
class PlaneComparisonTab;
class QCloseEvent;
class QEvent;
class QKeyEvent;
class QLabel;
class QPushButton;
class QSwitch;
class QTableWidgetItem;
class LabReportAction;
class ResultsExport;
class VariantChoice;
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
    // Shows the picture the session has in view: a grey one's planes (to the comparison tab;
    // the analysis that follows shows the dial's plane), a colour one as it is, or none.
    void splitPlanes();
    // Has the session analyse the plane in currentImage, named as the picture list or the file
    // field names the picture and numbered as the LCD shows.
    void analysePlane();
    // A picture (null: none) into the session under `name`, with its preview; when it cannot be
    // shown, the warning `title` with message(why) and nothing changes. True when shown.
    bool showLoaded(const QImage &picture, const QString &name, const QString &title,
        const std::function<QString(const QString &)> &message);
    // The colour picture in view replaced by its grey version, split like any grey picture.
    void convertToGrey();
    // Variant `number`: its picture at its plane, and the session records the choice.
    void chooseVariant(int number);
    // The homework verdict for label_6: two centred lines in large type, in the given colour
    // (six lower-case hex digits).
    static QString resultHtml(const QString &title, const QString &status, const QString &color);
    // Puts the homework verdict into label_6, for the eye and for a screen reader.
    void showVerdict(const QString &status, const QString &color);
    void announceVerdict();
    // The session analysed analysed()[index]: the viewer, the marking, the table and the
    // report show it.
    void showAnalysis(int index);
    // Puts one analysis into the table, blockCounts, blockCodes and the report.
    void showStatistics(const AnalysedPlane &analysis);
    const QIcon &blockIcon(const BlockType &type);
    // Colours the hidden code cells and says the verdict under the table; no verdict (a plane
    // not checked yet) leaves the cells as the analysis made them and the line empty.
    void showCodeCheck(std::optional<bool> right);
    // The line under the table once a code was edited after the check that said `verdict`.
    static QString staleVerdictText(const QString &verdict);
    // The line under the table when a button needs a plane and there is none: what to do first,
    // then `what` the button would have done.
    QString noPlaneText(const QString &what) const;
    // Scrolls the report so that the text from `position` on is in view from its first line.
    void showReportFrom(int position);
    // An edit of a hidden code cell is what the student typed for the session's plane.
    void onCodeEdited(QTableWidgetItem *item);

    std::unique_ptr<Ui_MainWidget> ui;
    // The lab's state; the members below are the window's view of its current plane.
    LabSession *session = nullptr;
    Im *viewer = nullptr;
    QLabel *colourNotice = nullptr; // under the viewer while a colour picture is shown
    QPushButton *greyButton = nullptr; // beside it: "Преобразовать в оттенки серого"
    QLabel *dialNotice = nullptr; // beside the dial while a colour picture is shown
    QSwitch *modeSwitch = nullptr;
    QLabel *codeCheckLine = nullptr; // the code check's verdict in words, under the table
    BlockMarking *blockMarking = nullptr;
    PlaneComparisonTab *planeComparison = nullptr;
    HomeworkFeedback *homeworkFeedback = nullptr;
    QHash<QChar, int> letterCounts;
    QList<float> letterProbabilities;
    QImage currentImage;
    std::array<QImage, 8> planes;
    int planeIndex = 0;
    QHash<BitBlock, int> blockCounts;
    QList<QString> blockCodes;
    // What the last analysis computed; the entropy output reads its probabilities from here.
    PlaneStatistics planeStatistics;
    // Table icons by 9-bit pattern, made on first use: there are only 512 block pictures.
    std::array<QIcon, 512> blockIcons;
    bool fillingTable = false; // the table's items change, but nothing is typed

    std::shared_ptr<Dialogs> modalDialogs;
    ResultsExport *resultsExport = nullptr;
    VariantChoice *variantChoice = nullptr;
    LabReportAction *labReport = nullptr;
};
