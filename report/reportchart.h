// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "planesummary.h"

#include <QImage>
#include <QList>

// The comparison chart of the report: H and L of each plane as bars, in bits per block, with the
// 9 bits of an uncoded block as a line; the same picture as the window's comparison tab gives,
// drawn without a widget (the key tool has none) for the page.
class ReportChart
{
public:
    static QImage image(const QList<PlaneFigures> &figures, const QSize &size = QSize(1600, 900));
};
