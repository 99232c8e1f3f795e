#include "data/businesssettings.h"
#include "data/database.h"
#include "data/versions.h"

#include <QHash>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

QString ruleKey(int index)
{
    return u"停租规则%1"_s.arg(index + 1);
}
const QString LeadKey = u"违章提醒天数"_s;
constexpr int MaxLead = 3650;

QString table()
{
    return u'"' + Versions::settingTable() + u'"';
}

}  // namespace

QString BusinessSettings::ruleText(StopRule rule)
{
    switch (rule) {
    case StopRule::Refuse:
        return u"禁止出租"_s;
    case StopRule::Warn:
        return u"只提醒"_s;
    case StopRule::Off:
        break;
    }
    return u"不检查"_s;
}

QVector<std::pair<QString, QString>> BusinessSettings::rows() const
{
    QVector<std::pair<QString, QString>> values;
    for (int i = 0; i < int(stopRules.size()); ++i)
        values.push_back({ruleKey(i), ruleText(stopRules[i])});
    values.push_back({LeadKey, QString::number(fineLeadDays)});
    return values;
}

BusinessSettings BusinessSettings::read(Database& db)
{
    QHash<QString, QString> stored;
    QSqlQuery q = db.runNative(u"SELECT 设置项, 设置值 FROM "_s + table());
    while (q.next())
        stored.insert(q.value(0).toString(), q.value(1).toString().trimmed());
    BusinessSettings s;
    for (int i = 0; i < int(s.stopRules.size()); ++i) {
        const QString v = stored.value(ruleKey(i));
        for (StopRule r : {StopRule::Refuse, StopRule::Warn, StopRule::Off})
            if (v == ruleText(r))
                s.stopRules[i] = r;
    }
    bool ok = false;
    const int lead = stored.value(LeadKey).toInt(&ok);
    if (ok && lead >= 0 && lead <= MaxLead)
        s.fineLeadDays = lead;
    return s;
}

void BusinessSettings::write(Database& db, const BusinessSettings* asRead) const
{
    if (fineLeadDays < 0 || fineLeadDays > MaxLead)
        throw DbError(u"违章提醒天数应在 0 到 %1 之间!"_s.arg(MaxLead));
    Transaction tx(db);
    if (asRead && read(db) != *asRead)
        throw DbConflict(u"业务设置: 记录已被其他用户修改"_s);
    for (const auto& [key, value] : rows()) {
        db.runNative(u"DELETE FROM %1 WHERE 设置项 = ?"_s.arg(table()), {key});
        db.runNative(u"INSERT INTO %1 (设置项, 设置值) VALUES (?, ?)"_s.arg(table()), {key, value});
    }
    tx.commit();
}
