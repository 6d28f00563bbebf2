// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwidget.h"

#include "blockmarking.h"
#include "planereport.h"
#include "resultsexport.h"
#include "resultstable.h"
#include "ui_mainwidget.h"

#include <QColor>
#include <QPixmap>
#include <QTableWidgetItem>

#include <utility>

namespace {

constexpr int hiddenCodes = ResultsTable::hiddenRows; // the codes the student works out
const QColor hiddenColour = QColor::fromRgba(0xffff0000);
const QColor rightColour = QColor::fromRgba(0xff55aa7f);
const QColor wrongColour = QColor::fromRgba(0xffff0000);

enum Column { BlockColumn, CountColumn, ProbabilityColumn, CodeColumn, LengthColumn };

// Switches a widget's updates off for one scope and restores what it had.
class UpdatesOff
{
public:
    explicit UpdatesOff(QWidget *widget)
        : widget(widget)
        , wasEnabled(widget->updatesEnabled())
    {
        widget->setUpdatesEnabled(false);
    }
    ~UpdatesOff() { widget->setUpdatesEnabled(wasEnabled); }
    UpdatesOff(const UpdatesOff &) = delete;
    UpdatesOff &operator=(const UpdatesOff &) = delete;

private:
    QWidget *const widget;
    const bool wasEnabled;
};

// A cell the analysis computed: the student reads it but cannot overwrite it by a stray key.
// Only the hidden code cells take input.
QTableWidgetItem *result(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

} // namespace

void MainWidget::analysePlane()
{
    const std::optional<ReportedPicture> picture = std::exchange(reportedPicture, std::nullopt);
    if (currentImage.isNull())
        return;
    const PlaneStatistics stats = PlaneStatistics::of(currentImage);
    blockMarking->setPlane(currentImage, stats);
    showStatistics(stats, picture);
    // The saved files are named as the report names what they hold.
    const ReportedPicture named = reportedAs(picture);
    resultsExport->analysed(
        planeStatistics, currentImage, named.name, named.whole ? 0 : ui->lcdNumber->intValue());
}

MainWidget::ReportedPicture MainWidget::reportedAs(
    const std::optional<ReportedPicture> &picture) const
{
    if (picture)
        return *picture;
    const QString noPicture = QStringLiteral("выбери изображение");
    const QString shown = ui->comboBox->currentText() == noPicture ? ui->lineEdit_3->text()
                                                                   : ui->comboBox->currentText();
    return {shown, false};
}

const QIcon &MainWidget::blockIcon(const BlockType &type)
{
    QIcon &icon = blockIcons[size_t(type.pattern & 511)];
    if (icon.isNull())
        icon = QIcon(QPixmap::fromImage(type.block.toImage()));
    return icon;
}

void MainWidget::showStatistics(
    const PlaneStatistics &stats, const std::optional<ReportedPicture> &picture)
{
    planeStatistics = stats;
    blockCounts = stats.blockCounts();

    const ReportedPicture named = reportedAs(picture);
    if (named.whole)
        ui->textEdit->append(PlaneReport::imageParagraph(named.name));
    else
        ui->textEdit->append(PlaneReport::imageParagraph(named.name, ui->lcdNumber->value()));
    ui->textEdit->append(PlaneReport::blockTypesParagraph(blockCounts.size()));

    QTableWidget *const table = ui->tableWidget;
    const QStringList headers = ResultsTable::columnTitles();
    for (int column = 0; column < headers.size(); ++column) {
        if (QTableWidgetItem *header = table->horizontalHeaderItem(column))
            header->setText(headers.at(column));
        else
            table->setHorizontalHeaderItem(column, new QTableWidgetItem(headers.at(column)));
    }

    // Sorting would move rows while they are filled, and the rows must stay in code order.
    const bool wasSorting = table->isSortingEnabled();
    table->setSortingEnabled(false);
    {
        const UpdatesOff quiet(table);
        typedCodes.keep(*table, hiddenCodes, CodeColumn);
        const int rows = int(stats.types.size());
        table->setRowCount(rows);
        blockCodes.clear();
        blockCodes.reserve(rows);
        for (int row = 0; row < rows; ++row) {
            const BlockType &type = stats.types.at(row);
            QTableWidgetItem *icon = result(QString());
            icon->setData(Qt::DecorationRole, blockIcon(type));
            table->setItem(row, BlockColumn, icon);
            table->setItem(row, CountColumn, result(QString::number(type.count)));
            table->setItem(row, ProbabilityColumn,
                result(PlaneReport::probabilityText(stats.probabilities.at(row))));

            const QString code = stats.codes.value(row);
            blockCodes.append(code);
            if (row < hiddenCodes) {
                auto *hidden = new QTableWidgetItem(QString());
                hidden->setData(Qt::BackgroundRole, hiddenColour);
                table->setItem(row, CodeColumn, hidden);
            } else {
                table->setItem(row, CodeColumn, result(code));
            }
            const int length = row < stats.lengths.size() ? stats.lengths.at(row).length : 0;
            table->setItem(row, LengthColumn, result(QString::number(length)));
        }
        std::optional<TypedCodes::Plane> shown;
        if (picture)
            shown = {picture->name, picture->whole ? TypedCodes::wholePicture : planeIndex};
        showCodeCheck(typedCodes.restore(*table, hiddenCodes, CodeColumn, shown));
    }
    table->setSortingEnabled(wasSorting);
    table->scrollToTop(); // a new plane starts at its five hidden codes

    ui->textEdit->append(PlaneReport::summaryParagraph(stats));
}

void MainWidget::onCheck(bool)
{
    if (blockCodes.isEmpty())
        return;
    QTableWidget *const table = ui->tableWidget;
    // A plane with fewer than five block types has fewer hidden cells; only those are checked.
    const int rows
        = int(qMin<qsizetype>(qMin<qsizetype>(hiddenCodes, blockCodes.size()), table->rowCount()));
    bool right = true;
    for (int row = 0; row < rows && right; ++row) {
        const QTableWidgetItem *cell = table->item(row, CodeColumn);
        const QString typed = cell ? cell->data(Qt::DisplayRole).toString() : QString();
        right = typed == blockCodes.at(row);
    }
    typedCodes.checked(right);
    showCodeCheck(right);
}

void MainWidget::showCodeCheck(std::optional<bool> right)
{
    QTableWidget *const table = ui->tableWidget;
    const int rows
        = int(qMin<qsizetype>(qMin<qsizetype>(hiddenCodes, blockCodes.size()), table->rowCount()));
    if (right) {
        for (int row = 0; row < rows; ++row) {
            if (QTableWidgetItem *cell = table->item(row, CodeColumn))
                cell->setData(Qt::BackgroundRole, *right ? rightColour : wrongColour);
        }
    }
    // The same verdict in words, for those who cannot tell the two colours apart. Like the
    // colours, it does not say which code is wrong.
    codeCheckLine->setText(right ? TypedCodes::verdictText(*right, rows) : QString());
    codeCheckLine->setStyleSheet(!right ? QString()
            : *right ? QStringLiteral("color: #2e7d32;")
                     : QStringLiteral("color: #d00000;"));
}

void MainWidget::onGetScroll(bool)
{
    // The lines come from the probabilities themselves, written out in plain decimals: the
    // table's 'g' texts of small values are in exponent form and 1 has no point at all.
    const qsizetype rows
        = qMin<qsizetype>(ui->tableWidget->rowCount(), planeStatistics.probabilities.size());
    for (qsizetype row = 0; row < rows; ++row)
        ui->textEdit->append(PlaneReport::entropyLine(planeStatistics.probabilities.at(row)));
}
