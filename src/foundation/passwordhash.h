#pragma once

#include <QString>

// Operator passwords are kept only as salted Argon2id hashes.
namespace PasswordHash {

// The password a fresh office's Admin starts with (see README); hashed anew for every new database.
QString shippedPassword();

QString make(const QString& password);
bool matches(const QString& storedHash, const QString& password);

// Tests hash with the cheapest cost the algorithm allows, so that fresh databases are quick to
// make; the office always uses the interactive cost. A hash carries its cost, so both verify.
enum class Cost { Office, Cheapest };
void setCost(Cost cost);

} // namespace PasswordHash
