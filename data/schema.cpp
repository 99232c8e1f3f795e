#include "data/schema.h"

namespace {

ColumnDef T(const char* n) { return {QString::fromUtf8(n), FieldType::Text}; }
ColumnDef Memo(const char* n) { return {QString::fromUtf8(n), FieldType::Memo}; }
ColumnDef M(const char* n) { return {QString::fromUtf8(n), FieldType::Money}; }
ColumnDef I(const char* n) { return {QString::fromUtf8(n), FieldType::Integer}; }
ColumnDef N(const char* n) { return {QString::fromUtf8(n), FieldType::Number}; }
ColumnDef D(const char* n) { return {QString::fromUtf8(n), FieldType::DateTime}; }
ColumnDef B(const char* n) { return {QString::fromUtf8(n), FieldType::Boolean}; }

QVector<TableDef> build()
{
    const ColumnDef op = T("操作员"), opDate = D("操作日期");
    QVector<TableDef> t;
    t.push_back({QStringLiteral("汽车档案"),
                 {T("车牌号"), T("车型"), T("颜色"), T("出厂编号"), T("发动机号"), T("底盘编号"), N("起始公里数"),
                  N("公里数"), D("购买时间"), D("年审时间"), D("年审截止时间"), D("养路费购买时间"),
                  D("养路费截止时间"), D("保险购买时间"), D("保险截止时间"), D("车船税购买时间"), D("车船税截止时间"),
                  N("二保里程"), N("下次二保里程"), T("车辆状态"), T("客户姓名"), D("租赁时间"), D("收车时间"),
                  T("预订人"), D("预订日期"), I("预订期限"), B("开始生效"), B("停用"), T("汽车照片"), T("备注"), op,
                  opDate}});
    t.push_back({QStringLiteral("客户登记表"),
                 {T("客户号"), T("客户姓名"), T("客户类型"), T("性别"), T("身份证号"), T("联系电话"), T("移动电话"),
                  T("家庭住址"), T("工作单位"), T("企业名称"), T("企业地址"), T("企业注册号"), T("法定代表人"),
                  T("注册资本"), T("组织机构代码"), T("客户密码"), M("应收会费"), M("实收会费"), D("起始日期"),
                  D("终止日期"), T("担保人"), T("担保人性别"), T("担保人身份证号"), T("担保人联系电话"),
                  T("担保人家庭住址"), T("担保人工作单位"), T("与客户关系"), T("驾驶员"), T("驾驶员性别"),
                  T("驾驶员身份证号"), T("驾驶员驾驶证号"), T("驾驶员联系电话"), T("驾驶员家庭住址"), T("客户照片"),
                  B("停用"), T("备注"), op, opDate}});
    t.push_back({QStringLiteral("客户预订汽车"),
                 {T("内部编号"), T("客户号"), T("客户姓名"), T("车牌号"), D("发车日期"), I("租赁期限"), M("租赁单价"),
                  I("每天限驶里程"), M("超时收费单价"), M("超驶收费单价"), M("押金"), M("预收租金"), D("预收日期"),
                  T("租赁公司经办人"), T("执行完毕"), T("租赁内部编号"), T("备注"), op, opDate}});
    t.push_back({QStringLiteral("汽车租赁登记表"),
                 {T("内部编号"), T("发车单号"), T("客户号"), T("客户姓名"), T("车牌号"), D("发车日期"), I("发车里程"),
                  I("租赁期限"), M("租赁单价"), I("每天限驶里程"), M("超时收费单价"), M("超驶收费单价"), M("押金"),
                  M("预收租金"), M("应收租金"), T("租赁公司经办人"), T("客户交车"), D("收车日期"), I("收车里程"),
                  B("输入天数"), M("包干价"), I("超驶里程"), M("超驶费"), N("超时小时"), M("超时费"), M("收费小计"),
                  M("汽油费"), M("代驾费"), M("超保养费"), M("违约金"), M("修理费"), M("保险费"), M("车损费"),
                  M("清洁费"), M("送车费"), M("拆装赔偿费"), M("异地还车"), M("其它收费"), M("陪练费"), M("附加小计"),
                  M("收费金额"), M("应收帐款"), M("应退金额"), M("实收金额"), B("帐款结清"), T("交款人"), T("结算人"),
                  D("收款日期"), T("支票号"), T("付款情况"), Memo("备注"), op, opDate}});
    t.push_back({QStringLiteral("现金日记帐"),
                 {D("日期"), T("凭证号"), T("摘要"), T("明细"), M("借方"), M("贷方"), M("余额"), T("经办人"), T("备注"), op,
                  opDate}});
    t.push_back({QStringLiteral("换油记录表"),
                 {T("车牌号"), D("换油时间"), T("换油地点"), N("公里数"), M("单价"), N("数量"), M("金额"), T("经办人"),
                  T("备注"), op, opDate}});
    t.push_back({QStringLiteral("车辆维修记录表"),
                 {T("车牌号"), D("维修时间"), T("修理厂"), T("维修内容"), M("材料费"), M("人工费"), M("其它费用"),
                  M("总费用"), T("经办人"), T("备注"), op, opDate}});
    t.push_back({QStringLiteral("事故登记表"),
                 {T("车牌号"), D("事故时间"), T("事故地点"), T("客户姓名"), T("驾驶员"), T("事故情况"), T("事故处理"),
                  M("事故金额"), D("理赔时间"), M("理赔金额"), T("经办人"), T("备注"), op, opDate}});
    t.push_back({QStringLiteral("经办人信息"), {T("经办人姓名"), T("身份证号"), T("联系电话")}});
    t.push_back({QStringLiteral("权限表"),
                 {T("姓名"), T("操作口令"), T("输入法"), B("系统维护权"), B("日常业务权"), B("其他业务权"),
                  B("统计分析权"), B("财务管理权"), T("身份证号"), T("联系电话"), T("备注"), op, opDate}});
    t.push_back({QStringLiteral("公司信息"),
                 {T("公司名称"), T("公司地址"), T("邮政编码"), T("联系人"), T("联系电话"), T("系统标题"), T("动态文字"),
                  B("自动提醒")}});
    t.push_back({QStringLiteral("关帐日期"), {D("关帐日期")}});
    t.push_back({QStringLiteral("摘要"), {T("代码"), T("摘要"), T("属性"), op, opDate}});
    t.push_back({QStringLiteral("提醒功能初始表"), {N("序号"), T("项目"), I("期限"), op}});
    t.push_back({QStringLiteral("通用"),
                 {T("车牌号"), T("客户号"), T("客户姓名"), T("月份"), T("摘要"), T("支票号"), Memo("备注"), D("发车日期"),
                  D("收车日期"), N("发车里程"), N("租赁期限"), M("押金"), M("预收租金"), M("收费金额"), M("实收金额"),
                  M("租赁单价"), M("现金增加"), M("现金减少"), M("收入差价")}});
    t.push_back({QStringLiteral("图形显示"), {T("sl1"), M("je1")}});
    return t;
}

} // namespace

namespace Schema {

const QVector<TableDef>& tables()
{
    static const QVector<TableDef> t = build();
    return t;
}

const TableDef* table(const QString& name)
{
    for (const auto& t : tables())
        if (t.name == name)
            return &t;
    return nullptr;
}

FieldType columnType(const QString& tableName, const QString& column)
{
    if (const TableDef* t = table(tableName))
        for (const auto& c : t->columns)
            if (c.name == column)
                return c.type;
    return FieldType::Text;
}

bool hasColumn(const QString& tableName, const QString& column)
{
    if (const TableDef* t = table(tableName))
        for (const auto& c : t->columns)
            if (c.name == column)
                return true;
    return false;
}

QStringList defaultReminderItems()
{
    return {QStringLiteral("养路费到期"), QStringLiteral("年审到期"), QStringLiteral("保险到期"),
            QStringLiteral("车船税到期"), QStringLiteral("二保里程到期"), QStringLiteral("租赁到期")};
}

QString defaultOperatorName()
{
    return QStringLiteral("管理员");
}

} // namespace Schema
