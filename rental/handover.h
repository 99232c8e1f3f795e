#pragma once
// The car's condition handed over at dispatch and taken back at return (交车/收车检查单), without a
// window: fuel level, the accessories handed over, the damage marks placed on the car's outline.
// Stored in tables of our own keyed by contract number and stage; the office's accessory checklist
// is a table of its own that data initialization keeps.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

class Database;

namespace Handover {

enum class Stage { Dispatch, Return };
// 交车 / 收车, as stored in 检查阶段.
QString stageText(Stage stage);

// The picture's coordinates in thousandths of its width and height (0..1000), so a mark stays on
// the same part of the car whatever size the outline is drawn at.
constexpr int Scale = 1000;
constexpr int FullTank = 8;  // fuel in eighths of a tank

struct Mark {
    int number = 0;  // 1, 2, … over both stages: the return's marks continue the dispatch's
    int x = 0, y = 0;
    QString text;  // 划痕, 凹陷, … or the clerk's own words
    bool operator==(const Mark&) const = default;
};

struct Sheet {
    QString contract;  // 内部编号
    Stage stage = Stage::Dispatch;
    int fuel = -1;            // eighths 0..FullTank; -1 not recorded
    QStringList accessories;  // the items handed over (ticked), in the checklist's order
    QVector<Mark> marks;      // at return: the damage found new since dispatch
    QString inspector;        // 检查人
    QDateTime checkedAt;      // 检查时间
    QString remarks;          // 备注
    qint64 revision = 0;      // what the clerk read (0: no sheet yet); save refuses another
};

// The suggested texts of a mark.
QStringList damageKinds();

// The stage's sheet of the contract; nullopt when none was recorded. Throws DbError.
std::optional<Sheet> load(Database& db, const QString& contract, Stage stage);
// Writes the sheet in one transaction (the stage's marks replaced) and returns its new revision.
// A sheet another workstation saved or deleted since this one's was read is refused with
// DbConflict; a mark out of the picture, a fuel level beyond a tank, a text too long or a contract
// that is gone with DbError. Throws DbError.
qint64 save(Database& db, const Sheet& sheet);
// The number the next mark of the stage gets: after every mark of the dispatch at return.
int nextMarkNumber(const std::optional<Sheet>& dispatch, const Sheet& sheet);

// The office's checklist of accessories, in its order. Throws DbError.
QStringList accessoryItems(Database& db);
// Replaces the checklist in one transaction (names trimmed, empty and repeated ones dropped). With
// asRead, a checklist changed elsewhere since it was read is refused with DbConflict. Throws DbError.
void setAccessoryItems(Database& db, const QStringList& items, const std::optional<QStringList>& asRead = std::nullopt);
// The checklist a new database starts with.
QStringList defaultAccessoryItems();

}  // namespace Handover
