#pragma once
// "Now" and "today" for the whole program. Tests replace the source to control the date.
#include <QDateTime>
#include <functional>

namespace Clock {

QDateTime now();
QDate today();
// Replace the time source; an empty function restores the system clock.
void setSource(std::function<QDateTime()> source);
// Convenience for tests: a frozen moment.
void setFixed(const QDateTime& moment);

}  // namespace Clock
