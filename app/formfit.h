// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QBoxLayout;
class QLayout;
class QTableWidget;
class QWidget;

// Fits the form's content into its 600 x 684 window on desktops whose fonts are wider than the
// Windows dialog font the form was laid out in, and gives what a larger window gains to the
// plane and the results.
namespace FormFit {

// The window's font family, and the widths of the results table's columns.
void apply(QWidget &window, QTableWidget &results);

// From the window's present (form) size on, its height beyond that size goes to the viewer and
// to the row of the results table (`tableRow`, both in `column`), most of it to the table; the
// table's columns widen to their whole titles where its width allows.
void shareRoom(QWidget &window, QBoxLayout &column, QWidget &viewer, QLayout &tableRow,
    QTableWidget &results);

} // namespace FormFit
