#pragma once

#include <QString>

// Operator passwords are kept only as salted Argon2id hashes.
namespace PasswordHash {

QString make(const QString& password);
bool matches(const QString& storedHash, const QString& password);

} // namespace PasswordHash
