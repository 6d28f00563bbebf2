// SPDX-License-Identifier: GPL-3.0-or-later
#include "formfit.h"

#include "resultstable.h"
#include "roomhandle.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
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
    // the left and wrap onto a second line, so a title cut short still shows its first words;
    // each section tells its whole title on hover.
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

// The widest word of a title: the least width it shows whole in when wrapped.
int widestWord(const QFontMetrics &metrics, const QString &title)
{
    int widest = 0;
    for (const QString &word : title.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        widest = qMax(widest, metrics.horizontalAdvance(word));
    return widest;
}

// Keeps the share of a larger window and the column widths up to date: the height the window
// gains beyond the form's goes three fifths to the table (14 rows in view at 1280 x 1024) and
// the rest to the plane, until the student moves the handle between them; of the width it gains
// beyond 200 pixels, a quarter goes to the picture panel.
class RoomSharing : public QObject
{
public:
    RoomSharing(QWidget &window, QGridLayout &panels, QWidget &viewer, RoomHandle &handle,
        QTableWidget &results)
        : QObject(&window)
        , window(window)
        , panels(panels)
        , viewer(viewer)
        , results(results)
        , formSize(window.size())
        , formTableHeight(results.maximumHeight())
        , narrow(narrowWidths(results))
    {
        const QHeaderView *header = results.horizontalHeader();
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        const QStringList titles = ResultsTable::columnTitles();
        const QFontMetrics metrics = header->fontMetrics();
        // The codes column keeps room for ten digits and the lengths for two; the other columns
        // their narrow widths, which fit what they show.
        const QFontMetrics cells(results.font());
        const int padding = 2 * cells.horizontalAdvance(QLatin1Char('0'));
        const std::array<int, columns> least = {narrow[0], narrow[1], narrow[2],
            cells.horizontalAdvance(QStringLiteral("0000000000")) + padding,
            cells.horizontalAdvance(QStringLiteral("00")) + padding};
        for (int column = 0; column < columns; ++column) {
            // The style's margins on both sides, and as much again to spare.
            const size_t at = size_t(column);
            const QString title = titles.value(column);
            whole[at] = qMax(narrow[at], metrics.horizontalAdvance(title) + 4 * margin);
            words[at] = qMax(least[at], widestWord(metrics, title) + 4 * margin);
        }
        twoLines = 2 * metrics.lineSpacing() + 2 * margin;
        connect(&handle, &RoomHandle::dragged, this, &RoomSharing::moveHandle);
        connect(&handle, &RoomHandle::resetRequested, this, [this] {
            studentShift = 0;
            shareHeight();
        });
        window.installEventFilter(this);
        results.viewport()->installEventFilter(this);
        shareHeight();
        fitColumns();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize) {
            if (watched == &window) {
                shareHeight();
                shareWidth();
            } else {
                fitColumns();
            }
        }
        return false;
    }

private:
    int defaultTableHeight() const
    {
        return formTableHeight + qMax(0, window.height() - formSize.height()) * 3 / 5;
    }

    void shareHeight()
    {
        results.setMaximumHeight(qMax(smallestTable(), defaultTableHeight() + studentShift));
    }

    // The handle moved `pixels` down: the plane grows by them and the table shrinks, within what
    // each needs to stay of use.
    void moveHandle(int pixels)
    {
        const int both = viewer.height() + results.height();
        const int wanted = qBound(
            smallestTable(), results.height() - pixels, both - viewer.minimumSizeHint().height());
        studentShift = wanted - defaultTableHeight();
        shareHeight();
    }

    // The titles and two rows.
    int smallestTable() const
    {
        return results.horizontalHeader()->height()
            + 2 * results.verticalHeader()->defaultSectionSize() + 2 * results.frameWidth();
    }

    void shareWidth()
    {
        // The first 200 pixels go to the table, which then shows its titles whole.
        constexpr int tableFirst = 200;
        const int gained = qMax(0, window.width() - formSize.width());
        int panel = 0;
        if (gained > 0) {
            for (int row = 0; row < panels.rowCount(); ++row) {
                if (const QLayoutItem *item = panels.itemAtPosition(row, 0))
                    panel = qMax(panel, item->sizeHint().width());
            }
            panel += qMax(0, gained - tableFirst) / 4;
        }
        panels.setColumnMinimumWidth(0, panel);
    }

    void fitColumns()
    {
        // Whole titles on one line where the table is wide enough, else wrapped at their spaces
        // onto two; where even their widest words do not fit, the code column is kept in view.
        const int room = results.viewport()->width();
        const auto sum = [](const std::array<int, columns> &widths) {
            int total = 0;
            for (const int width : widths)
                total += width;
            return total;
        };
        const std::array<int, columns> &widths
            = sum(whole) <= room ? whole : (sum(words) <= room ? words : narrow);
        for (int column = 0; column < columns; ++column) {
            if (results.columnWidth(column) != widths[size_t(column)])
                results.setColumnWidth(column, widths[size_t(column)]);
        }
        QHeaderView *const header = results.horizontalHeader();
        // The narrow columns stay on one line: a second would cost the fifth code row its room.
        const bool wrapped = &widths == &words;
        const Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter
            | (wrapped ? Qt::Alignment(Qt::TextWordWrap) : Qt::Alignment());
        if (header->defaultAlignment() != alignment)
            header->setDefaultAlignment(alignment);
        const int height = wrapped ? twoLines : 0;
        if (header->minimumHeight() != height)
            header->setMinimumHeight(height);
    }

    QWidget &window;
    QGridLayout &panels;
    QWidget &viewer;
    QTableWidget &results;
    const QSize formSize;
    const int formTableHeight;
    const std::array<int, columns> narrow;
    std::array<int, columns> whole {};
    std::array<int, columns> words {};
    int twoLines = 0;
    // How far the student moved the table's height from its share, in pixels.
    int studentShift = 0;
};

// Grows the window when its notice (the homework's verdict) is squeezed below its text's height:
// QTabWidget counts less than its frame takes, so a face a little taller than Tahoma's cuts the
// notice's last line even though the window's minimum is kept.
class NoticeRoom : public QObject
{
public:
    NoticeRoom(QWidget &window, QLabel &notice)
        : QObject(&notice)
        , window(window)
        , notice(notice)
    {
        notice.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Resize && notice.isVisible()
            && !(window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
            const int missing = notice.minimumSizeHint().height() - notice.height();
            if (missing > 0) {
                window.setMinimumHeight(window.height() + missing);
                window.resize(window.width(), window.height() + missing);
            }
        }
        return false;
    }

private:
    QWidget &window;
    QLabel &notice;
};

} // namespace

void FormFit::keepNoticeWhole(QWidget &window, QLabel &notice)
{
    new NoticeRoom(window, notice);
}

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
    header->setTextElideMode(Qt::ElideNone);
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

void FormFit::shareRoom(QWidget &window, QGridLayout &panels, QBoxLayout &column, QWidget &viewer,
    QLayout &tableRow, QTableWidget &results)
{
    // Both grow with the window; the table is held to its share by its maximum height, which a
    // larger window or the handle between them raises, and the plane takes the rest. At the
    // form's size nothing changes.
    QSizePolicy policy = results.sizePolicy();
    policy.setVerticalPolicy(QSizePolicy::Expanding);
    results.setSizePolicy(policy);
    auto *const handle = new RoomHandle(viewer.parentWidget());
    column.insertWidget(column.indexOf(&viewer) + 1, handle);
    column.setStretchFactor(&viewer, 1);
    column.setStretchFactor(&tableRow, 1000);
    new RoomSharing(window, panels, viewer, *handle, results);
}
