#include "sheetimport/importwindow.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "ui/common/messages.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
// Refused rows named in the message box before "……"; the grid shows them all.
constexpr int ListedRefusals = 10;
}  // namespace

SpreadsheetImportWindow::SpreadsheetImportWindow(QWidget* owner, TDm1* dm) : QDialog(owner), m_dm(dm)
{
    setObjectName(QStringLiteral("SpreadsheetImportWindow"));
    setWindowTitle(QStringLiteral("从表格导入车辆和客户"));

    fileEdit = new QLineEdit(this);
    fileEdit->setObjectName(QStringLiteral("FileEdit"));
    fileEdit->setReadOnly(true);
    chooseButton = new QPushButton(QStringLiteral("选择文件 (&F)"), this);
    chooseButton->setObjectName(QStringLiteral("ChooseButton"));
    tableBox = new QComboBox(this);
    tableBox->setObjectName(QStringLiteral("TableBox"));
    tableBox->addItems({QStringLiteral("汽车档案"), QStringLiteral("客户登记表")});
    sheetBox = new QComboBox(this);
    sheetBox->setObjectName(QStringLiteral("SheetBox"));
    summaryLabel = new QLabel(QStringLiteral("请选择要导入的表格文件(.xlsx、.xls或.csv),第一行为列名。"), this);
    summaryLabel->setObjectName(QStringLiteral("SummaryLabel"));
    summaryLabel->setWordWrap(true);
    previewGrid = new QTableWidget(this);
    previewGrid->setObjectName(QStringLiteral("DBGridEh1"));
    previewGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    previewGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    previewGrid->verticalHeader()->setVisible(false);
    previewGrid->setMinimumSize(720, 360);
    importButton = new QPushButton(QStringLiteral("导入 (&I)"), this);
    importButton->setObjectName(QStringLiteral("ImportButton"));
    closeButton = new QPushButton(QStringLiteral("返回 (&R)"), this);
    closeButton->setObjectName(QStringLiteral("CloseButton"));
    for (QPushButton* b : {chooseButton, importButton, closeButton})
        b->setAutoDefault(false);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileEdit, 1);
    fileRow->addWidget(chooseButton);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("文件："), fileRow);
    form->addRow(QStringLiteral("导入到："), tableBox);
    form->addRow(QStringLiteral("工作表："), sheetBox);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(importButton);
    buttons->addWidget(closeButton);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(form);
    outer->addWidget(summaryLabel);
    outer->addWidget(previewGrid, 1);
    outer->addLayout(buttons);

    connect(chooseButton, &QPushButton::clicked, this, &SpreadsheetImportWindow::chooseFile);
    connect(tableBox, &QComboBox::currentIndexChanged, this, &SpreadsheetImportWindow::tableChosen);
    connect(sheetBox, &QComboBox::currentIndexChanged, this, &SpreadsheetImportWindow::preview);
    connect(importButton, &QPushButton::clicked, this, &SpreadsheetImportWindow::importRows);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

SheetImport::Target SpreadsheetImportWindow::target() const
{
    return tableBox->currentIndex() == 1 ? SheetImport::customerTarget() : SheetImport::vehicleTarget();
}

void SpreadsheetImportWindow::chooseFile()
{
    const QString path = FileDialogs::getOpenFileName(this, QStringLiteral("选择要导入的表格"), QDir::currentPath(),
                                                      {QStringLiteral("表格文件 (*.xlsx *.xls *.csv)"),
                                                       QStringLiteral("Excel工作簿 (*.xlsx)"),
                                                       QStringLiteral("Excel 97-2003工作簿 (*.xls)"),
                                                       QStringLiteral("CSV文件 (*.csv)")});
    if (!path.isEmpty())
        openFile(path);
}

void SpreadsheetImportWindow::openFile(const QString& path)
{
    QVector<SheetImport::Sheet> sheets;
    try {
        sheets = SheetImport::readFile(path);
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return;
    }
    m_sheets = sheets;
    fileEdit->setText(QDir::toNativeSeparators(path));
    const QSignalBlocker block(sheetBox);
    sheetBox->clear();
    for (const SheetImport::Sheet& s : m_sheets)
        sheetBox->addItem(s.name);
    tableChosen();
}

void SpreadsheetImportWindow::tableChosen()
{
    if (m_sheets.isEmpty())
        return;
    // The sheet named as the table, when the workbook has one; else the first.
    {
        const QSignalBlocker block(sheetBox);
        sheetBox->setCurrentIndex(SheetImport::sheetFor(m_sheets, tableBox->currentText()));
    }
    preview();
}

void SpreadsheetImportWindow::preview()
{
    m_plan = {};
    const int s = sheetBox->currentIndex();
    if (s >= 0 && s < m_sheets.size()) {
        try {
            m_plan = SheetImport::plan(m_dm->ADO_qczl, target(), m_sheets.at(s));
        } catch (const DbError& e) {
            m_plan = {};
            showPlan();
            Msg::error(this, e.text());
            return;
        }
    }
    showPlan();
}

void SpreadsheetImportWindow::showPlan()
{
    previewGrid->clear();
    previewGrid->setRowCount(0);
    QStringList titles{QStringLiteral("行号"), QStringLiteral("结果")};
    titles += m_plan.columns;
    previewGrid->setColumnCount(int(titles.size()));
    previewGrid->setHorizontalHeaderLabels(titles);
    previewGrid->setRowCount(int(m_plan.rows.size()));
    for (int r = 0; r < m_plan.rows.size(); ++r) {
        const SheetImport::PlannedRow& row = m_plan.rows.at(r);
        auto* line = new QTableWidgetItem(QString::number(row.line));
        line->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        previewGrid->setItem(r, 0, line);
        auto* fate = new QTableWidgetItem(row.fate());
        if (!row.refusals.isEmpty())
            fate->setForeground(Qt::red);
        previewGrid->setItem(r, 1, fate);
        for (int c = 0; c < row.cells.size(); ++c)
            previewGrid->setItem(r, c + 2, new QTableWidgetItem(row.cells.at(c)));
    }
    previewGrid->resizeColumnsToContents();

    QString summary;
    if (!m_plan.problem.isEmpty()) {
        summary = m_plan.problem;
    } else if (!m_plan.rows.isEmpty()) {
        const int refused = m_plan.refusedCount();
        summary =
            QStringLiteral("共%1行,可导入%2行,不能导入%3行。").arg(m_plan.rows.size()).arg(m_plan.rows.size() - refused).arg(refused);
        if (refused > 0)
            summary += QStringLiteral("有不能导入的行时不导入任何数据,请改正表格后重新选择文件。");
    }
    if (!m_plan.ignored.isEmpty())
        summary += QStringLiteral("\n未识别的列(不导入)：") + m_plan.ignored.join(QStringLiteral("、"));
    if (!summary.isEmpty())
        summaryLabel->setText(summary);
}

bool SpreadsheetImportWindow::importRows()
{
    if (m_sheets.isEmpty()) {
        Msg::warn(this, QStringLiteral("请先选择要导入的表格文件!"));
        return false;
    }
    if (!m_plan.problem.isEmpty()) {
        Msg::warn(this, m_plan.problem);
        return false;
    }
    if (const int refused = m_plan.refusedCount()) {
        QStringList lines = m_plan.refusalLines();
        if (lines.size() > ListedRefusals) {
            lines = lines.mid(0, ListedRefusals);
            lines << QStringLiteral("……");
        }
        Msg::warn(this, QStringLiteral("有%1行不能导入,没有导入任何数据,请改正表格后重新导入!\n").arg(refused) + lines.join(u'\n'));
        return false;
    }
    const QString table = m_plan.table;
    if (!Msg::confirm(this, QStringLiteral("将%1行导入%2,是否继续?").arg(m_plan.rows.size()).arg(table)))
        return false;
    int written = 0;
    try {
        written = SheetImport::write(m_dm->ADO_qczl, target(), m_plan);
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        preview();
        return false;
    }
    // The preview read again: the rows now stand in the table.
    preview();
    summaryLabel->setText(QStringLiteral("已导入%1行到%2。").arg(written).arg(table));
    Msg::warn(this, QStringLiteral("导入完毕,共导入%1行到%2!").arg(written).arg(table));
    return true;
}
