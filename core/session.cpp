#include "core/session.h"

namespace Session {
Operator& currentOperator()
{
    static Operator op;
    return op;
}

QDate& closingDate()
{
    static QDate d;
    return d;
}
}  // namespace Session
