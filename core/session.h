#pragma once
// State of the run that several subsystems read: the logged-in operator and the closing date.
#include <QDate>
#include <QString>

struct Operator {
    // No password: it is checked against the stored digest and then forgotten.
    QString name;
    QString inputMethod;  // name of the input method for Chinese text fields
    bool 系统维护权 = false;
    bool 日常业务权 = false;
    bool 其他业务权 = false;
    bool 统计分析权 = false;
    bool 财务管理权 = false;
};

namespace Session {
Operator& currentOperator();
// Closing date read at start from 关帐日期 and replaced when it is set again.
QDate& closingDate();
}  // namespace Session
