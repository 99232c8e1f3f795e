#include "remind/txgn.h"
#include "core/clock.h"
#include "data/columns.h"
#include "data/datamodule.h"
#include "remind/scan.h"
#include "stats/scratch.h"
#include "ui/common/messages.h"

#include <QApplication>

// ---- description ----

const ListWindowConfig& TForm_txgn::spec()
{
    using B = ListButton;
    static const ListWindowConfig s{.className = staticMetaObject.className(),
                                    .caption = "提醒功能清单",
                                    .query = "q_tongyong",
                                    .buttons = {{B::Export}, {B::Edit, "提醒"}, {B::Print}, {B::Return}},
                                    .exportName = "提醒功能清单",
                                    .printTitle = "提醒功能清单打印清单",
                                    .sort = SortMode::None,
                                    .autoWidthBox = false,
                                    .columnButtons = false,
                                    .maximised = false,
                                    .footer = FooterMode::None};
    return s;
}

TForm_txgn::TForm_txgn(QWidget* owner, TDm1* dm) : ListWindow(spec(), dm, owner)
{
    setColumns({column(Col::车牌号, Col::车牌号, 0, false), column(Col::支票号, QStringLiteral("提醒项目"), 0, false),
                column(Col::发车日期, QStringLiteral("办理日期"), 0, false),
                column(Col::发车里程, QStringLiteral("下次二保里程(公里)"), 0, false), column(Col::备注, Col::备注, 0, false)});
}

void TForm_txgn::onEdit()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        Scratch::run(dm()->q_tongyong, QString(), [this] { Reminders::scan(dm()->ADO_qczl, Clock::today()); });
    } catch (const DbError& e) {
        QApplication::restoreOverrideCursor();
        Msg::error(this, e.text());
        return;
    }
    QApplication::restoreOverrideCursor();
}
