#include "core/password.h"

#include <QByteArray>
#include <QStringList>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace {

const QString kScheme = QStringLiteral("pbkdf2_sha256");
// The work factor recommended for PBKDF2-HMAC-SHA256 (about a fifth of a second here); stored with
// each digest, so raising it later leaves existing passwords valid.
constexpr int kIterations = 600000;
constexpr int kSaltBytes = 16;
constexpr int kDigestBytes = 32;

QByteArray upperAscii(const QString& s)
{
    QByteArray b = s.toUtf8();
    for (char& c : b)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return b;
}

QByteArray derive(const QByteArray& password, const QByteArray& salt, int iterations)
{
    QByteArray out(kDigestBytes, '\0');
    if (PKCS5_PBKDF2_HMAC(password.constData(), int(password.size()), reinterpret_cast<const unsigned char*>(salt.constData()),
                          int(salt.size()), iterations, EVP_sha256(), int(out.size()), reinterpret_cast<unsigned char*>(out.data()))
        != 1)
        return {};
    return out;
}

}  // namespace

namespace Password {

QString hash(const QString& password)
{
    QByteArray salt(kSaltBytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), int(salt.size())) != 1)
        qFatal("no random bytes for a password salt");
    const QByteArray digest = derive(upperAscii(password), salt, kIterations);
    if (digest.isEmpty())
        qFatal("password digest failed");
    return QStringList{kScheme, QString::number(kIterations), QString::fromLatin1(salt.toBase64()),
                       QString::fromLatin1(digest.toBase64())}
        .join(QLatin1Char('$'));
}

bool isHash(const QString& stored)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    return parts.size() == 4 && parts[0] == kScheme;
}

bool needsUpgrade(const QString& stored)
{
    if (!isHash(stored))
        return true;
    bool ok = false;
    const int iterations = stored.section(QLatin1Char('$'), 1, 1).toInt(&ok);
    return !ok || iterations < kIterations;
}

bool matches(const QString& stored, const QString& typed)
{
    if (!isHash(stored))
        return upperAscii(typed) == upperAscii(stored);
    const QStringList parts = stored.split(QLatin1Char('$'));
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray expected = QByteArray::fromBase64(parts[3].toLatin1());
    if (!ok || iterations < 1 || salt.isEmpty() || expected.size() != kDigestBytes)
        return false;
    const QByteArray digest = derive(upperAscii(typed), salt, iterations);
    return digest.size() == expected.size() && CRYPTO_memcmp(digest.constData(), expected.constData(), size_t(digest.size())) == 0;
}

}  // namespace Password
