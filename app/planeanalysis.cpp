// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwidget.h"

#include "blockmarking.h"
#include "im.h"
#include "labsession.h"
#include "planereport.h"
#include "resultstable.h"
#include "ui_mainwidget.h"

#include <QColor>
#include <QPixmap>
#include <QScrollBar>
#include <QTableWidgetItem>
#include <QTextCursor>
#include <QTextEdit>

#include <utility>

namespace {

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

// The verdict in words, for `codes` checked codes (five, fewer on a plane of few types).
QString verdictText(bool right, int codes)
{
    switch (codes) {
    case 1:
        return right ? QStringLiteral("Код верен") : QStringLiteral("Код неверен");
    case 2:
        return right ? QStringLiteral("Оба кода верны") : QStringLiteral("Есть неверные коды");
    case 3:
        return right ? QStringLiteral("Все три кода верны") : QStringLiteral("Есть неверные коды");
    case 4:
        return right ? QStringLiteral("Все четыре кода верны")
                     : QStringLiteral("Есть неверные коды");
    default:
        return right ? QStringLiteral("Все пять кодов верны")
                     : QStringLiteral("Есть неверные коды");
    }
}

} // namespace

QString MainWidget::noPlaneText(const QString &what) const
{
    const bool builtIn = session->homework().builtInPictures();
    return QStringLiteral("Сначала %1: %2.")
        .arg(builtIn ? QStringLiteral("выберите изображение в списке «Выбор изображения»")
                     : QStringLiteral("откройте изображение кнопкой «Обзор»"),
            what);
}

QString MainWidget::staleVerdictText(const QString &verdict)
{
    return QStringLiteral("Коды изменены после проверки («%1»): нажмите «Проверить коды», чтобы "
                          "проверить их снова")
        .arg(verdict);
}

void MainWidget::analysePlane()
{
    // The loading slots and the dial have the session analyse what they put in view; here the
    // plane in currentImage is analysed as it is, named as the widgets name it.
    if (currentImage.isNull())
        return;
    const QString noPicture = QStringLiteral("выбери изображение");
    const QString shown = ui->comboBox->currentText() == noPicture ? ui->lineEdit_3->text()
                                                                   : ui->comboBox->currentText();
    session->analyseImage(currentImage, shown, ui->lcdNumber->intValue());
}

void MainWidget::showAnalysis(int index)
{
    const AnalysedPlane &analysis = session->analysed().at(index);
    currentImage = analysis.image;
    viewer->setImage(currentImage);
    blockMarking->setPlane(currentImage, analysis.statistics);
    showStatistics(analysis);
}

const QIcon &MainWidget::blockIcon(const BlockType &type)
{
    QIcon &icon = blockIcons[size_t(type.pattern & 511)];
    if (icon.isNull())
        icon = QIcon(QPixmap::fromImage(type.block.toImage()));
    return icon;
}

void MainWidget::showStatistics(const AnalysedPlane &analysis)
{
    const PlaneStatistics &stats = analysis.statistics;
    planeStatistics = stats;
    blockCounts = stats.blockCounts();

    // Where this analysis starts in the report: in view at the top once it is written.
    const int reportStart = ui->textEdit->document()->characterCount();
    if (analysis.plane == 0)
        ui->textEdit->append(PlaneReport::imageParagraph(analysis.picture));
    else
        ui->textEdit->append(PlaneReport::imageParagraph(analysis.picture, analysis.plane));
    ui->textEdit->append(PlaneReport::blockTypesParagraph(blockCounts.size()));

    QTableWidget *const table = ui->tableWidget;
    const QStringList headers = ResultsTable::columnTitles();
    for (int column = 0; column < headers.size(); ++column) {
        QTableWidgetItem *header = table->horizontalHeaderItem(column);
        if (!header) {
            header = new QTableWidgetItem;
            table->setHorizontalHeaderItem(column, header);
        }
        header->setText(headers.at(column));
        // Where the table is narrow the title wraps or is cut: hovering tells it whole.
        header->setToolTip(headers.at(column));
    }

    // Sorting would move rows while they are filled, and the rows must stay in code order.
    const bool wasSorting = table->isSortingEnabled();
    table->setSortingEnabled(false);
    {
        const UpdatesOff quiet(table);
        // The cells are the session's view: filling them is no typing.
        fillingTable = true;
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
            if (row < analysis.hiddenCount()) {
                auto *hidden = new QTableWidgetItem(analysis.typed.value(row));
                hidden->setData(Qt::BackgroundRole, hiddenColour);
                table->setItem(row, CodeColumn, hidden);
            } else {
                table->setItem(row, CodeColumn, result(code));
            }
            const int length = row < stats.lengths.size() ? stats.lengths.at(row).length : 0;
            table->setItem(row, LengthColumn, result(QString::number(length)));
        }
        fillingTable = false;
        showCodeCheck(analysis.verdict);
    }
    table->setSortingEnabled(wasSorting);
    table->scrollToTop(); // a new plane starts at its five hidden codes

    ui->textEdit->append(PlaneReport::summaryParagraph(stats));
    showReportFrom(reportStart);
}

void MainWidget::showReportFrom(int position)
{
    // The analysis' first line at the top of the pane (or the pane at its end when the rest is
    // shorter); the student's own cursor stays where it was.
    QTextEdit *const report = ui->textEdit;
    QTextCursor start(report->document());
    start.setPosition(qMin(position, report->document()->characterCount() - 1));
    QScrollBar *const bar = report->verticalScrollBar();
    bar->setValue(bar->value() + report->cursorRect(start).top());
}

void MainWidget::onCheck(bool)
{
    // Only a plane the session analysed is judged, never cells put there otherwise.
    if (blockCodes.isEmpty() || !session->currentPlane()) {
        codeCheckLine->setText(noPlaneText(QStringLiteral("проверять пока нечего")));
        codeCheckLine->setStyleSheet(QString());
        return;
    }
    session->check();
}

void MainWidget::showCodeCheck(std::optional<bool> right)
{
    QTableWidget *const table = ui->tableWidget;
    const int rows = int(qMin<qsizetype>(
        qMin<qsizetype>(ResultsTable::hiddenRows, blockCodes.size()), table->rowCount()));
    // A code edited since the check: the verdict no longer holds, and the cells say nothing.
    const AnalysedPlane *plane = session->currentPlane();
    const bool stale = right && plane && !plane->verdictIsCurrent();
    if (right) {
        const bool filling = std::exchange(fillingTable, true);
        for (int row = 0; row < rows; ++row) {
            if (QTableWidgetItem *cell = table->item(row, CodeColumn)) {
                cell->setData(Qt::BackgroundRole,
                    stale        ? hiddenColour
                        : *right ? rightColour
                                 : wrongColour);
            }
        }
        fillingTable = filling;
    }
    if (stale) {
        codeCheckLine->setText(staleVerdictText(verdictText(*right, rows)));
        codeCheckLine->setStyleSheet(QString());
        return;
    }
    // The same verdict in words, for those who cannot tell the two colours apart. Like the
    // colours, it does not say which code is wrong.
    codeCheckLine->setText(right ? verdictText(*right, rows) : QString());
    codeCheckLine->setStyleSheet(!right ? QString()
            : *right                    ? QStringLiteral("color: #2e7d32;")
                                        : QStringLiteral("color: #d00000;"));
}

void MainWidget::onCodeEdited(QTableWidgetItem *item)
{
    if (fillingTable || item->column() != CodeColumn)
        return;
    session->setTyped(item->row(), item->data(Qt::DisplayRole).toString());
}

void MainWidget::onGetScroll(bool)
{
    // The lines come from the probabilities themselves, written out in plain decimals: the
    // table's 'g' texts of small values are in exponent form and 1 has no point at all.
    const qsizetype rows
        = qMin<qsizetype>(ui->tableWidget->rowCount(), planeStatistics.probabilities.size());
    if (rows == 0) {
        codeCheckLine->setText(noPlaneText(QStringLiteral("выводить для расчета энтропии пока "
                                                          "нечего")));
        codeCheckLine->setStyleSheet(QString());
        return;
    }
    for (qsizetype row = 0; row < rows; ++row)
        ui->textEdit->append(PlaneReport::entropyLine(planeStatistics.probabilities.at(row)));
}
