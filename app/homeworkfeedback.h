// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "huffmanconstruction.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class ConstructionWindow;
class LabSession;
class QLabel;
class QPushButton;
struct Dialogs;

// What the homework tab says beside the verdict, as the session's homework outcome has it: after
// a wrong check, why the answer is wrong (without giving it away); after a right one, a button
// that opens the construction of the code.
class HomeworkFeedback : public QObject
{
    Q_OBJECT

public:
    // Places its label and button under verdict (label_6) in window, the button next after
    // checkButton in the tab order; the construction window asks for its dialogs through
    // dialogs.
    HomeworkFeedback(const LabSession *session, QWidget *window, QLabel *verdict,
        QWidget *checkButton, std::shared_ptr<const Dialogs> dialogs);

    // Which construction gives the answer, and the line that says where it parts from the other
    // (empty when the two take the same nodes throughout).
    static HuffmanConstruction::Arithmetic constructionFor(
        const QString &fullName, const QString &countersText, QString *note);

    // The name and counters fields as they stand: an edit since the last check says that its
    // verdict no longer speaks for them, until the next check.
    void fieldsEdited(const QString &fullName, const QString &counters);
    QLabel *staleLabel() const { return stale; }

private:
    void followOutcome();
    void showStaleness();
    void showDiagnosis(const QString &text);
    void showConstruction();

    const LabSession *const session;
    QWidget *window;
    const std::shared_ptr<const Dialogs> dialogs;
    QLabel *diagnosisLabel = nullptr;
    QLabel *stale = nullptr;
    QString fieldName;
    QString fieldCounters;
    QPushButton *constructionButton = nullptr;
    QPointer<ConstructionWindow> construction;
};
