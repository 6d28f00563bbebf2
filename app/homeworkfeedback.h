// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "huffmanconstruction.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class ConstructionWindow;
class QLabel;
class QPushButton;
struct Dialogs;

// What the homework tab says beside the verdict: after a wrong check, why the answer is wrong
// (without giving it away); after a right one, a button that opens the construction of the code.
class HomeworkFeedback : public QObject
{
    Q_OBJECT

public:
    // Places its label and button under verdict (label_6) in window, the button next after
    // checkButton in the tab order; the construction window asks for its dialogs through
    // dialogs.
    HomeworkFeedback(QWidget *window, QLabel *verdict, QWidget *checkButton,
        std::shared_ptr<const Dialogs> dialogs);

    // countersText: the right answer the student gave; the construction shown is the one that
    // gives it.
    void checkedRight(const QString &fullName, const QString &countersText);
    // Which construction gives the answer, and the line that says where it parts from the other
    // (empty when the two take the same nodes throughout).
    static HuffmanConstruction::Arithmetic constructionFor(
        const QString &fullName, const QString &countersText, QString *note);
    void checkedWrong(const QString &fullName, const QString &countersText);
    void skipped();

private:
    void showDiagnosis(const QString &text);
    void showConstruction();

    QWidget *window;
    const std::shared_ptr<const Dialogs> dialogs;
    QLabel *diagnosisLabel = nullptr;
    QPushButton *constructionButton = nullptr;
    QString rightName; // the name of the latest right check
    QString rightAnswer; // and its answer
    QPointer<ConstructionWindow> construction;
};
