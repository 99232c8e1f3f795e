#include "app/manualpictures.h"
#include "app/mainform.h"
#include "app/shell.h"
#include "core/clock.h"
#include "data/columns.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "stats/criteria.h"
#include "ui/records/listwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHash>
#include <QPushButton>
#include <algorithm>

namespace {

// An 8-bit palette of the picture's most frequent colours. A window is mostly flat areas, so the
// rarer shades of smoothed text fall on their nearest neighbour unseen, and the file is a fraction
// of its true-colour size.
QImage toPalette(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, qint64> counts;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            ++counts[line[x]];
    }
    QVector<std::pair<qint64, QRgb>> byCount;
    byCount.reserve(counts.size());
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        byCount.push_back({it.value(), it.key()});
    std::sort(byCount.begin(), byCount.end(), std::greater<>());
    QVector<QRgb> palette;
    for (int i = 0; i < byCount.size() && i < 256; ++i)
        palette << byCount[i].second;
    QHash<QRgb, uchar> index;
    const auto indexOf = [&](QRgb c) {
        const auto found = index.constFind(c);
        if (found != index.cend())
            return *found;
        int best = 0;
        int bestDistance = INT_MAX;
        for (int i = 0; i < palette.size(); ++i) {
            const int r = qRed(c) - qRed(palette[i]), g = qGreen(c) - qGreen(palette[i]), b = qBlue(c) - qBlue(palette[i]);
            const int distance = r * r + g * g + b * b;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        index.insert(c, uchar(best));
        return uchar(best);
    };
    QImage out(rgb.size(), QImage::Format_Indexed8);
    out.setColorTable(palette);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* target = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            target[x] = indexOf(line[x]);
    }
    return out;
}

void click(QWidget* window, const char* objectName)
{
    if (auto* b = window->findChild<QPushButton*>(QString::fromLatin1(objectName)); b && b->isEnabled())
        b->click();
}

QString classOf(const QDialog* window)
{
    // Configured windows carry the class they stand for; others are their own class.
    const QVariant cls = window->property("windowClass");
    return cls.isValid() ? cls.toString() : QString::fromLatin1(window->metaObject()->className());
}

}  // namespace

ManualPictures::ManualPictures(const QString& dir) : m_dir(dir)
{
    QDir().mkpath(dir);
}

void ManualPictures::save(const QImage& picture, const QString& name)
{
    const QString file = m_dir.filePath(name + QStringLiteral(".png"));
    if (toPalette(picture).save(file))
        m_saved << QFileInfo(file).fileName();
    else
        m_problems << file;
}

void ManualPictures::grab(QDialog* window, const QString& name)
{
    QApplication::processEvents();
    save(Shell::framed(window), name);
}

// The list's last row the test accepts (the last row when none does), opened by the list's edit
// button as the clerk opens it.
void ManualPictures::openRow(QDialog* list, const std::function<bool(const RecordSet&)>& wanted)
{
    auto* w = qobject_cast<ListWindow*>(list);
    if (!w || !w->query() || w->query()->recordCount() == 0) {
        m_problems << classOf(list) + QStringLiteral(": no rows");
        return;
    }
    RecordSet* q = w->query();
    q->last();
    while (!wanted(*q) && q->currentRow() > 0)
        q->prior();
    if (!wanted(*q))
        q->last();
    if (w->editButton)
        w->editButton->click();
}

bool ManualPictures::take(TForm_main& main)
{
    m_taking = true;
    const int before = m_saved.size();
    // 汽车租赁登记表 → the contract dialog and its 交车检查; 汽车租赁结算 → the settlement dialog; 收入统计汇总(按月份)
    // → its result and the bar chart; 提醒功能; 数据备份; 操作员及权限 → one operator's rights.
    for (const char* command : {"N14", "N16", "N35", "N45", "N6", "N2"})
        main.runCommand(QString::fromLatin1(command));
    m_taking = false;
    const QStringList wanted{QStringLiteral("contract.png"),   QStringLiteral("dispatchcheck.png"), QStringLiteral("settlement.png"),
                             QStringLiteral("statistics.png"), QStringLiteral("chart.png"),         QStringLiteral("reminders.png"),
                             QStringLiteral("backup.png"),     QStringLiteral("operator.png")};
    for (const QString& name : wanted)
        if (!m_saved.mid(before).contains(name))
            m_problems << name;
    return m_problems.isEmpty();
}

bool ManualPictures::handle(QDialog* window)
{
    if (!m_taking)
        return false;
    const QString cls = classOf(window);
    QApplication::processEvents();
    if (cls == QLatin1String("TForm_qczlb")) {
        // The newest contract still out: the dialog as a dispatch leaves it.
        openRow(window, [](const RecordSet& q) { return q.asString(Col::客户交车).trimmed() == QStringLiteral("没有"); });
    } else if (cls == QLatin1String("TForm_qczlb_edit")) {
        grab(window, QStringLiteral("contract"));
        click(window, "DispatchHandover");  // 交车检查: the sheet of that dispatch
    } else if (cls == QLatin1String("HandoverDialog")) {
        grab(window, QStringLiteral("dispatchcheck"));
    } else if (cls == QLatin1String("TForm_qczljsd")) {
        // The newest contract back by now and not yet settled, calculated (计算) and given up (取消).
        openRow(window, [](const RecordSet& q) {
            return q.asString(Col::客户交车).trimmed() == QStringLiteral("已交") && q.asDateTime(Col::收车日期) <= Clock::now();
        });
    } else if (cls == QLatin1String("TForm_qczljsd_edit")) {
        click(window, "SpeedButton1");
        grab(window, QStringLiteral("settlement"));
        click(window, "bitbtn_cancel");
    } else if (cls == QLatin1String("TForm_qczlsrtj_yf")) {
        window->resize(900, 480);
        click(window, "SpeedButton5");  // 统计
        grab(window, QStringLiteral("statistics"));
        if (auto* list = qobject_cast<ListWindow*>(window); list && list->moduleButton(QStringLiteral("图形显示")))
            list->moduleButton(QStringLiteral("图形显示"))->click();
    } else if (cls == QLatin1String("TForm_qczlsrtj_yf_tj")) {
        // This year, by dispatch date: the demo office's contracts run up to today.
        if (auto* criteria = qobject_cast<CriteriaDialog*>(window); criteria && criteria->yearBox)
            criteria->yearBox->setEditText(QStringLiteral("%1年").arg(Clock::today().year()));
        click(window, "bitbtn_seek");
    } else if (cls == QLatin1String("TForm_dbbar")) {
        window->resize(800, 520);
        grab(window, QStringLiteral("chart"));
    } else if (cls == QLatin1String("TForm_txgn")) {
        window->resize(900, 420);
        click(window, "bitbtn_edit");  // 提醒
        grab(window, QStringLiteral("reminders"));
    } else if (cls == QLatin1String("TForm_backup")) {
        grab(window, QStringLiteral("backup"));
    } else if (cls == QLatin1String("TForm_qxb")) {
        openRow(window, [](const RecordSet& q) { return q.asString(Col::姓名) == Schema::defaultOperatorName(); });
    } else if (cls == QLatin1String("TForm_qxb_edit")) {
        grab(window, QStringLiteral("operator"));
    } else {
        return false;
    }
    if (window->isVisible())
        window->reject();
    return true;
}
