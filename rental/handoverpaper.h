#pragma once
// The printed handover sheet (交收车检查单): both stages of a contract side by side, each with its
// outline and marks, fuel, accessories, inspector and time; the return's new damage in red. Also
// the texts the sheet's window shows of a stage, so screen and paper say the same.
#include "rental/handover.h"

#include <QHash>
#include <QString>
#include <optional>

class Database;

namespace HandoverPaper {

inline const QString DocumentName = QStringLiteral("交收车检查单");

QString builtInTemplate();
QStringList fieldNames();
// The values of every field for the contract; nullopt when no contract has the number. A stage
// without a sheet prints an empty outline and boxes to tick by hand. Throws DbError.
std::optional<QHash<QString, QString>> fields(Database& db, const QString& contract);

// The dispatch's outline with its marks as rich text (the agreement shows it); the empty outline
// when none were recorded. Throws DbError.
QString dispatchPicture(Database& db, const QString& contract);

// "6/8"; "未记录" for a level not recorded.
QString fuelText(int fuel);
// One line per item of the checklist: √ handed over, × not; the sheet's items the list no longer has too.
QString accessoriesText(const QStringList& checklist, const Handover::Sheet& sheet);
// "1 划痕", one line per mark; "无" for none.
QString marksText(const QVector<Handover::Mark>& marks);
// A stage's fuel, accessories handed over, inspector and time in a few lines (the return window's
// comparison with the dispatch).
QString summary(const Handover::Sheet& sheet);

}  // namespace HandoverPaper
