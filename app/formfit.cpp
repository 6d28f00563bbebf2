// SPDX-License-Identifier: GPL-3.0-or-later
#include "formfit.h"

#include "resultstable.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTableWidget>
#include <QWidget>

#include <array>

namespace {

constexpr int columns = 5;

// The widths of the columns at the form's size: the code column must be in view there.
std::array<int, columns> narrowWidths(const QTableWidget &results)
{
    // A default section is 100 pixels, and the code column the student types into started
    // beyond the table's right edge. The block pictures, the counts and the probabilities need
    // less: narrowed to what they show, they bring the red cells into view. The titles start at
    // the left, so a title cut short still shows its first letters.
    const QHeaderView *header = results.horizontalHeader();
    const QFontMetrics cells(results.font());
    const QFontMetrics titles(header->font());
    const int padding = 2 * cells.horizontalAdvance(QLatin1Char('0'));
    const int icon = results.style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &results);
    const int sectionSize = header->defaultSectionSize();
    return {qMax(icon, titles.horizontalAdvance(QStringLiteral("тип б"))) + padding,
        // Up to 7 digits: a picture of 64 megapixels has 7.1 million blocks.
        cells.horizontalAdvance(QStringLiteral("0000000")) + padding,
        // QString::number(p, 'g', 6) of the rarest type's probability, as "3.41986e-05".
        cells.horizontalAdvance(QStringLiteral("0.00000e-00")) + padding, sectionSize,
        sectionSize};
}

// Keeps the share of a larger window and the column widths up to date.
class RoomSharing : public QObject
{
public:
    RoomSharing(QWidget &window, QTableWidget &results)
        : QObject(&window)
        , window(window)
        , results(results)
        , formHeight(window.height())
        , formTableHeight(results.maximumHeight())
        , narrow(narrowWidths(results))
    {
        const QHeaderView *header = results.horizontalHeader();
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        const QStringList titles = ResultsTable::columnTitles();
        for (int column = 0; column < columns; ++column) {
            // The style's margins on both sides, and as much again to spare.
            whole[size_t(column)] = qMax(narrow[size_t(column)],
                header->fontMetrics().horizontalAdvance(titles.value(column)) + 4 * margin);
        }
        window.installEventFilter(this);
        results.viewport()->installEventFilter(this);
        shareHeight();
        fitColumns();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize) {
            if (watched == &window)
                shareHeight();
            else
                fitColumns();
        }
        return false;
    }

private:
    void shareHeight()
    {
        // Four fifths to the table: at 1280 x 1024 that shows at least 15 rows, and the plane
        // still grows by the rest.
        const int gained = qMax(0, window.height() - formHeight);
        results.setMaximumHeight(formTableHeight + gained * 4 / 5);
    }

    void fitColumns()
    {
        int wholeWidth = 0;
        for (const int width : whole)
            wholeWidth += width;
        const std::array<int, columns> &widths
            = wholeWidth <= results.viewport()->width() ? whole : narrow;
        for (int column = 0; column < columns; ++column) {
            if (results.columnWidth(column) != widths[size_t(column)])
                results.setColumnWidth(column, widths[size_t(column)]);
        }
    }

    QWidget &window;
    QTableWidget &results;
    const int formHeight;
    const int formTableHeight;
    const std::array<int, columns> narrow;
    std::array<int, columns> whole {};
};

} // namespace

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

    QHeaderView *const header = results.horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const std::array<int, columns> widths = narrowWidths(results);
    for (int column = 0; column < 3; ++column)
        results.setColumnWidth(column, widths[size_t(column)]);

    // Rows as high as a block picture or a line of text needs, not the style's roomy default:
    // more of them in view, the five code cells at once even at the form's size.
    const QFontMetrics cells(results.font());
    const int icon = results.style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &results);
    results.verticalHeader()->setMinimumSectionSize(qMax(icon + 4, cells.height() + 6));
    results.verticalHeader()->setDefaultSectionSize(qMax(icon + 4, cells.height() + 6));
}

void FormFit::shareRoom(QWidget &window, QBoxLayout &column, QWidget &viewer, QLayout &tableRow,
    QTableWidget &results)
{
    // Both grow with the window; the table is held to its share by its maximum height, which a
    // larger window raises, and the plane takes the rest. At the form's size nothing changes.
    QSizePolicy policy = results.sizePolicy();
    policy.setVerticalPolicy(QSizePolicy::Expanding);
    results.setSizePolicy(policy);
    column.setStretchFactor(&viewer, 1);
    column.setStretchFactor(&tableRow, 4);
    new RoomSharing(window, results);
}
