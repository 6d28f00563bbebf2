// SPDX-License-Identifier: GPL-3.0-or-later
#include "contexthelp.h"

#include "helpwindow.h"
#include "im.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QPainter>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

namespace {

// The guide's section (its heading's anchor) for each control, by object name or, for the
// self-drawn widgets, by class. Controls inside one of these (a table's cell editor, a tab's
// page) take its section.
struct Section
{
    const char *control;
    const char *anchor;
};

const Section sections[] = {
    // The homework tab.
    {"lineEdit", "как-ввести-ответ"},
    {"nameHint", "как-ввести-ответ"},
    {"lineEdit_2", "длины-кодов-и-счетчики-длин"},
    {"countersHint", "как-ввести-ответ"},
    {"QSwitch", "как-ввести-ответ"},
    {"label_3", "как-ввести-ответ"},
    {"label_4", "как-ввести-ответ"},
    {"pushButton", "как-ввести-ответ"},
    {"label_6", "что-значит-ответ-программы"},
    {"diagnosisLabel", "что-значит-ответ-программы"},
    {"constructionButton", "окно-построение-кода-хаффмана"},
    {"constructionWindow", "окно-построение-кода-хаффмана"},
    {"tab", "домашнее-задание"},
    // The lab tab.
    {"groupBox_2", "выбор-изображения"},
    {"comboBox", "выбор-изображения"},
    {"lineEdit_3", "выбор-изображения"},
    {"pushButton_2", "выбор-изображения"},
    {"label_5", "выбор-изображения"},
    {"colourNotice", "выбор-изображения"},
    {"groupBox", "битовые-плоскости"},
    {"dial", "битовые-плоскости"},
    {"lcdNumber", "битовые-плоскости"},
    {"Im", "битовые-плоскости"},
    {"markedBlocksLabel", "отметка-блоков"},
    {"tableWidget", "таблица-результатов"},
    {"pushButton_3", "проверка-кодов"},
    {"pushButton_4", "энтропия-и-средняя-длина-кода"},
    {"saveResultsButton", "сохранение-результатов"},
    {"textEdit", "отчет"},
    {"tab_2", "лабораторная-работа"},
    // The comparison tab.
    {"tab_3", "сравнение-плоскостей"},
};

QString ownSection(const QWidget *widget)
{
    const QString name = widget->objectName();
    const QLatin1String className(widget->metaObject()->className());
    for (const Section &section : sections) {
        const QLatin1String control(section.control);
        if ((!name.isEmpty() && name == control) || className == control)
            return QString::fromUtf8(section.anchor);
    }
    return {};
}

// Over the empty plane viewer: what to do first. It paints only while the viewer has no picture,
// and lets the mouse through to the viewer.
class ViewerHint : public QWidget
{
public:
    ViewerHint(Im *viewer, QWidget *comboBox)
        : QWidget(viewer)
        , viewer(viewer)
        , comboBox(comboBox)
    {
        setObjectName(QStringLiteral("emptyViewerHint"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

    QString text() const
    {
        return viewer->image().isNull() ? ContextHelp::emptyViewerText(!comboBox->isHidden())
                                        : QString();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const QString shown = text();
        if (shown.isEmpty())
            return;
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        const QRect area = rect().adjusted(24, 24, -24, -24);
        painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, shown);
    }

private:
    Im *viewer;
    QWidget *comboBox;
};

} // namespace

ContextHelp::ContextHelp(QTabWidget *tabs, QWidget *labTab, QWidget *comboBox, Im *viewer,
    std::shared_ptr<const Dialogs> dialogs, QWidget *window)
    : QObject(window)
    , window(window)
    , tabs(tabs)
    , labTab(labTab)
    , comboBox(comboBox)
    , viewer(viewer)
    , dialogs(std::move(dialogs))
{
    // Anywhere in the program: the construction window too, which has no shortcuts of its own.
    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), window);
    f1->setContext(Qt::ApplicationShortcut);
    connect(f1, &QShortcut::activated, this, [this]() {
        // Not over a modal dialog, whose window the guide could not be used beside.
        if (QApplication::activeModalWidget())
            return;
        if (helpWindow && QApplication::activeWindow() == helpWindow)
            return;
        showGuide(contextSection());
    });

    button = new QToolButton(tabs);
    button->setObjectName(QStringLiteral("helpButton"));
    button->setText(QStringLiteral("?"));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    button->setToolTip(QStringLiteral("Справка (F1)"));
    button->setAccessibleName(QStringLiteral("Справка"));
    button->setAccessibleDescription(
        QStringLiteral("Открывает руководство по домашнему и лабораторному заданию"));
    tabs->setCornerWidget(button, Qt::TopRightCorner);
    connect(button, &QToolButton::clicked, this, [this]() { showGuide(tabSection()); });

    labTab->installEventFilter(this);
    followLabTab();

    viewerHint = new ViewerHint(viewer, comboBox);
    viewerHint->setGeometry(viewer->rect());
    viewer->installEventFilter(this);
}

QString ContextHelp::sectionFor(const QWidget *widget)
{
    for (; widget; widget = widget->parentWidget()) {
        const QString anchor = ownSection(widget);
        if (!anchor.isEmpty())
            return anchor;
    }
    return {};
}

QString ContextHelp::tabSection() const
{
    const QString anchor = sectionFor(tabs->currentWidget());
    return anchor.isEmpty() ? QStringLiteral("домашнее-задание") : anchor;
}

QString ContextHelp::contextSection() const
{
    QString anchor = sectionFor(QApplication::focusWidget());
    if (anchor.isEmpty())
        anchor = sectionFor(QApplication::widgetAt(QCursor::pos()));
    return anchor.isEmpty() ? tabSection() : anchor;
}

void ContextHelp::showGuide(const QString &anchor)
{
    if (!helpWindow) {
        // Its own window beside the main one, closed with it.
        helpWindow = new HelpWindow(dialogs, window);
    }
    helpWindow->showSection(anchor);
}

QString ContextHelp::viewerHintText() const
{
    return static_cast<const ViewerHint *>(viewerHint)->text();
}

QString ContextHelp::lockedTabTip()
{
    return QStringLiteral(
        "Вкладка откроется после домашнего задания: на вкладке «Домашнее задание» введите "
        "фамилию, имя, отчество и список счетчиков длин, поставьте переключатель на «ПРОВЕРИТЬ» "
        "и нажмите «Выполнить выбранное действие». Верный ответ откроет встроенные изображения, "
        "а «ПРОПУСТИТЬ» — работу со своим файлом изображения. Справка — F1.");
}

QString ContextHelp::emptyViewerText(bool builtInPictures)
{
    return builtInPictures
        ? QStringLiteral("Сначала выберите изображение в списке слева, в группе «Выбор "
                         "изображения»: «Лена», «Барбара» или «Золотой холм». Здесь появится его "
                         "битовая плоскость с номером из группы «Выбор плоскости». Справка — F1.")
        : QStringLiteral("Сначала нажмите «Обзор» слева, в группе «Выбор изображения», и "
                         "откройте свой файл изображения BMP, JPEG или PNG. Здесь появится его "
                         "битовая плоскость с номером из группы «Выбор плоскости». Справка — F1.");
}

void ContextHelp::followLabTab()
{
    const QString tip = labTab->isEnabled() ? QString() : lockedTabTip();
    for (const char *name : {"tab_2", "tab_3"}) {
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->widget(i)->objectName() == QLatin1String(name))
                tabs->setTabToolTip(i, tip);
        }
    }
}

bool ContextHelp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == labTab && event->type() == QEvent::EnabledChange)
        followLabTab();
    else if (watched == viewer && event->type() == QEvent::Resize)
        viewerHint->setGeometry(viewer->rect());
    return QObject::eventFilter(watched, event);
}
