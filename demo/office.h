#pragma once
// A rental office to try the program on (velmira --demo, velmira_demo), or a large one for the
// benchmarks: handlers, vehicles, customers, contracts over the last years in the states the
// windows leave them (settled, returned, still out), reservations, the registers, handover sheets
// and a balanced cash journal.
#include <QDate>
#include <QString>

namespace DemoOffice {

struct Sizes {
    int vehicles, customers, contracts, reservations, registers, handlers;
    int years;  // the contracts spread over these years up to today, so that vehicles come back between rentals
};
inline constexpr Sizes Small{40, 300, 2000, 120, 240, 6, 2};
inline constexpr Sizes Large{1000, 20000, 200000, 4000, 6000, 12, 8};

// Creates the database at location (a new file or an empty server database, never over an existing
// one) and fills it in one transaction; false with the reason.
bool create(const QString& location, const Sizes& sizes, const QDate& today, QString* error = nullptr);

// Pictures of our own for the photos the office's rows name (汽车照片, 客户照片): a car in the
// vehicle's colour with its plate, a head and shoulders with the customer's name, saved as JPEG
// under jpgFolder. A file already there is kept. Text is drawn, so a QGuiApplication must exist.
// Returns the number of pictures written, or -1 with the reason.
int writePhotos(const QString& location, const QString& jpgFolder, QString* error = nullptr);

}  // namespace DemoOffice
