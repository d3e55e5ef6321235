#include "foundation/passwordhash.h"

#include "foundation/database.h"

#include <sodium.h>

namespace {

void ensureSodium() {
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw DatabaseError(QStringLiteral("无法初始化密码库"));
}

PasswordHash::Cost currentCost = PasswordHash::Cost::Office;

} // namespace

namespace PasswordHash {

QString shippedPassword() {
    return QStringLiteral("admin");
}

void setCost(Cost cost) {
    currentCost = cost;
}

QString make(const QString& password) {
    ensureSodium();
    const QByteArray utf8 = password.toUtf8();
    const bool office = currentCost == Cost::Office;
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, utf8.constData(), static_cast<unsigned long long>(utf8.size()),
                          office ? crypto_pwhash_OPSLIMIT_INTERACTIVE : crypto_pwhash_OPSLIMIT_MIN,
                          office ? crypto_pwhash_MEMLIMIT_INTERACTIVE : crypto_pwhash_MEMLIMIT_MIN) != 0)
        throw DatabaseError(QStringLiteral("内存不足，无法计算口令"));
    return QString::fromLatin1(hash);
}

bool matches(const QString& storedHash, const QString& password) {
    ensureSodium();
    const QByteArray hash = storedHash.toLatin1();
    if (hash.isEmpty() || hash.size() >= crypto_pwhash_STRBYTES)
        return false;
    const QByteArray utf8 = password.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), utf8.constData(),
                                    static_cast<unsigned long long>(utf8.size())) == 0;
}

} // namespace PasswordHash
