#include "core/clock.h"

#include <QFileInfo>

namespace {
std::function<QDateTime()>& source()
{
    static std::function<QDateTime()> s;
    return s;
}
}

namespace Clock {

QDateTime now()
{
    // Whole seconds: the stored form has no fractions, and comparisons must agree with it.
    QDateTime t = source() ? source()() : QDateTime::currentDateTime();
    t.setTime(QTime(t.time().hour(), t.time().minute(), t.time().second()));
    return t;
}

QDate today()
{
    return now().date();
}

void setSource(std::function<QDateTime()> s)
{
    source() = std::move(s);
}

void setFixed(const QDateTime& moment)
{
    source() = [moment] { return moment; };
}

void pinLocalZone()
{
    if (qEnvironmentVariableIsSet("TZ") || !QFileInfo::exists(QStringLiteral("/etc/localtime")))
        return;
    qputenv("TZ", ":/etc/localtime");
}

}  // namespace Clock
