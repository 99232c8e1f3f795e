// The lengths of the text columns. Both engines must hold every value a column accepts, and the
// server's is the tighter: a btree index entry holds about 2,700 bytes, so a column that is indexed
// there (plates, numbers, names, handover state, the journal's remark) stays at 400 units or fewer,
// at most 1,200 bytes with the key beside it. Columns are sized by what they hold, by name, so a
// value copied from one table into another (a customer's name into a contract, a handler into the
// journal) always fits: codes and numbers short, names 40, addresses and companies 100, remarks 400,
// memos 2,000 (never indexed).
#include "data/textlimits.h"
#include "data/schema.h"

#include <QHash>

namespace {

constexpr int DefaultText = 255;
constexpr int MemoLength = 2000;

struct Limit {
    int length;
    bool lines;  // line breaks and tabs allowed
};

const QHash<QString, Limit>& byColumn()
{
    static const QHash<QString, Limit> t = [] {
        QHash<QString, Limit> h;
        const auto put = [&h](std::initializer_list<const char*> names, int length, bool lines = false) {
            for (const char* n : names)
                h.insert(QString::fromUtf8(n), {length, lines});
        };
        // Yes/no words and sexes.
        put({"执行完毕", "客户交车", "性别", "担保人性别", "驾驶员性别", "邮政编码"}, 10);
        // Plates, document numbers, codes, states.
        put({"车牌号", "客户号", "内部编号", "发车单号", "租赁内部编号", "凭证号", "代码", "属性", "车辆状态", "客户类型", "颜色",
             "与客户关系"},
            20);
        // Identity card, licence and telephone numbers.
        put({"身份证号", "担保人身份证号", "驾驶员身份证号", "驾驶员驾驶证号", "联系电话", "移动电话", "担保人联系电话",
             "驾驶员联系电话"},
            30);
        // Names of people, models, registration numbers, cheques, month labels.
        put({"客户姓名", "预订人",     "法定代表人", "担保人",     "驾驶员",       "租赁公司经办人", "交款人", "结算人",
             "经办人",   "经办人姓名", "姓名",       "操作员",     "联系人",       "车型",           "项目",   "客户密码",
             "出厂编号", "发动机号",   "底盘编号",   "企业注册号", "组织机构代码", "注册资本",       "支票号", "月份"},
            40);
        // Addresses, companies, places, summaries and what a chart bar is labelled with.
        put({"家庭住址", "工作单位", "企业名称", "企业地址", "担保人家庭住址", "担保人工作单位", "驾驶员家庭住址", "换油地点",
             "修理厂", "事故地点", "公司名称", "公司地址", "系统标题", "输入法", "摘要", "明细", "sl1"},
            100);
        // A password's stored digest (scheme, rounds, salt and digest, about 90 characters).
        put({"操作口令"}, 200);
        // Photo file names below the picture folder.
        put({"汽车照片", "客户照片"}, 255);
        // The main window's scrolling text.
        put({"动态文字"}, 400);
        // Remarks and descriptions, typed in multi-line fields.
        put({"备注", "付款情况", "维修内容", "事故情况", "事故处理"}, 400, true);
        return h;
    }();
    return t;
}

bool isText(FieldType t)
{
    return t == FieldType::Text || t == FieldType::Memo;
}

}  // namespace

namespace Schema {

int maxLength(const QString& table, const QString& column)
{
    const FieldType type = columnType(table, column);
    if (!isText(type))
        return 0;
    if (type == FieldType::Memo)
        return MemoLength;
    const auto it = byColumn().constFind(column);
    return it != byColumn().cend() ? it->length : DefaultText;
}

bool multiLine(const QString& table, const QString& column)
{
    if (columnType(table, column) == FieldType::Memo)
        return true;
    const auto it = byColumn().constFind(column);
    return it != byColumn().cend() && it->lines;
}

QString textProblem(const QString& table, const QString& column, const QString& text)
{
    const int limit = maxLength(table, column);
    if (limit > 0 && text.size() > limit)
        return QStringLiteral("%1 超过最大长度 %2 个字符,请重新输入!").arg(column).arg(limit);
    const bool lines = multiLine(table, column);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x20 && c < 0x7f)
            continue;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i;
            continue;
        }
        if (c == u'\n' || c == u'\r' || c == u'\t') {
            if (!lines)
                return QStringLiteral("%1 不能含有换行或制表符,请重新输入!").arg(column);
            continue;
        }
        // Other control characters (a NUL ends a statement's text on the embedded engine and is no
        // character at all on the server) and a lone half of a pair, which no encoding can write.
        if (c < 0x20 || (c >= 0x7f && c <= 0x9f) || QChar::isSurrogate(c))
            return QStringLiteral("%1 含有不能存放的控制字符,请重新输入!").arg(column);
    }
    return {};
}

}  // namespace Schema
