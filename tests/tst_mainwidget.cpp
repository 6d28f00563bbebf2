// SPDX-License-Identifier: GPL-3.0-or-later
#include "builtinpictures.h"
#include "lab.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyle>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QValidator>

namespace {

using WindowTesting::child;

QStringList messages;

void collect(QtMsgType, const QMessageLogContext &, const QString &message)
{
    messages << message;
}

// The receivers of one signal of `sender`, in the order they are called, as QObject's own
// connection dump lists them ("--> Class::objectName slot(args)").
QStringList receiversOf(const QObject *sender, const QByteArray &signal)
{
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    sender->dumpObjectInfo();
    qInstallMessageHandler(previous);

    QStringList receivers;
    bool inSignal = false;
    for (const QString &line : std::as_const(messages)) {
        const QString text = line.trimmed();
        if (text.startsWith(QLatin1String("signal: "))) {
            inSignal = text == QLatin1String("signal: ") + QLatin1String(signal);
        } else if (text.startsWith(QLatin1String("SIGNALS IN"))) {
            break;
        } else if (inSignal) {
            receivers << text;
        }
    }
    return receivers;
}

#ifdef Q_OS_WIN
// Why the tests of the form's layout skip on Windows.
const char notWindowsFonts[]
    = "offscreen under wine, Qt takes its fonts from one folder and a default size of its own, "
      "not Windows' Tahoma at 8.25 pt: the real window is looked at under wine instead";
#endif

// Whether the whole of a label's text has room in it as laid out: wrapped to its width, or on
// its lines as they stand.
bool textFits(const QLabel *label)
{
    if (label->wordWrap())
        return label->heightForWidth(label->width()) <= label->height();
    const QSize needed = label->sizeHint();
    return needed.width() <= label->width() && needed.height() <= label->height();
}

QString repeat(const QString &text, int count, const QString &separator)
{
    QStringList parts;
    for (int i = 0; i < count; ++i)
        parts << text;
    return parts.join(separator);
}

} // namespace

class TestMainWidget : public QObject
{
    Q_OBJECT

private slots:
    void nameField_data();
    void nameField();
    void countersField_data();
    void countersField();
    void startState();
    void customWidgetsInPlace();
    void slotConnections_data();
    void slotConnections();
    void dialDrivesLcd_data();
    void dialDrivesLcd();
    void changeEvent_data();
    void changeEvent();
    void homeworkAtFormSize_data();
    void homeworkAtFormSize();
    void codesInViewAtFormSize();
    void resultsRoomWhenMaximised();
    void titlesWrapWhenNarrow();
    void promptsWrapInLargerType();
};

void TestMainWidget::nameField_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QValidator::State>("state");

    const QString word20 = QString("Б") + QString(19, QChar(u'а'));
    QTest::newRow("three words") << "Иванов Иван Иванович" << QValidator::Acceptable;
    QTest::newRow("one-letter words") << "Я Ю Э" << QValidator::Acceptable;
    QTest::newRow("ё inside words") << "Семёнов Пётр Фёдорович" << QValidator::Acceptable;
    QTest::newRow("20-letter words") << repeat(word20, 3, " ") << QValidator::Acceptable;
    QTest::newRow("21-letter word") << word20 + "а Иван Иванович" << QValidator::Invalid;
    QTest::newRow("Ё first") << "Ёлкин Иван Иванович" << QValidator::Acceptable;
    QTest::newRow("Latin word") << "Ivanov Иван Иванович" << QValidator::Invalid;
    QTest::newRow("Latin a inside") << "Иванов Ивaн Иванович" << QValidator::Invalid;
    QTest::newRow("small first letter") << "иванов Иван Иванович" << QValidator::Invalid;
    QTest::newRow("capital inside") << "ИвАнов Иван Иванович" << QValidator::Invalid;
    QTest::newRow("two spaces") << "Иванов  Иван Иванович" << QValidator::Invalid;
    QTest::newRow("fourth word") << "Иванов Иван Иванович Петров" << QValidator::Invalid;
    QTest::newRow("trailing space") << "Иванов " << QValidator::Intermediate;
    QTest::newRow("two words") << "Иванов Иван" << QValidator::Acceptable;
    QTest::newRow("hyphen, still typing") << "Салтыков-" << QValidator::Intermediate;
    QTest::newRow("empty") << "" << QValidator::Intermediate;
}

void TestMainWidget::nameField()
{
    QFETCH(QString, input);
    QFETCH(QValidator::State, state);
    const Lab lab(Lab::AtHomework);
    const QValidator *validator = lab.name->validator();
    QVERIFY(validator);
    int position = int(input.size());
    QCOMPARE(validator->validate(input, position), state);
}

void TestMainWidget::countersField_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QValidator::State>("state");

    QTest::newRow("1,2,3") << "1,2,3" << QValidator::Acceptable;
    QTest::newRow("07,99") << "07,99" << QValidator::Acceptable;
    QTest::newRow("one number") << "0" << QValidator::Acceptable;
    QTest::newRow("60 numbers") << repeat("12", 60, ",") << QValidator::Acceptable;
    QTest::newRow("61 numbers") << repeat("12", 61, ",") << QValidator::Invalid;
    QTest::newRow("three digits") << "1,123" << QValidator::Invalid;
    QTest::newRow("space") << "1, 2" << QValidator::Invalid;
    QTest::newRow("two commas") << "1,,2" << QValidator::Invalid;
    QTest::newRow("leading comma") << ",1" << QValidator::Invalid;
    QTest::newRow("letter") << "1,a" << QValidator::Invalid;
    QTest::newRow("trailing comma") << "1,2," << QValidator::Intermediate;
    QTest::newRow("empty") << "" << QValidator::Intermediate;
}

void TestMainWidget::countersField()
{
    QFETCH(QString, input);
    QFETCH(QValidator::State, state);
    const Lab lab(Lab::AtHomework);
    const QValidator *validator = lab.counters->validator();
    QVERIFY(validator);
    int position = int(input.size());
    QCOMPARE(validator->validate(input, position), state);
}

void TestMainWidget::startState()
{
    const Lab lab(Lab::AtHomework);
    const MainWidget &window = lab.window;
    QCOMPARE(window.size(), QSize(600, 684));
    QCOMPARE(window.windowTitle(),
        "Лабораторная работа №__ Эффективное кодирование и цифровое представление изображений");
    const QList<QSize> iconSizes = window.windowIcon().availableSizes();
    QVERIFY(iconSizes.contains(QSize(16, 16)) && iconSizes.contains(QSize(32, 32)));

    QCOMPARE(lab.tabs->currentIndex(), 0);
    QVERIFY(lab.tabs->isTabEnabled(0));
    QVERIFY(!lab.labTab->isEnabled());

    QVERIFY(lab.combo->isHidden());
    // "выбери изображение", then the built-in pictures in the order the key tool names them.
    QStringList pictures;
    for (int i = 1; i < lab.combo->count(); ++i)
        pictures.append(lab.combo->itemText(i));
    QCOMPARE(pictures, BuiltInPictures::names());
    QCOMPARE(lab.combo->currentIndex(), 0);
    QCOMPARE(lab.combo->currentText(), "выбери изображение");
    QVERIFY(!lab.path->isHidden());
    QVERIFY(lab.path->isReadOnly());

    QCOMPARE(lab.dial->value(), 1);
    QCOMPARE(lab.lcd->intValue(), 1);
    QCOMPARE(lab.lcd->toolTip(), "Номер отображаемой плоскости");

    QCOMPARE(lab.table->columnCount(), 5);
    QCOMPARE(lab.table->rowCount(), 0);
    for (int column = 0; column < 5; ++column) {
        const QTableWidgetItem *header = lab.table->horizontalHeaderItem(column);
        QVERIFY2(header, qPrintable(QString::number(column)));
        QVERIFY(header->text().isEmpty());
    }

    // Slots call these; an empty std::function would throw instead of opening a dialog. The
    // window as built, before a fixture answers its dialogs.
    MainWidget plain;
    QVERIFY(plain.dialogs().messageBox);
    QVERIFY(plain.dialogs().warning);
    QVERIFY(plain.dialogs().closeQuestion);
    QVERIFY(plain.dialogs().openFileName);
}

void TestMainWidget::customWidgetsInPlace()
{
    const Lab lab(Lab::AtHomework);
    const MainWidget &window = lab.window;
    const auto *viewers = child<QVBoxLayout>(window, "verticalLayout_6");
    const auto *viewer = qobject_cast<Im *>(viewers->itemAt(0)->widget());
    QVERIFY(viewer);
    QVERIFY(!viewer->showGrid);
    QCOMPARE(viewer->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(viewer->parentWidget(), child<QWidget>(window, "groupBox_3"));

    const auto *grid = child<QGridLayout>(*child<QWidget>(window, "tab"), "gridLayout");
    const QSwitch *modeSwitch = lab.lever;
    QVERIFY(modeSwitch);
    int row = -1, column = -1, rowSpan = -1, columnSpan = -1;
    grid->getItemPosition(grid->indexOf(modeSwitch), &row, &column, &rowSpan, &columnSpan);
    QCOMPARE(QList<int>({row, column, rowSpan, columnSpan}), QList<int>({0, 1, 1, 1}));
    QCOMPARE(modeSwitch->type(), QSwitch::Horizontal);
    QCOMPARE(modeSwitch->value(), false);
}

void TestMainWidget::slotConnections_data()
{
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<QStringList>("receivers");

    const QString window = "--> MainWidget::MainWidget ";
    QTest::newRow("homework button")
        << "pushButton" << QByteArray("clicked(bool)") << QStringList {window + "onApplay(bool)"};
    QTest::newRow("picture list") << "comboBox" << QByteArray("textActivated(QString)")
                                  << QStringList {window + "onActivateCombo(QString)"};
    // The LCD first: the analysis started by onDialChange reads the plane number from it.
    QTest::newRow("dial") << "dial" << QByteArray("valueChanged(int)")
                          << QStringList {"--> QLCDNumber::lcdNumber display(int)",
                                 window + "onDialChange(int)"};
    QTest::newRow("browse button")
        << "pushButton_2" << QByteArray("clicked(bool)") << QStringList {window + "onReview(bool)"};
    QTest::newRow("check button") << "pushButton_3" << QByteArray("clicked(bool)")
                                  << QStringList {window + "onCheck(bool)"};
    QTest::newRow("output button") << "pushButton_4" << QByteArray("clicked(bool)")
                                   << QStringList {window + "onGetScroll(bool)"};
}

void TestMainWidget::slotConnections()
{
    QFETCH(QString, sender);
    QFETCH(QByteArray, signal);
    QFETCH(QStringList, receivers);
    const Lab lab(Lab::AtHomework);
    QCOMPARE(receiversOf(child<QWidget>(lab.window, qPrintable(sender)), signal), receivers);
}

void TestMainWidget::dialDrivesLcd_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("plane");

    QTest::newRow("1 -> 2 by step") << 1 << int(QAbstractSlider::SliderSingleStepAdd) << 2;
    QTest::newRow("1 -> 2 by page") << 1 << int(QAbstractSlider::SliderPageStepAdd) << 2;
    QTest::newRow("3 -> 2 by page") << 3 << int(QAbstractSlider::SliderPageStepSub) << 2;
    QTest::newRow("to the end") << 1 << int(QAbstractSlider::SliderToMaximum) << 8;
    QTest::newRow("no wrap past 8") << 8 << int(QAbstractSlider::SliderSingleStepAdd) << 8;
    QTest::newRow("no wrap below 1") << 1 << int(QAbstractSlider::SliderSingleStepSub) << 1;
}

void TestMainWidget::dialDrivesLcd()
{
    QFETCH(int, start);
    QFETCH(int, action);
    QFETCH(int, plane);
    const Lab lab(Lab::AtHomework);
    QDial *dial = lab.dial;
    const QLCDNumber *lcd = lab.lcd;
    dial->setValue(start);

    QList<int> shownWhenChanged;
    connect(dial, &QDial::valueChanged, this, [&] { shownWhenChanged << lcd->intValue(); });
    dial->triggerAction(QAbstractSlider::SliderAction(action));

    QCOMPARE(dial->value(), plane);
    QCOMPARE(lcd->intValue(), plane);
    if (plane != start)
        QCOMPARE(shownWhenChanged, QList<int> {plane});
}

void TestMainWidget::changeEvent_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("retranslated");

    QTest::newRow("language change") << int(QEvent::LanguageChange) << true;
    QTest::newRow("font change") << int(QEvent::FontChange) << false;
}

void TestMainWidget::changeEvent()
{
    QFETCH(int, type);
    QFETCH(bool, retranslated);
    Lab lab(Lab::AtHomework);
    auto *label = child<QLabel>(lab.window, "label_3");
    QTabWidget *tabs = lab.tabs;
    QComboBox *combo = lab.combo;
    label->setText("x");
    tabs->setTabText(1, "y");
    combo->setCurrentIndex(2);
    lab.name->setText("Мама Мыла Раму");
    lab.counters->setText("0,3,0,4");
    QSignalSpy activated(combo, &QComboBox::textActivated);

    QEvent event(static_cast<QEvent::Type>(type));
    QCoreApplication::sendEvent(&lab.window, &event);

    QCOMPARE(label->text(), retranslated ? "ПРОВЕРИТЬ домашнее задание" : "x");
    QCOMPARE(tabs->tabText(1), retranslated ? "Лабораторное задание" : "y");
    QCOMPARE(combo->count(), 1 + BuiltInPictures::names().size());
    QCOMPARE(combo->currentIndex(), retranslated ? 0 : 2);
    QCOMPARE(combo->itemText(3), "Золотой холм");
    QCOMPARE(activated.count(), 0);
    // Whatever the student typed survives.
    QCOMPARE(lab.name->text(), "Мама Мыла Раму");
    QCOMPARE(lab.counters->text(), "0,3,0,4");
}

void TestMainWidget::homeworkAtFormSize_data()
{
    QTest::addColumn<QString>("counters"); // empty: nothing pressed
    QTest::addColumn<bool>("skip");

    // The notice at start is the tallest text: five lines of 36 pt.
    QTest::newRow("notice at start") << QString() << false;
    QTest::newRow("verdict, right") << "0,3,0,4" << false;
    QTest::newRow("verdict, wrong") << "1,2,3" << false;
    QTest::newRow("verdict, skipped") << "1" << true;
}

void TestMainWidget::homeworkAtFormSize()
{
#ifdef Q_OS_WIN
    QSKIP(notWindowsFonts);
#endif
    QFETCH(QString, counters);
    QFETCH(bool, skip);

    Lab lab(Lab::AtHomework);
    if (!counters.isEmpty())
        lab.submit("Мама Мыла Раму", counters, skip);
    lab.show();
    QCOMPARE(lab.window.size(), QSize(600, 684));
    const QWidget *tab = child<QWidget>(lab.window, "tab");
    for (const char *name : {"label", "label_2", "label_3", "label_4", "label_6"}) {
        const QLabel *label = child<QLabel>(*tab, name);
        QVERIFY2(textFits(label), name);
        QVERIFY2(tab->rect().contains(label->geometry()), name);
    }
}

// A desktop set to larger type: the prompts take more lines rather than widening the window, and
// the window grows taller rather than cut the notice under them.
void TestMainWidget::promptsWrapInLargerType()
{
#ifdef Q_OS_WIN
    QSKIP(notWindowsFonts);
#endif
    const QFont desktop = QApplication::font();
    const auto restore = qScopeGuard([&desktop] { QApplication::setFont(desktop); });
    QFont larger = desktop;
    larger.setPointSize(12);
    QApplication::setFont(larger);

    Lab lab(Lab::AtHomework);
    lab.show();
    QCOMPARE(lab.window.width(), 600);
    const QWidget *tab = child<QWidget>(lab.window, "tab");
    for (const char *name : {"label", "label_2"}) {
        const QLabel *label = child<QLabel>(*tab, name);
        QVERIFY2(textFits(label), name);
        QVERIFY2(label->height() > label->fontMetrics().lineSpacing(), name);
    }
    QVERIFY(textFits(child<QLabel>(*tab, "label_6")));
}

// The cells the student types the five codes into are in view at the form's size, wide enough
// for the longest of them, without scrolling sideways.
void TestMainWidget::codesInViewAtFormSize()
{
#ifdef Q_OS_WIN
    QSKIP(notWindowsFonts);
#endif
    Lab lab;
    lab.tabs->setCurrentIndex(1);
    lab.show();
    lab.choose("Лена");
    QCoreApplication::processEvents();
    QCOMPARE(lab.window.size(), QSize(600, 684));

    const QList<QString> codes = MainWidgetTestAccess::blockCodes(lab.window);
    QVERIFY(codes.size() > 5);
    int longest = 0;
    for (int row = 0; row < 5; ++row)
        longest = qMax(longest, lab.table->fontMetrics().horizontalAdvance(codes.at(row)));
    const int codeColumn = 3;
    QCOMPARE(lab.table->horizontalScrollBar()->value(), 0);
    const int left = lab.table->columnViewportPosition(codeColumn);
    QVERIFY(left >= 0);
    QVERIFY2(lab.table->viewport()->width() - left >= longest + 8,
        qPrintable(QStringLiteral("%1 of %2 pixels from %3")
                       .arg(lab.table->viewport()->width() - left)
                       .arg(longest + 8)
                       .arg(left)));
    // The columns the student reads keep their contents whole.
    const int rarest = lab.table->rowCount() - 1;
    for (const int column : {1, 2}) {
        const QString text = lab.table->item(rarest, column)->text();
        QVERIFY2(lab.table->fontMetrics().horizontalAdvance(text) < lab.table->columnWidth(column),
            qPrintable(text));
    }
}

// Maximised on a 1280 x 1024 desktop: what the window gains goes to the viewer, the results
// table and the picture panel, every column title is whole and at least 14 rows are in view; the
// handle between the viewer and the table moves the line between them, and a double click puts
// it back. A new plane shows the table from its top.
void TestMainWidget::resultsRoomWhenMaximised()
{
    // The screen less a title bar and a panel.
    const QSize maximised(1280, 1024 - 64);
    Lab atFormSize;
    atFormSize.tabs->setCurrentIndex(1);
    atFormSize.show();
    atFormSize.choose("Лена");
    QCoreApplication::processEvents();

    Lab lab;
    lab.tabs->setCurrentIndex(1);
    lab.window.resize(maximised);
    lab.show();
    lab.choose("Лена");
    QCoreApplication::processEvents();
    QCOMPARE(lab.window.size(), maximised);

    QVERIFY(lab.viewer->height() > atFormSize.viewer->height() + 80);
    QVERIFY(lab.table->height() > atFormSize.table->height() + 120);
    const auto *picturePanel = lab.window.findChild<QWidget *>("groupBox_2");
    QVERIFY(
        picturePanel->width() > atFormSize.window.findChild<QWidget *>("groupBox_2")->width() + 80);

    auto *handle = lab.window.findChild<QWidget *>("roomHandle");
    QVERIFY(handle);
    const int viewerHeight = lab.viewer->height();
    const int tableHeight = lab.table->height();
    QTest::mousePress(handle, Qt::LeftButton, {}, handle->rect().center());
    QTest::mouseMove(handle, handle->rect().center() + QPoint(0, 100));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, handle->rect().center() + QPoint(0, 100));
    QCoreApplication::processEvents();
    QVERIFY2(qAbs(lab.viewer->height() - (viewerHeight + 100)) <= 2,
        qPrintable(QStringLiteral("%1 -> %2").arg(viewerHeight).arg(lab.viewer->height())));
    QVERIFY(qAbs(lab.table->height() - (tableHeight - 100)) <= 2);
    QTest::mouseDClick(handle, Qt::LeftButton, {}, handle->rect().center());
    QCoreApplication::processEvents();
    QCOMPARE(lab.table->height(), tableHeight);

    const QHeaderView *header = lab.table->horizontalHeader();
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int column = 0; column < lab.table->columnCount(); ++column) {
        const QString title = lab.table->horizontalHeaderItem(column)->text();
        const int needed = header->fontMetrics().horizontalAdvance(title) + 2 * margin;
        QVERIFY2(header->sectionSize(column) >= needed, qPrintable(title));
        QVERIFY2(header->sectionViewportPosition(column) + header->sectionSize(column)
                <= lab.table->viewport()->width(),
            qPrintable(title));
    }

    int rowsInView = 0;
    for (int row = 0; row < lab.table->rowCount(); ++row)
        rowsInView += lab.table->viewport()->rect().contains(
            lab.table->visualItemRect(lab.table->item(row, 0)));
    QVERIFY2(rowsInView >= 14, qPrintable(QString::number(rowsInView)));

    lab.table->scrollToBottom();
    lab.dial->setValue(2);
    QCOMPARE(lab.table->verticalScrollBar()->value(), 0);
}

// A window a little wider than the form's: too narrow for the titles on one line, wide enough
// for each of their words, so they wrap onto two lines and every word is whole.
void TestMainWidget::titlesWrapWhenNarrow()
{
#ifdef Q_OS_WIN
    QSKIP(notWindowsFonts);
#endif
    Lab lab;
    lab.tabs->setCurrentIndex(1);
    lab.window.resize(720, 800);
    lab.show();
    lab.choose("Лена");
    QCoreApplication::processEvents();

    const QHeaderView *header = lab.table->horizontalHeader();
    QVERIFY(header->height() >= 2 * header->fontMetrics().lineSpacing());
    QVERIFY(header->defaultAlignment() & Qt::TextWordWrap);
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    int oneLine = 0;
    for (int column = 0; column < lab.table->columnCount(); ++column) {
        const QString title = lab.table->horizontalHeaderItem(column)->text();
        oneLine += header->fontMetrics().horizontalAdvance(title) + 2 * margin;
        for (const QString &word : title.split(QLatin1Char(' ')))
            QVERIFY2(header->fontMetrics().horizontalAdvance(word) < header->sectionSize(column),
                qPrintable(word));
        QVERIFY(header->sectionViewportPosition(column) + header->sectionSize(column)
            <= lab.table->viewport()->width());
    }
    QVERIFY2(oneLine > lab.table->viewport()->width(), "wide enough for one line");
}

QTEST_MAIN(TestMainWidget)
#include "tst_mainwidget.moc"
