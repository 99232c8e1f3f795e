#pragma once
// The office's business settings of our own (table 业务设置, 设置项/设置值): how each of the
// reminder rules 1 to 5 (the four expiries, the service mileage) gates a dispatch, and the days a
// traffic fine may stay 未处理 before the reminders list it.
#include <QString>
#include <QVector>
#include <array>

class Database;

struct BusinessSettings {
    // What a rule that finds the vehicle due does to a contract dispatching it.
    enum class StopRule { Refuse, Warn, Off };
    std::array<StopRule, 5> stopRules{StopRule::Refuse, StopRule::Refuse, StopRule::Refuse, StopRule::Refuse, StopRule::Warn};
    int fineLeadDays = 7;

    bool operator==(const BusinessSettings&) const = default;

    // 禁止出租 / 只提醒 / 不检查, as stored.
    static QString ruleText(StopRule rule);
    // The settings as 设置项/设置值 rows (停租规则1 … 停租规则5, 违章提醒天数).
    QVector<std::pair<QString, QString>> rows() const;
    // The settings as stored; a missing or unreadable value reads as its default. Throws DbError.
    static BusinessSettings read(Database& db);
    // Writes every value in one transaction. With asRead, settings changed elsewhere since they were
    // read are refused with DbConflict; a lead outside 0..3650 days with DbError. Throws DbError.
    void write(Database& db, const BusinessSettings* asRead = nullptr) const;
};
