// SPDX-License-Identifier: GPL-3.0-or-later
#include "formfit.h"

#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTableWidget>
#include <QWidget>

void FormFit::apply(QWidget &window, QTableWidget &results)
{
    // The form and its notices are set in 'MS Shell Dlg 2', Windows' alias for Tahoma. Elsewhere
    // the fallback is the desktop's sans serif, DejaVu Sans as a rule, which is as wide as
    // Verdana: the 36 pt notice and the prompts then need 652 pixels, and the prompts, wrapped to
    // fit, leave the notice no room for its last line at 684. DejaVu Sans Condensed comes close to
    // Tahoma's widths (fonts-dejavu-extra; without it the window grows to fit the wider face).
    // Only the family is set: the point size stays the desktop's.
    QFont::insertSubstitutions(QStringLiteral("MS Shell Dlg 2"),
        {QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed")});
    QFont dialogFont;
    dialogFont.setFamilies({QStringLiteral("MS Shell Dlg 2")});
    window.setFont(dialogFont);

    // A default section is 100 pixels, and the code column the student types into started
    // beyond the table's right edge. The block pictures, the counts and the probabilities need
    // less: narrowed to what they show, they bring the red cells into view. The titles start at
    // the left, so a title cut short still shows its first letters.
    QHeaderView *const header = results.horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const QFontMetrics cells(results.font());
    const QFontMetrics titles(header->font());
    const int padding = 2 * cells.horizontalAdvance(QLatin1Char('0'));
    const int icon = results.style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &results);
    results.setColumnWidth(
        0, qMax(icon, titles.horizontalAdvance(QStringLiteral("тип б"))) + padding);
    // Up to 7 digits: a picture of 64 megapixels has 7.1 million blocks.
    results.setColumnWidth(1, cells.horizontalAdvance(QStringLiteral("0000000")) + padding);
    // QString::number(p, 'g', 6) of the rarest type's probability, as "3.41986e-05".
    results.setColumnWidth(2, cells.horizontalAdvance(QStringLiteral("0.00000e-00")) + padding);
}
