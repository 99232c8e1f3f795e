// The members of the edit-dialog family: how each fills in the shared steps.
#include "ui/records/editdialog.h"

namespace {

using namespace EditButton;
constexpr unsigned All = Add | Save | Cancel | Close;

EditDialogConfig row(const char* cls, const char* caption, const char* query, unsigned buttons, bool discardFirst,
                   QVector<RequiredField> guard, Stamps stamps, const char* uniqueTable = "", const char* uniqueColumn = "")
{
    EditDialogConfig s;
    s.className = QString::fromUtf8(cls);
    s.caption = QString::fromUtf8(caption);
    s.query = QString::fromUtf8(query);
    s.buttons = buttons;
    s.discardFirst = discardFirst;
    s.addGuard = std::move(guard);
    s.stamps = stamps;
    s.uniqueTable = QString::fromUtf8(uniqueTable);
    s.uniqueColumn = QString::fromUtf8(uniqueColumn);
    return s;
}

RequiredField req(const char* column, const char* message)
{
    return {QString::fromUtf8(column), QString::fromUtf8(message), {}};
}

QVector<EditDialogConfig> build()
{
    const auto plate = req("车牌号", "车牌号不能为空,请重新输入!");
    return {
        row("TForm_qcda_edit", "汽车档案编辑 (qcda)", "q_qcda", All, false, {plate}, Stamps::Both, "汽车档案", "车牌号"),
        row("TForm_hyzlb_edit", "客户登记表编辑 (hyzlb)", "q_hyzlb", All, false,
            {req("客户姓名", "客户姓名不能为空,请重新输入!"), req("客户号", "客户号不能为空,请重新输入!")}, Stamps::Both,
            "客户登记表", "客户号"),
        row("TForm_qczlb_edit", "汽车租赁登记表编辑 (qczlb)", "q_qczlb", All, true, {}, Stamps::Both),
        row("TForm_khydqc_edit", "客户预订汽车登记表编辑 (khydqc)", "q_khydqc", All, true, {}, Stamps::Both),
        row("TForm_hyjlb_edit", "换油记录登记表编辑 (hyjlb)", "q_hyjlb", All, false, {plate}, Stamps::Both),
        row("TForm_wxjlb_edit", "车辆维修记录登记表编辑 (wxjlb)", "q_wxjlb", All, false, {plate}, Stamps::Both),
        row("TForm_sgjlb_edit", "事故记录登记表编辑 (sgjlb)", "q_sgjlb", All, false, {plate}, Stamps::Both),
        row("TForm_xjrjz_edit", "现金日记帐编辑 (xjrjz)", "q_xjrjz", All, true, {}, Stamps::Both),
        // The summary dialog guards on the trimmed field texts; its module checks them (addGuardPasses).
        row("TForm_zy_edit", "摘要编辑 (zy)", "q_zy", All, false,
            {req("属性", "属性不能为空,请重新输入!"), req("摘要", "摘要名称不能为空,请重新输入!")}, Stamps::Both),
        row("TForm_qxb_edit", "操作员及权限编辑 (qxb)", "q_qxb", All, false, {req("姓名", "姓名不能为空,请重新输入!")},
            Stamps::Both),
        row("TForm_jbr_edit", "经办人信息编辑 (jbr)", "q_jbr", All, false, {}, Stamps::None),
        row("TForm_txcsb_edit", "提醒功能初始表编辑 (txcsb)", "q_txcsb", AddHidden | Save | Cancel | Close, false, {},
            Stamps::OperatorOnly),
        row("TForm_qczl_fkqk_edit", "汽车租赁付款情况编辑 (qczlb)", "q_qczlb", Save | Close, false, {}, Stamps::None),
        row("TForm_qczljcb_edit", "汽车租赁交车编辑 (qczljcb)", "q_qczlb", Save | Close, false, {}, Stamps::None),
        row("TForm_qczljsd_edit", "汽车租赁结算单编辑 (qczljsd)", "q_qczlb", Save | Cancel | Close, false, {},
            Stamps::None),
        row("TForm_qczlqkb_edit", "编辑", "q_qcda", Save | Close, false, {}, Stamps::None),
        row("TForm_gsxx_edit", "公司信息编辑", "q_gsxx", Save | Close, false, {}, Stamps::None),
    };
}

} // namespace

const QVector<EditDialogConfig>& editDialogTable()
{
    static const QVector<EditDialogConfig> t = build();
    return t;
}

const EditDialogConfig* editDialogConfig(const QString& className)
{
    for (const auto& s : editDialogTable())
        if (s.className == className)
            return &s;
    return nullptr;
}

