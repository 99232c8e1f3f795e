#pragma once
// Operator passwords as stored in 权限表.操作口令: a salted, deliberately slow PBKDF2-HMAC-SHA256
// digest (OpenSSL), so neither the database nor a backup of it gives the passwords away.
// Letters a to z count without regard to case, as the login has always compared them.
#include <QString>

namespace Password {

// The stored form of a password: "pbkdf2_sha256$<iterations>$<salt>$<digest>" (base64).
QString hash(const QString& password);
// Whether a stored value is such a digest; anything else is a password kept in clear text by an
// earlier version, which the login upgrades.
bool isHash(const QString& stored);
// Whether a stored value is to be replaced by hash() at the next successful login: clear text, or
// a digest made with fewer iterations than hash() uses today.
bool needsUpgrade(const QString& stored);
// Whether typed is the password the stored value stands for (digest or clear text).
bool matches(const QString& stored, const QString& typed);

}  // namespace Password
