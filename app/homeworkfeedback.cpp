// SPDX-License-Identifier: GPL-3.0-or-later
#include "homeworkfeedback.h"

#include "constructionwindow.h"
#include "labsession.h"
#include "namecode.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

// The box layout that holds widget, somewhere below root, and its index there.
QBoxLayout *boxHolding(QLayout *root, QWidget *widget, int *index)
{
    if (!root)
        return nullptr;
    if (auto *box = qobject_cast<QBoxLayout *>(root)) {
        const int at = box->indexOf(widget);
        if (at >= 0) {
            *index = at;
            return box;
        }
    }
    for (int i = 0; i < root->count(); ++i) {
        if (QBoxLayout *found = boxHolding(root->itemAt(i)->layout(), widget, index))
            return found;
    }
    return nullptr;
}

} // namespace

HomeworkFeedback::HomeworkFeedback(const LabSession *session, QWidget *window, QLabel *verdict,
    QWidget *checkButton, std::shared_ptr<const Dialogs> dialogs)
    : QObject(window)
    , session(session)
    , window(window)
    , dialogs(std::move(dialogs))
{
    QWidget *page = verdict->parentWidget();
    diagnosisLabel = new QLabel(page);
    diagnosisLabel->setObjectName(QStringLiteral("diagnosisLabel"));
    diagnosisLabel->setTextFormat(Qt::PlainText);
    diagnosisLabel->setWordWrap(true);
    diagnosisLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    diagnosisLabel->setAccessibleName(QStringLiteral("Пояснение к проверке"));
    diagnosisLabel->setAccessibleDescription(
        QStringLiteral("Почему ответ неверен и что в нем проверить"));
    // Hidden while empty, so that the tab keeps its size until there is something to say.
    diagnosisLabel->hide();

    constructionButton = new QPushButton(QStringLiteral("Показать построение кода"), page);
    constructionButton->setObjectName(QStringLiteral("constructionButton"));
    constructionButton->setAccessibleDescription(
        QStringLiteral("Открывает окно с шагами построения кода, деревом и кодовыми словами"));
    constructionButton->hide();
    connect(constructionButton, &QPushButton::clicked, this, &HomeworkFeedback::showConstruction);
    QWidget::setTabOrder(checkButton, constructionButton);

    stale = new QLabel(window);
    stale->setObjectName(QStringLiteral("homeworkStale"));
    stale->setWordWrap(true);
    stale->setAlignment(Qt::AlignHCenter);
    stale->hide();

    auto *row = new QHBoxLayout;
    row->addWidget(diagnosisLabel, 1);
    row->addWidget(constructionButton, 0, Qt::AlignTop);
    int index = 0;
    if (QBoxLayout *holder = boxHolding(page->layout(), verdict, &index)) {
        holder->insertLayout(index + 1, row);
        holder->insertWidget(index + 1, stale);
    } else {
        page->layout()->addWidget(stale);
        page->layout()->addItem(row);
    }
    connect(session, &LabSession::homeworkChanged, this, &HomeworkFeedback::followOutcome);
}

HuffmanConstruction::Arithmetic HomeworkFeedback::constructionFor(
    const QString &fullName, const QString &countersText, QString *note)
{
    using Arithmetic = HuffmanConstruction::Arithmetic;
    const NameStatistics statistics = NameCode::analyse(fullName);
    // The exact one where it gives the answer: it is the one worked by hand.
    const bool exact = countersText == statistics.exactCountersText;
    const HuffmanConstruction lab = HuffmanConstruction::ofName(fullName, Arithmetic::Float32);
    const HuffmanConstruction byHand = HuffmanConstruction::ofName(fullName, Arithmetic::Exact);
    const int step = HuffmanConstruction::partingStep(lab, byHand);
    note->clear();
    if (step == 0)
        return exact ? Arithmetic::Exact : Arithmetic::Float32;
    // Said once, under the title: from which step the two part, and what that means for the
    // other answer.
    const QString from = QString::number(step);
    if (!exact) {
        *note = QStringLiteral("Здесь построение программы в 32-битных числах: с шага %1 равные "
                               "дроби в них расходятся. Счетчики построения в точных дробях %2 "
                               "тоже верны.")
                    .arg(from, statistics.exactCountersText);
    } else if (statistics.answersDiffer()) {
        *note = QStringLiteral("Здесь дроби сравниваются точно. Программа считает 32-битными "
                               "числами, в них с шага %1 равные дроби расходятся; ее счетчики %2 "
                               "тоже верны.")
                    .arg(from, statistics.countersText);
    } else {
        *note = QStringLiteral("Здесь дроби сравниваются точно. Программа считает 32-битными "
                               "числами, в них с шага %1 равные дроби расходятся, но счетчики "
                               "выходят те же.")
                    .arg(from);
    }
    return exact ? Arithmetic::Exact : Arithmetic::Float32;
}

void HomeworkFeedback::followOutcome()
{
    const HomeworkOutcome &outcome = session->homework();
    switch (outcome.verdict) {
    case HomeworkOutcome::Verdict::Wrong:
        showDiagnosis(outcome.diagnosis);
        break;
    case HomeworkOutcome::Verdict::Skipped:
        // The lab is open now, but for a picture of the student's own only.
        showDiagnosis(QStringLiteral("Выберите свое изображение кнопкой «Обзор» на вкладке "
                                     "«Лабораторное задание»."));
        break;
    default:
        showDiagnosis(QString());
        break;
    }
    constructionButton->setVisible(outcome.verdict == HomeworkOutcome::Verdict::Right);
    fieldName = outcome.name;
    fieldCounters = outcome.counters;
    showStaleness();
}

void HomeworkFeedback::fieldsEdited(const QString &fullName, const QString &counters)
{
    fieldName = fullName;
    fieldCounters = counters;
    showStaleness();
}

void HomeworkFeedback::showStaleness()
{
    const HomeworkOutcome &outcome = session->homework();
    if (outcome.isCurrentFor(fieldName, fieldCounters)) {
        stale->hide();
        stale->clear();
        return;
    }
    // What the student earned stays; the words say which name and counters the verdict is for.
    stale->setText(
        QStringLiteral("Поля изменены после проверки: результат выше относится к "
                       "«%1» со счетчиками «%2». Нажмите «Выполнить выбранное действие» еще раз, "
                       "чтобы проверить то, что введено сейчас.")
            .arg(outcome.name, outcome.counters));
    stale->show();
}

void HomeworkFeedback::showDiagnosis(const QString &text)
{
    diagnosisLabel->setText(text);
    diagnosisLabel->setVisible(!text.isEmpty());
}

void HomeworkFeedback::showConstruction()
{
    // The latest right check's name and answer: the construction shown is the one that gives it.
    const HomeworkOutcome &outcome = session->homework();
    if (!construction) {
        construction = new ConstructionWindow(outcome.name, dialogs, window);
        construction->setObjectName(QStringLiteral("constructionWindow"));
    }
    QString note;
    construction->setConstruction(constructionFor(outcome.name, outcome.counters, &note), note);
    construction->showName(outcome.name);
    construction->show();
    construction->raise();
    construction->activateWindow();
}
