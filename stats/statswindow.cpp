#include "stats/statswindow.h"
#include "data/columns.h"
#include "data/datamodule.h"
#include "data/lookups.h"
#include "stats/dbbar.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/records/print/tableprinter.h"
#include "ui/records/recordgrid.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

QString periodClosingLine(const QDateTime& printedAt, const QString& operatorName, const QString& period)
{
    const QString gap(21, QLatin1Char(' '));
    return printTimeText(printedAt) + gap + QStringLiteral("制表:") + operatorName + gap + QStringLiteral("统计时间:") + period
           + QStringLiteral(" .");
}

StatsWindow::StatsWindow(const StatsWindowConfig& config, TDm1* dm, QWidget* owner)
    : ListWindow(config.list, dm, owner), m_stats(config)
{
    setColumns(config.columns);
    if (config.periodLabel) {
        auto* caption = new QLabel(QStringLiteral("统计时间："), this);
        periodLabel = new QLabel(this);
        periodLabel->setObjectName(QStringLiteral("Label2"));
        const int at = buttonBar()->indexOf(returnButton) + 1;
        buttonBar()->insertWidget(at, caption);
        buttonBar()->insertWidget(at + 1, periodLabel);
    }
    if (printButton && (config.printNeedsRows || config.periodLabel)) {
        disconnect(printButton, nullptr, this, nullptr);
        connect(printButton, &QPushButton::clicked, this, &StatsWindow::printClick);
    }
    if (QPushButton* chart = moduleButton(QStringLiteral("图形显示")))
        connect(chart, &QPushButton::clicked, this, &StatsWindow::chartClick);
}

void StatsWindow::setPeriod(const QString& text)
{
    if (periodLabel)
        periodLabel->setText(text);
}

void StatsWindow::onQuery()
{
    auto* d = new CriteriaDialog(m_stats.criteria, dm(), this);
    try {
        Database& db = dm()->ADO_qczl;
        switch (m_stats.lists) {
        case CriteriaLists::None:
            break;
        case CriteriaLists::Customers: {
            const QString table = QStringLiteral("客户登记表"), order = Col::客户号;
            d->customerNoBox->addItems(Lookups::column(db, table, Col::客户号, order));
            d->customerNameBox->addItems(Lookups::column(db, table, Col::客户姓名, order));
            d->customerNoBox->setCurrentIndex(-1);
            d->customerNameBox->setCurrentIndex(-1);
            break;
        }
        case CriteriaLists::Plates:
            d->plateBox->addItems(Lookups::plates(db));
            d->plateBox->setCurrentIndex(-1);
            break;
        }
    } catch (const DbError& e) {
        delete d;
        Msg::error(this, e.text());
        return;
    }
    Modal::exec(d);
    delete d;
}

void StatsWindow::printClick()
{
    if (m_stats.printNeedsRows && (!query()->isOpen() || query()->isEmpty()))
        return;
    if (!periodLabel) {
        onPrint();
        return;
    }
    grid->captureWidths();
    ExportTable t = toExportTable(snapshot());
    t.closingLine = periodClosingLine(t.printedAt, t.operatorName, periodLabel->text());
    printWithPreview(this, t);
}

void StatsWindow::chartClick()
{
    RecordSet& q = *query();
    if (!q.isOpen() || q.isEmpty()) {
        Msg::warn(this, QStringLiteral("没有可以显示的数据!"));
        return;
    }
    TForm_dbbar* chart = nullptr;
    try {
        fillChartTable(dm()->ADO_qczl, q);
        q.first();
        chart = new TForm_dbbar(this, dm());
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
    if (chart) {
        Modal::exec(chart);
        delete chart;
    }
    try {
        RecordSet& change = dm()->q_change;
        change.close();
        change.setSql({QStringLiteral("delete from 图形显示")});
        change.execSql();
        change.close();
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
}
