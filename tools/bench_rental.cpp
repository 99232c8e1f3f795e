// Figures of the rental front desk on a large database (not a test): the contract dialog opened
// with its drop-downs filled, and the customer search by name and by number. Beside them, the
// floors: the same rows read through the engine's C API.
//   bench_rental <database file>
#include "benchutil.h"
#include "rental/bookings.h"
#include "rental/customers.h"
#include "rental/rental.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <algorithm>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F>
double timed(F&& f, int runs)
{
    std::vector<double> v;
    QElapsedTimer t;
    for (int i = 0; i < runs; ++i) {
        t.start();
        f();
        v.push_back(Bench::ms(t));
    }
    return median(v);
}

}  // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerRentalWindows();
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_rental <database file>\n");
        return 2;
    }
    TDm1 dm;
    if (!Bench::connect(dm, QString::fromLocal8Bit(argv[1])))
        return 1;
    Bench::Figures fig;
    sqlite3* h = Bench::handle(dm.ADO_qczl);
    {
        QLabel shell(QStringLiteral("汽车租赁管理系统 车牌号 客户姓名 0123456789"));
        shell.show();
        QCoreApplication::processEvents();
    }

    // The contract dialog as 编辑 opens it over the contract list: created, drop-downs filled, shown.
    dm.q_qczlb.setQuery(Bench::contractList());
    dm.q_qczlb.open();
    TForm_qczlb list(nullptr, &dm);
    int customers = 0;
    auto openDialog = [&] {
        TForm_qczlb_edit d(&list, &dm);
        d.fillDropDowns();
        d.show();
        QCoreApplication::processEvents();
        customers = qobject_cast<QComboBox*>(d.fieldFor(QStringLiteral("客户号")))->count();
    };
    QElapsedTimer t;
    t.start();
    openDialog();
    fig.add("contract_dialog_open_first_ms", Bench::ms(t), "ms");
    fig.add("contract_dialog_open_ms", timed(openDialog, 5), "ms");
    fig.add("contract_dialog_customers", customers, "rows", 0);
    fig.add("floor_dropdown_rows_c_api_ms",
            timed(
                [&] {
                    Bench::stepAll(h, QStringLiteral("select 车牌号 from 汽车档案 where 停用=0 order by 车牌号"));
                    Bench::stepAll(h, QStringLiteral("select 客户号, 客户姓名 from 客户登记表 where 停用=0 order by 客户号"));
                    Bench::stepAll(h, QStringLiteral("select 经办人姓名 from 经办人信息 order by 经办人姓名"));
                },
                5),
            "ms");

    // The customer search: every customer by name (the caller's preparation), then by name and by
    // number, begins-with.
    TForm_qczlb_edit d(&list, &dm);
    TForm_search_kh search(&d, &dm, &d);
    search.purposeLabel->setText(QStringLiteral("租赁"));
    fig.add("customer_search_list_all_ms", timed([&] { search.listAll(); }, 5), "ms");
    auto seek = [&](int mode, const QString& text) {
        search.modeBox->setCurrentIndex(mode);
        search.searchEdit->setText(text);
        return timed([&] { search.findButton->click(); }, 9);
    };
    QSqlQuery first = dm.ADO_qczl.run(QStringLiteral("select substr(客户姓名, 1, 1), substr(客户号, 1, 6) from 客户登记表 limit 1"));
    first.next();
    fig.add("customer_search_name_ms", seek(0, first.value(0).toString()), "ms");
    fig.add("customer_search_name_rows", dm.q_hyzlb.recordCount(), "rows", 0);
    fig.add("customer_search_number_ms", seek(1, first.value(1).toString()), "ms");
    fig.add("customer_search_number_rows", dm.q_hyzlb.recordCount(), "rows", 0);
    fig.add("floor_search_name_c_api_ms",
            timed(
                [&] {
                    Bench::stepAll(h, QStringLiteral("select * from 客户登记表 where 客户姓名 like '") + first.value(0).toString()
                                          + QStringLiteral("%' order by 客户姓名"));
                },
                9),
            "ms");
    fig.print();
    return 0;
}
