#include "data/schema.h"
#include "data/columns.h"
#include "data/versions.h"

namespace {

ColumnDef T(const QString& n)
{
    return {n, FieldType::Text};
}
ColumnDef Memo(const QString& n)
{
    return {n, FieldType::Memo};
}
ColumnDef M(const QString& n)
{
    return {n, FieldType::Money};
}
ColumnDef I(const QString& n)
{
    return {n, FieldType::Integer};
}
ColumnDef N(const QString& n)
{
    return {n, FieldType::Number};
}
ColumnDef D(const QString& n)
{
    return {n, FieldType::DateTime};
}
ColumnDef B(const QString& n)
{
    return {n, FieldType::Boolean};
}

QVector<TableDef> build()
{
    const ColumnDef op = T(Col::操作员), opDate = D(Col::操作日期);
    QVector<TableDef> t;
    t.push_back({QStringLiteral("汽车档案"),
                 {T(Col::车牌号),
                  T(Col::车型),
                  T(Col::颜色),
                  T(Col::出厂编号),
                  T(Col::发动机号),
                  T(Col::底盘编号),
                  N(Col::起始公里数),
                  N(Col::公里数),
                  D(Col::购买时间),
                  D(Col::年审时间),
                  D(Col::年审截止时间),
                  D(Col::养路费购买时间),
                  D(Col::养路费截止时间),
                  D(Col::保险购买时间),
                  D(Col::保险截止时间),
                  D(Col::车船税购买时间),
                  D(Col::车船税截止时间),
                  N(Col::二保里程),
                  N(Col::下次二保里程),
                  T(Col::车辆状态),
                  T(Col::客户姓名),
                  D(Col::租赁时间),
                  D(Col::收车时间),
                  T(Col::预订人),
                  D(Col::预订日期),
                  I(Col::预订期限),
                  B(Col::开始生效),
                  B(Col::停用),
                  T(Col::汽车照片),
                  T(Col::备注),
                  op,
                  opDate}});
    t.push_back({QStringLiteral("客户登记表"),
                 {T(Col::客户号),
                  T(Col::客户姓名),
                  T(Col::客户类型),
                  T(Col::性别),
                  T(Col::身份证号),
                  T(Col::联系电话),
                  T(Col::移动电话),
                  T(Col::家庭住址),
                  T(Col::工作单位),
                  T(Col::企业名称),
                  T(Col::企业地址),
                  T(Col::企业注册号),
                  T(Col::法定代表人),
                  T(Col::注册资本),
                  T(Col::组织机构代码),
                  T(Col::客户密码),
                  M(Col::应收会费),
                  M(Col::实收会费),
                  D(Col::起始日期),
                  D(Col::终止日期),
                  T(Col::担保人),
                  T(Col::担保人性别),
                  T(Col::担保人身份证号),
                  T(Col::担保人联系电话),
                  T(Col::担保人家庭住址),
                  T(Col::担保人工作单位),
                  T(Col::与客户关系),
                  T(Col::驾驶员),
                  T(Col::驾驶员性别),
                  T(Col::驾驶员身份证号),
                  T(Col::驾驶员驾驶证号),
                  T(Col::驾驶员联系电话),
                  T(Col::驾驶员家庭住址),
                  T(Col::客户照片),
                  B(Col::停用),
                  T(Col::备注),
                  op,
                  opDate}});
    t.push_back({QStringLiteral("客户预订汽车"),
                 {T(Col::内部编号), T(Col::客户号), T(Col::客户姓名), T(Col::车牌号), D(Col::发车日期), I(Col::租赁期限),
                  M(Col::租赁单价), I(Col::每天限驶里程), M(Col::超时收费单价), M(Col::超驶收费单价), M(Col::押金), M(Col::预收租金),
                  D(Col::预收日期), T(Col::租赁公司经办人), T(Col::执行完毕), T(Col::租赁内部编号), T(Col::备注), op, opDate}});
    t.push_back({QStringLiteral("汽车租赁登记表"),
                 {T(Col::内部编号),
                  T(Col::发车单号),
                  T(Col::客户号),
                  T(Col::客户姓名),
                  T(Col::车牌号),
                  D(Col::发车日期),
                  I(Col::发车里程),
                  I(Col::租赁期限),
                  M(Col::租赁单价),
                  I(Col::每天限驶里程),
                  M(Col::超时收费单价),
                  M(Col::超驶收费单价),
                  M(Col::押金),
                  M(Col::预收租金),
                  M(Col::应收租金),
                  T(Col::租赁公司经办人),
                  T(Col::客户交车),
                  D(Col::收车日期),
                  I(Col::收车里程),
                  B(Col::输入天数),
                  M(Col::包干价),
                  I(Col::超驶里程),
                  M(Col::超驶费),
                  N(Col::超时小时),
                  M(Col::超时费),
                  M(Col::收费小计),
                  M(Col::汽油费),
                  M(Col::代驾费),
                  M(Col::超保养费),
                  M(Col::违约金),
                  M(Col::修理费),
                  M(Col::保险费),
                  M(Col::车损费),
                  M(Col::清洁费),
                  M(Col::送车费),
                  M(Col::拆装赔偿费),
                  M(Col::异地还车),
                  M(Col::其它收费),
                  M(Col::陪练费),
                  M(Col::附加小计),
                  M(Col::收费金额),
                  M(Col::应收帐款),
                  M(Col::应退金额),
                  M(Col::实收金额),
                  B(Col::帐款结清),
                  T(Col::交款人),
                  T(Col::结算人),
                  D(Col::收款日期),
                  T(Col::支票号),
                  T(Col::付款情况),
                  Memo(Col::备注),
                  op,
                  opDate}});
    t.push_back({QStringLiteral("现金日记帐"),
                 {D(Col::日期), T(Col::凭证号), T(Col::摘要), T(Col::明细), M(Col::借方), M(Col::贷方), M(Col::余额), T(Col::经办人),
                  T(Col::备注), op, opDate}});
    t.push_back({QStringLiteral("换油记录表"),
                 {T(Col::车牌号), D(Col::换油时间), T(Col::换油地点), N(Col::公里数), M(Col::单价), N(Col::数量), M(Col::金额),
                  T(Col::经办人), T(Col::备注), op, opDate}});
    t.push_back({QStringLiteral("车辆维修记录表"),
                 {T(Col::车牌号), D(Col::维修时间), T(Col::修理厂), T(Col::维修内容), M(Col::材料费), M(Col::人工费), M(Col::其它费用),
                  M(Col::总费用), T(Col::经办人), T(Col::备注), op, opDate}});
    t.push_back({QStringLiteral("事故登记表"),
                 {T(Col::车牌号), D(Col::事故时间), T(Col::事故地点), T(Col::客户姓名), T(Col::驾驶员), T(Col::事故情况),
                  T(Col::事故处理), M(Col::事故金额), D(Col::理赔时间), M(Col::理赔金额), T(Col::经办人), T(Col::备注), op, opDate}});
    t.push_back({QStringLiteral("经办人信息"), {T(Col::经办人姓名), T(Col::身份证号), T(Col::联系电话)}});
    t.push_back({QStringLiteral("权限表"),
                 {T(Col::姓名), T(Col::操作口令), T(Col::输入法), B(Col::系统维护权), B(Col::日常业务权), B(Col::其他业务权),
                  B(Col::统计分析权), B(Col::财务管理权), T(Col::身份证号), T(Col::联系电话), T(Col::备注), op, opDate}});
    t.push_back({QStringLiteral("公司信息"),
                 {T(Col::公司名称), T(Col::公司地址), T(Col::邮政编码), T(Col::联系人), T(Col::联系电话), T(Col::系统标题),
                  T(Col::动态文字), B(Col::自动提醒)}});
    t.push_back({QStringLiteral("关帐日期"), {D(Col::关帐日期)}});
    t.push_back({QStringLiteral("摘要"), {T(Col::代码), T(Col::摘要), T(Col::属性), op, opDate}});
    t.push_back({QStringLiteral("提醒功能初始表"), {N(Col::序号), T(Col::项目), I(Col::期限), op}});
    t.push_back({QStringLiteral("通用"),
                 {T(Col::车牌号), T(Col::客户号), T(Col::客户姓名), T(Col::月份), T(Col::摘要), T(Col::支票号), Memo(Col::备注),
                  D(Col::发车日期), D(Col::收车日期), N(Col::发车里程), N(Col::租赁期限), M(Col::押金), M(Col::预收租金),
                  M(Col::收费金额), M(Col::实收金额), M(Col::租赁单价), M(Col::现金增加), M(Col::现金减少), M(Col::收入差价)}});
    t.push_back({QStringLiteral("图形显示"), {T(Col::sl1), M(Col::je1)}});
    return t;
}

}  // namespace

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
    // The sixteen, and the table of our own edited through record sets.
    if (const TableDef* t = table(tableName) ? table(tableName) : Versions::recordTable(tableName))
        for (const auto& c : t->columns)
            if (c.name == column)
                return c.type;
    return FieldType::Text;
}

bool hasColumn(const QString& tableName, const QString& column)
{
    if (const TableDef* t = table(tableName) ? table(tableName) : Versions::recordTable(tableName))
        for (const auto& c : t->columns)
            if (c.name == column)
                return true;
    return false;
}

QStringList defaultReminderItems()
{
    return {QStringLiteral("养路费到期"), QStringLiteral("年审到期"),     QStringLiteral("保险到期"),
            QStringLiteral("车船税到期"), QStringLiteral("二保里程到期"), QStringLiteral("租赁到期")};
}

QString defaultOperatorName()
{
    return QStringLiteral("管理员");
}

}  // namespace Schema
