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

// Called first thing in a program: with no zone named in TZ, the C library looks at the zone file
// again on every local-time conversion (every comparison of two dates); naming the file once reads
// it once. A change of the machine's zone is then seen at the next start.
void pinLocalZone();

}  // namespace Clock
