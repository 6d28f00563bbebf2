// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QBoxLayout;
class QGridLayout;
class QLabel;
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
// to the row of the results table (`tableRow`, both in `column`), three fifths to the table,
// and a handle below the viewer lets the student move the line between them; a quarter of its
// width beyond that size and 200 pixels more goes to the first column of `panels`. The table's
// columns widen to their whole titles where its width allows, on two lines where one is too narrow.
void shareRoom(QWidget &window, QGridLayout &panels, QBoxLayout &column, QWidget &viewer,
    QLayout &tableRow, QTableWidget &results);

// Makes the window taller where the notice under the homework's controls would lose its last
// lines: with a desktop face taller than the form's (DejaVu Sans where its condensed cut is not
// installed).
void keepNoticeWhole(QWidget &window, QLabel &notice);

} // namespace FormFit
