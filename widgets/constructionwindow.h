// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "huffmanconstruction.h"

#include <QImage>
#include <QList>
#include <QWidget>

#include <memory>

class QKeyEvent;
class QLabel;
class QPagedPaintDevice;
class QPushButton;
class QScrollArea;
struct Dialogs;

// "Построение кода Хаффмана": how the lab's code for a name comes about, for the student who has
// got it right. The reduction table (the two nodes each step takes, the new node, how equal
// probabilities were decided), the code tree as the steps merged it, and each character's code
// length and canonical codeword. Printable and savable as a PNG picture.
class ConstructionWindow : public QWidget
{
    Q_OBJECT

public:
    // parent: the window it belongs to; it still opens as a window of its own. Its print and
    // save dialogs, and the message of a failed save, are asked for through dialogs.
    ConstructionWindow(
        const QString &fullName, std::shared_ptr<const Dialogs> dialogs, QWidget *parent = nullptr);

    // Shows the construction for another name.
    void showName(const QString &fullName);
    // Which construction the next showName shows (the lab's floats, or exact fractions), and a
    // line under the title that says where it parts from the other one (none when empty).
    void setConstruction(HuffmanConstruction::Arithmetic arithmetic, const QString &note);
    QString name() const { return fullName; }

    // Everything the window shows below its buttons, whole, however it is scrolled.
    QImage image() const;
    // The same on as many pages as it needs, each part whole on its page.
    void print(QPagedPaintDevice *device) const;

public slots:
    void onPrint();
    void onSave();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildContent();
    // The screen area windows may take (without panels), and the window manager's frame around
    // this window, as far as it is known.
    QRect availableArea() const;
    QMargins frameMargins() const;
    // Over the main window, wholly inside the available area.
    void placeOnScreen();

    QString fullName;
    HuffmanConstruction::Arithmetic arithmetic = HuffmanConstruction::Arithmetic::Float32;
    QString note;
    HuffmanConstruction construction;
    std::shared_ptr<const Dialogs> dialogs;
    QScrollArea *scrollArea = nullptr;
    QWidget *content = nullptr;
    QList<QWidget *> parts; // the blocks of content, in order, kept whole when printed
    bool placed = false; // placed over the main window once; later the student's place stays
};
