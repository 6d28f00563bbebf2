// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwidget.h"

#include "blockmarking.h"
#include "codecelldelegate.h"
#include "contexthelp.h"
#include "focusframestyle.h"
#include "formfit.h"
#include "homeworkfeedback.h"
#include "im.h"
#include "labreportaction.h"
#include "labsession.h"
#include "namecode.h"
#include "planecomparison.h"
#include "planecomparisontab.h"
#include "qswitch.h"
#include "resultsexport.h"
#include "ui_mainwidget.h"
#include "variantchoice.h"
#include "wheelguard.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTableWidgetItem>

MainWidget::MainWidget(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui_MainWidget>())
    , session(new LabSession(this))
    , modalDialogs(Dialogs::standard(this))
{
    // Also connects the dial to the LCD, before the dial's slot below: the analysis reads the
    // plane number from the LCD.
    ui->setupUi(this);

    viewer = new Im(this);
    viewer->showGrid = false;
    viewer->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    ui->verticalLayout_6->insertWidget(0, viewer, 0);
    blockMarking = new BlockMarking(viewer, ui->tableWidget, this);
    ui->verticalLayout_6->insertWidget(1, blockMarking->statusLabel(), 0);
    colourNotice = new QLabel(QStringLiteral("Цветное изображение: анализ целиком"), this);
    colourNotice->setObjectName(QStringLiteral("colourNotice"));
    colourNotice->setWordWrap(true); // never widens the window
    colourNotice->setVisible(false);
    greyButton = new QPushButton(QStringLiteral("Преобразовать в оттенки серого"), this);
    greyButton->setObjectName(QStringLiteral("greyButton"));
    greyButton->setAutoDefault(false);
    greyButton->setAccessibleDescription(
        QStringLiteral("Заменяет цветное изображение полутоновым (яркость по весам ITU-R BT.601) "
                       "и делит его на битовые плоскости"));
    greyButton->setVisible(false);
    connect(greyButton, &QPushButton::clicked, this, [this] { convertToGrey(); });
    auto *colourRow = new QHBoxLayout;
    colourRow->addWidget(colourNotice, 1);
    colourRow->addWidget(greyButton, 0);
    ui->verticalLayout_6->insertLayout(2, colourRow, 0);
    // Beside the dial, where the student turns it in vain for a colour picture.
    dialNotice = new QLabel(QStringLiteral("Цветное изображение анализируется целиком: "
                                           "плоскость не выбирается. Нажмите «Преобразовать в "
                                           "оттенки серого»."),
        this);
    dialNotice->setObjectName(QStringLiteral("dialNotice"));
    dialNotice->setWordWrap(true);
    dialNotice->setVisible(false);
    ui->horizontalLayout_4->addWidget(dialNotice, 1);
    // The notice wraps rather than squeeze the number beside it below one whole digit.
    ui->lcdNumber->setMinimumWidth(3 * ui->lcdNumber->fontMetrics().height());

    const QRegularExpression namePattern(NameCode::fullNamePattern());
    ui->lineEdit->setValidator(new QRegularExpressionValidator(namePattern, this));
    const QRegularExpression countersPattern("[0-9]{1,2}(,[0-9]{1,2}){0,59}");
    ui->lineEdit_2->setValidator(new QRegularExpressionValidator(countersPattern, this));
    shapeHomeworkInput();

    modeSwitch = new QSwitch(this);
    ui->gridLayout->addWidget(modeSwitch, 0, 1, 1, 1);
    modeSwitch->setType(QSwitch::Horizontal);

    // The homework check decides whether the built-in pictures are offered.
    ui->comboBox->setVisible(false);
    planeIndex = ui->dial->value() - 1;
    session->selectPlane(planeIndex);
    new WheelGuard(ui->dial);

    ui->tableWidget->setColumnCount(5);
    for (int column = 0; column < 5; ++column)
        ui->tableWidget->setHorizontalHeaderItem(column, new QTableWidgetItem(QString()));
    FormFit::apply(*this, *ui->tableWidget);
    FormFit::keepNoticeWhole(*this, *ui->label_6);
    FormFit::shareRoom(*this, *ui->gridLayout_2, *ui->verticalLayout_6, *viewer,
        *ui->horizontalLayout_5, *ui->tableWidget);
    ui->tableWidget->setItemDelegate(new CodeCellDelegate(3, ui->tableWidget));
    // Its line is always there, empty until a check, so that a verdict moves nothing.
    codeCheckLine = new QLabel(this);
    codeCheckLine->setObjectName(QStringLiteral("codeCheckResult"));
    codeCheckLine->setMinimumHeight(codeCheckLine->fontMetrics().height());
    for (int item = 0; item < ui->verticalLayout_6->count(); ++item) {
        if (ui->verticalLayout_6->itemAt(item)->layout() == ui->horizontalLayout_5) {
            ui->verticalLayout_6->insertWidget(item + 1, codeCheckLine);
            break;
        }
    }
    resultsExport = new ResultsExport(session, ui->tableWidget, ui->textEdit, modalDialogs, this);
    resultsExport->saveButton()->setIconSize(ui->pushButton_4->iconSize());
    ui->verticalLayout_4->addWidget(resultsExport->saveButton());
    variantChoice = new VariantChoice(ui->comboBox, this);
    connect(variantChoice, &VariantChoice::chosen, this, &MainWidget::chooseVariant);
    // The lab report, beside the save button.
    labReport = new LabReportAction(session, modalDialogs, this);
    labReport->button()->setIconSize(ui->pushButton_4->iconSize());
    ui->verticalLayout_4->addWidget(labReport->button());

    planeComparison
        = new PlaneComparisonTab(ui->tabWidget, ui->tab_2, ui->dial, modalDialogs, this);
    connect(planeComparison->page(), &PlaneComparison::greyRequested, this,
        [this] { convertToGrey(); });
    // F1, the guide and the hints beside the tabs.
    new ContextHelp(ui->tabWidget, ui->tab_2, ui->comboBox, viewer, modalDialogs, this);
    describeControls();
    // The grey version is offered right after the file it is for.
    setTabOrder(ui->pushButton_2, greyButton);
    setTabOrder(greyButton, ui->dial);
    homeworkFeedback
        = new HomeworkFeedback(session, this, ui->label_6, ui->pushButton, modalDialogs);

    showFocusAlways();
    // Tab moves on from the report as from every other control; a tab character in a report
    // is of no use to anyone.
    ui->textEdit->setTabChangesFocus(true);
    // The first letters the student types go into the name.
    ui->lineEdit->setFocus(Qt::OtherFocusReason);

    // The window shows what the session holds; the session decides.
    connect(session, &LabSession::pictureChanged, this, [this] { splitPlanes(); });
    connect(session, &LabSession::planeAnalysed, this, &MainWidget::showAnalysis);
    connect(session, &LabSession::checked, this, [this](bool right) { showCodeCheck(right); });
    connect(session, &LabSession::typedChanged, this, [this] {
        if (const AnalysedPlane *plane = session->currentPlane())
            showCodeCheck(plane->verdict);
    });
    connect(ui->tableWidget, &QTableWidget::itemChanged, this, &MainWidget::onCodeEdited);

    for (QLineEdit *field : {ui->lineEdit, ui->lineEdit_2}) {
        connect(field, &QLineEdit::textChanged, homeworkFeedback, [this] {
            homeworkFeedback->fieldsEdited(ui->lineEdit->text(), ui->lineEdit_2->text());
        });
    }
    connect(ui->pushButton, SIGNAL(clicked(bool)), this, SLOT(onApplay(bool)));
    connect(ui->comboBox, SIGNAL(textActivated(QString)), this, SLOT(onActivateCombo(QString)));
    connect(ui->dial, SIGNAL(valueChanged(int)), this, SLOT(onDialChange(int)));
    connect(ui->pushButton_2, SIGNAL(clicked(bool)), this, SLOT(onReview(bool)));
    connect(ui->pushButton_3, SIGNAL(clicked(bool)), this, SLOT(onCheck(bool)));
    connect(ui->pushButton_4, SIGNAL(clicked(bool)), this, SLOT(onGetScroll(bool)));
}

MainWidget::~MainWidget()
{
    // The children outlive this part of the window: a code cell's editor closed as the table
    // goes must not reach the session through it.
    disconnect(ui->tableWidget, nullptr, this, nullptr);
}

void MainWidget::showFocusAlways()
{
    // The styles show where the focus is only after it was moved with the keyboard; a click
    // hides every focus frame again, though Space and Return still act on the focused control.
    // Here the focus is always shown.
    setAttribute(Qt::WA_KeyboardFocusChange);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && now->window() == this && !testAttribute(Qt::WA_KeyboardFocusChange)) {
            setAttribute(Qt::WA_KeyboardFocusChange);
            now->update();
        }
    });
    // The report pane shows its focus only by its text cursor, out of sight once the report is
    // longer than the pane: its border does.
    ui->textEdit->setStyleSheet(
        QStringLiteral("QTextEdit:focus { border: 2px solid palette(highlight); }"));
    // The picture's scroll area and an empty results table draw no focus of their own: a frame
    // around them does.
    auto *frame = new QFocusFrame(this);
    frame->setObjectName(QStringLiteral("focusFrame"));
    // The widgets, not the form: the focus moves once more as the window closes in its base
    // destructor, after the form has gone.
    QWidget *const scrollArea = ui->scrollArea;
    QTableWidget *const table = ui->tableWidget;
    connect(qApp, &QApplication::focusChanged, frame,
        [scrollArea, table, frame](QWidget *, QWidget *now) {
            const bool framed = now == scrollArea || (now == table && table->rowCount() == 0);
            frame->setWidget(framed ? now : nullptr);
        });
    // Flat icon buttons show no focus in any style of their own.
    auto *flatFocus = new FocusFrameStyle(this);
    for (QPushButton *button :
        {ui->pushButton_3, ui->pushButton_4, resultsExport->saveButton(), labReport->button()})
        button->setStyle(flatFocus);
}

void MainWidget::keyPressEvent(QKeyEvent *event)
{
    // Return or Enter that the focused control left unused: a button does what its click does,
    // the counters field runs the homework action and the name field passes on to the counters.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        QWidget *const focused = focusWidget();
        if (auto *button = qobject_cast<QPushButton *>(focused)) {
            if (button->isEnabled() && button->isVisible())
                button->click();
            return;
        }
        if (focused == ui->lineEdit_2) {
            ui->pushButton->click();
            return;
        }
        if (focused == ui->lineEdit) {
            ui->lineEdit_2->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void MainWidget::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        // The form's texts include the two input fields, which it empties; what the student
        // typed must survive a change of language.
        const QString name = ui->lineEdit->text();
        const QString counters = ui->lineEdit_2->text();
        ui->retranslateUi(this);
        announceVerdict(); // the form put its notice back
        ui->lineEdit->setText(name);
        ui->lineEdit_2->setText(counters);
        // retranslateUi only renames the four pictures; like a refilled list, the choice starts
        // over at "выбери изображение". No textActivated is sent, so nothing is loaded.
        ui->comboBox->setCurrentIndex(0);
    }
}

void MainWidget::closeEvent(QCloseEvent *event)
{
    if (resultsExport->hasUnsavedWork()) {
        const CloseAnswer answer = modalDialogs->closeQuestion(QStringLiteral("Выход из программы"),
            QStringLiteral("Сохранить результаты перед выходом?"));
        // A cancelled or failed save keeps the window, as Отмена does.
        if (answer == CloseAnswer::Cancel
            || (answer == CloseAnswer::Save && !resultsExport->save())) {
            event->ignore();
            return;
        }
    }
    QWidget::closeEvent(event);
}
