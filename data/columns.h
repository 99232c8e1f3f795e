#pragma once
// The column names of the tables, named once. Module code writes `Col::车牌号` instead of the text, so a
// misspelt column is a compile error; the schema builds its tables from the same names, and a test checks
// that every name here is a column of some table.
#include <QString>
#include <QStringList>

// Each name once, grouped by the first table that holds it.
// clang-format off
#define VEL_COLUMNS(X) \
    /* 汽车档案 */ X(车牌号) X(车型) X(颜色) X(出厂编号) X(发动机号) X(底盘编号) X(起始公里数) X(公里数) X(购买时间) X(年审时间) X(年审截止时间) \
    X(养路费购买时间) X(养路费截止时间) X(保险购买时间) X(保险截止时间) X(车船税购买时间) X(车船税截止时间) X(二保里程) X(下次二保里程) X(车辆状态) \
    X(客户姓名) X(租赁时间) X(收车时间) X(预订人) X(预订日期) X(预订期限) X(开始生效) X(停用) X(汽车照片) X(备注) X(操作员) X(操作日期) \
    /* 客户登记表 */ X(客户号) X(客户类型) X(性别) X(身份证号) X(联系电话) X(移动电话) X(家庭住址) X(工作单位) X(企业名称) X(企业地址) \
    X(企业注册号) X(法定代表人) X(注册资本) X(组织机构代码) X(客户密码) X(应收会费) X(实收会费) X(起始日期) X(终止日期) X(担保人) X(担保人性别) \
    X(担保人身份证号) X(担保人联系电话) X(担保人家庭住址) X(担保人工作单位) X(与客户关系) X(驾驶员) X(驾驶员性别) X(驾驶员身份证号) X(驾驶员驾驶证号) \
    X(驾驶员联系电话) X(驾驶员家庭住址) X(客户照片) \
    /* 客户预订汽车 */ X(内部编号) X(发车日期) X(租赁期限) X(租赁单价) X(每天限驶里程) X(超时收费单价) X(超驶收费单价) X(押金) X(预收租金) X(预收日期) \
    X(租赁公司经办人) X(执行完毕) X(租赁内部编号) \
    /* 汽车租赁登记表 */ X(发车单号) X(发车里程) X(应收租金) X(客户交车) X(收车日期) X(收车里程) X(输入天数) X(包干价) X(超驶里程) X(超驶费) \
    X(超时小时) X(超时费) X(收费小计) X(汽油费) X(代驾费) X(超保养费) X(违约金) X(修理费) X(保险费) X(车损费) X(清洁费) X(送车费) X(拆装赔偿费) \
    X(异地还车) X(其它收费) X(陪练费) X(附加小计) X(收费金额) X(应收帐款) X(应退金额) X(实收金额) X(帐款结清) X(交款人) X(结算人) X(收款日期) \
    X(支票号) X(付款情况) \
    /* 现金日记帐 */ X(日期) X(凭证号) X(摘要) X(明细) X(借方) X(贷方) X(余额) X(经办人) \
    /* 换油记录表 */ X(换油时间) X(换油地点) X(单价) X(数量) X(金额) \
    /* 车辆维修记录表 */ X(维修时间) X(修理厂) X(维修内容) X(材料费) X(人工费) X(其它费用) X(总费用) \
    /* 事故登记表 */ X(事故时间) X(事故地点) X(事故情况) X(事故处理) X(事故金额) X(理赔时间) X(理赔金额) \
    /* 经办人信息 */ X(经办人姓名) \
    /* 权限表 */ X(姓名) X(操作口令) X(输入法) X(系统维护权) X(日常业务权) X(其他业务权) X(统计分析权) X(财务管理权) \
    /* 公司信息 */ X(公司名称) X(公司地址) X(邮政编码) X(联系人) X(系统标题) X(动态文字) X(自动提醒) \
    /* 关帐日期 */ X(关帐日期) \
    /* 摘要 */ X(代码) X(属性) \
    /* 提醒功能初始表 */ X(序号) X(项目) X(期限) \
    /* 通用 */ X(月份) X(现金增加) X(现金减少) X(收入差价) \
    /* 图形显示 */ X(sl1) X(je1) \
    /* 租赁变更记录 (a table of our own) */ X(变更项目) X(原值) X(新值) X(里程) \
    /* 车况检查, 车损标记, 随车物品 (tables of our own) */ X(检查阶段) X(油量) X(随车物品) X(检查人) X(检查时间) \
    X(修改次数) X(标记序号) X(横坐标) X(纵坐标) X(损伤说明) X(物品名称) \
    /* 违章登记, 操作日志, 业务设置 (tables of our own) */ X(违章时间) X(违章地点) X(违章行为) X(罚款金额) X(扣分) \
    X(通知书编号) X(处理状态) X(操作时间) X(工作站) X(表名) X(记录编号) X(操作类型) X(字段名) X(设置项) X(设置值)
// clang-format on

namespace Col {
#define VEL_COLUMN_NAME(name) inline const QString name = QStringLiteral(#name);
VEL_COLUMNS(VEL_COLUMN_NAME)
#undef VEL_COLUMN_NAME

// Every name above, in the order written.
QStringList all();
}  // namespace Col
