#pragma once
// The login's check of an operator's password, on the one row it concerns.
#include "core/session.h"

#include <QString>
#include <QStringList>

class Database;

namespace Operators {

// Names for the login's list, in the order of 姓名 (ties in the order of entry); no other column
// of 权限表 is read.
QStringList names(Database& db);

enum class Login { Ok, WrongPassword };

// Compares typed with the password of the first operator called name (in the order of the list)
// and reads that row only. On a match op gets the operator's name, input method and rights (never
// the password), and a password still kept in clear text or as a digest weaker than today's is
// replaced by a new digest. An operator deleted meanwhile is a wrong password. Throws DbError when the row cannot be read.
Login login(Database& db, const QString& name, const QString& typed, Operator* op);

}  // namespace Operators
