// SPDX-License-Identifier: GPL-3.0-or-later
#include "qswitch.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

// Mean darkness (0 = white, 255 = black) of a region given in the switch's logical square
// (-501..500 on both axes), as the widget of the given size shows it: in the largest square
// centred in the widget.
double darkness(const QImage &shot, const QRectF &logical)
{
    const int side = qMin(shot.width(), shot.height());
    const QPointF corner((shot.width() - side) / 2, (shot.height() - side) / 2);
    const qreal scale = side / 1002.0;
    const QRect area = QRectF(corner.x() + (logical.left() + 501) * scale,
                           corner.y() + (logical.top() + 501) * scale, logical.width() * scale,
                           logical.height() * scale)
                           .toAlignedRect()
        & shot.rect();
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            sum += 255 - qGray(shot.pixel(x, y));
    return sum / (area.width() * area.height());
}

// The region where the lever's cap lies when it points in `direction` (a unit step).
QRectF capRegion(QPoint direction)
{
    const QPointF centre = QPointF(direction) * 450;
    const QSizeF size = direction.x() ? QSizeF(60, 400) : QSizeF(400, 60);
    return QRectF(centre - QPointF(size.width() / 2, size.height() / 2), size);
}

enum Action { LeftClick, RightClick, MiddleClick, BareRelease, ReturnKey, SpaceKey };

void perform(QSwitch &button, Action action)
{
    switch (action) {
    case LeftClick:
        QTest::mouseClick(&button, Qt::LeftButton);
        break;
    case RightClick:
        QTest::mouseClick(&button, Qt::RightButton);
        break;
    case MiddleClick:
        QTest::mouseClick(&button, Qt::MiddleButton);
        break;
    case BareRelease:
        QTest::mouseRelease(&button, Qt::LeftButton);
        break;
    case ReturnKey:
        QTest::keyClick(&button, Qt::Key_Return);
        break;
    case SpaceKey:
        QTest::keyClick(&button, Qt::Key_Space);
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Action)

class TestQSwitch : public QObject
{
    Q_OBJECT

private slots:
    void userToggles_data();
    void userToggles();
    void ignoredKeys_data();
    void ignoredKeys();
    void slotsAndPropertiesNeverEmit();
    void strongFocus();
    void minimumSize();
    void leverDirection_data();
    void leverDirection();
    void focusFrameOnlyWhenFocused();
    void proportionsKept_data();
    void proportionsKept();
};

void TestQSwitch::userToggles_data()
{
    QTest::addColumn<Action>("action");

    QTest::newRow("left click") << LeftClick;
    QTest::newRow("right click") << RightClick;
    QTest::newRow("middle click") << MiddleClick;
    QTest::newRow("release without press") << BareRelease;
    QTest::newRow("Return") << ReturnKey;
    QTest::newRow("Space") << SpaceKey;
}

void TestQSwitch::userToggles()
{
    QFETCH(Action, action);

    QSwitch button;
    QSignalSpy changed(&button, &QSwitch::valueChanged);
    perform(button, action);
    QCOMPARE(button.value(), true);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.takeFirst().at(0).toBool(), true);

    perform(button, action);
    QCOMPARE(button.value(), false);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.takeFirst().at(0).toBool(), false);
}

void TestQSwitch::ignoredKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("pressOnly");

    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                  << false;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << Qt::KeyboardModifiers() << false;
    QTest::newRow("letter") << int(Qt::Key_A) << Qt::KeyboardModifiers() << false;
    QTest::newRow("arrow") << int(Qt::Key_Up) << Qt::KeyboardModifiers() << false;
    QTest::newRow("Space pressed, not released")
        << int(Qt::Key_Space) << Qt::KeyboardModifiers() << true;
}

void TestQSwitch::ignoredKeys()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, pressOnly);

    QSwitch button;
    QSignalSpy changed(&button, &QSwitch::valueChanged);
    if (pressOnly)
        QTest::keyPress(&button, Qt::Key(key), modifiers);
    else
        QTest::keyClick(&button, Qt::Key(key), modifiers);
    QCOMPARE(button.value(), false);
    QCOMPARE(changed.count(), 0);
}

void TestQSwitch::slotsAndPropertiesNeverEmit()
{
    QSwitch button;
    QCOMPARE(button.type(), QSwitch::Vertical);
    QSignalSpy changed(&button, &QSwitch::valueChanged);

    button.setValue(true);
    QCOMPARE(button.value(), true);
    button.toggleValue();
    QCOMPARE(button.value(), false);
    button.setType(QSwitch::Horizontal);
    QCOMPARE(button.type(), QSwitch::Horizontal);

    // The owner may also go through the meta-object.
    QVERIFY(button.setProperty("value", true));
    QCOMPARE(button.value(), true);
    QVERIFY(button.setProperty("type", QVariant::fromValue(QSwitch::Vertical)));
    QCOMPARE(button.property("type").value<QSwitch::SwitchType>(), QSwitch::Vertical);
    QVERIFY(button.setProperty("type", "Horizontal")); // by key, as style sheets do
    QCOMPARE(button.type(), QSwitch::Horizontal);
    QVERIFY(QMetaObject::invokeMethod(&button, "toggleValue"));
    QCOMPARE(button.value(), false);

    QCOMPARE(changed.count(), 0);
}

void TestQSwitch::strongFocus()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *edit = new QLineEdit(&window);
    auto *button = new QSwitch(&window);
    layout->addWidget(edit);
    layout->addWidget(button);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    edit->setFocus();
    QVERIFY(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key_Tab);
    QVERIFY(button->hasFocus());

    edit->setFocus();
    QVERIFY(!button->hasFocus());
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(button->hasFocus());
}

void TestQSwitch::minimumSize()
{
    QSwitch button;
    button.resize(10, 10);
    QCOMPARE(button.size(), QSize(50, 50));
}

void TestQSwitch::leverDirection_data()
{
    QTest::addColumn<QSwitch::SwitchType>("type");
    QTest::addColumn<bool>("value");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("direction");

    const QPoint down(0, 1), up(0, -1), left(-1, 0), right(1, 0);
    QTest::newRow("vertical false points down")
        << QSwitch::Vertical << false << QSize(120, 120) << down;
    QTest::newRow("vertical true points up") << QSwitch::Vertical << true << QSize(120, 120) << up;
    QTest::newRow("horizontal false points left")
        << QSwitch::Horizontal << false << QSize(120, 120) << left;
    QTest::newRow("horizontal true points right")
        << QSwitch::Horizontal << true << QSize(120, 120) << right;
    QTest::newRow("wide horizontal true points right")
        << QSwitch::Horizontal << true << QSize(200, 100) << right;
    QTest::newRow("tall vertical false points down")
        << QSwitch::Vertical << false << QSize(60, 150) << down;
}

void TestQSwitch::leverDirection()
{
    QFETCH(QSwitch::SwitchType, type);
    QFETCH(bool, value);
    QFETCH(QSize, size);
    QFETCH(QPoint, direction);

    QSwitch button;
    button.resize(size);
    button.setType(type);
    button.setValue(value);
    const QImage shot = button.grab().toImage();
    QCOMPARE(shot.size(), size);

    // The cap is drawn dark-shaded; the opposite side shows only the background.
    const double expected = darkness(shot, capRegion(direction));
    const double opposite = darkness(shot, capRegion(-direction));
    QVERIFY2(expected > opposite + 40,
        qPrintable(QString("cap side %1, opposite %2").arg(expected).arg(opposite)));
}

void TestQSwitch::focusFrameOnlyWhenFocused()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *edit = new QLineEdit(&window);
    auto *button = new QSwitch(&window);
    button->setFixedSize(100, 100);
    layout->addWidget(edit);
    layout->addWidget(button);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    edit->setFocus();
    const QImage unfocused = button->grab().toImage();
    button->setFocus();
    QVERIFY(button->hasFocus());
    const QImage focused = button->grab().toImage();

    int borderChanges = 0;
    int innerChanges = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            if (focused.pixel(x, y) == unfocused.pixel(x, y))
                continue;
            const bool border = x < 2 || y < 2 || x > 97 || y > 97;
            ++(border ? borderChanges : innerChanges);
        }
    // A dotted line along all four edges, nothing else.
    QVERIFY2(borderChanges > 100, qPrintable(QString::number(borderChanges)));
    QCOMPARE(innerChanges, 0);
}

void TestQSwitch::proportionsKept_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("focused");

    QTest::newRow("wide cell") << QSize(300, 100) << false;
    QTest::newRow("tall cell") << QSize(100, 250) << false;
    QTest::newRow("wide cell, focus frame") << QSize(240, 100) << true;
}

// In a cell of any shape the switch is drawn as in a square one, centred, the rest left to the
// background: a wide window no longer stretches it into an ellipse.
void TestQSwitch::proportionsKept()
{
    QFETCH(QSize, size);
    QFETCH(bool, focused);

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *elsewhere = new QLineEdit(&window);
    auto *square = new QSwitch(&window);
    auto *cell = new QSwitch(&window);
    const int side = qMin(size.width(), size.height());
    square->setFixedSize(side, side);
    cell->setFixedSize(size);
    layout->addWidget(elsewhere);
    layout->addWidget(square);
    layout->addWidget(cell);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // Each shot with its own switch focused, or neither.
    elsewhere->setFocus();
    if (focused)
        square->setFocus();
    const QImage squareShot = square->grab().toImage();
    if (focused)
        cell->setFocus();
    const QImage cellShot = cell->grab().toImage();
    const QPoint corner((size.width() - side) / 2, (size.height() - side) / 2);
    QCOMPARE(cellShot.copy(QRect(corner, QSize(side, side))), squareShot);

    // Beside the square only the background shows (the square's antialiased edges may touch
    // the pixels next to it).
    const QRgb background = cellShot.pixel(0, 0);
    const QRect drawn = QRect(corner, QSize(side, side)).adjusted(-1, -1, 1, 1);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            if (!drawn.contains(x, y) && cellShot.pixel(x, y) != background)
                QFAIL(qPrintable(QString("drawn at %1, %2").arg(x).arg(y)));
        }
}

QTEST_MAIN(TestQSwitch)
#include "tst_qswitch.moc"
