// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QTableWidget;
class QWidget;

// Fits the form's content into its 600 x 684 window on desktops whose fonts are wider than the
// Windows dialog font the form was laid out in.
namespace FormFit {

// The window's font family, and the widths of the results table's columns.
void apply(QWidget &window, QTableWidget &results);

} // namespace FormFit
