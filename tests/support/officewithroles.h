#pragma once

#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/serverroles.h"

#include <QTemporaryDir>

// An office on the test server as the README sets one up: its tables belong to an owner role, the desks
// connect as a desk role and printing as a print role, all three made for this test (none a superuser)
// and removed with it; the data folder's pelu.ini names them. Made by --create-database's path.
class OfficeWithRoles {
public:
    OfficeWithRoles();
    ~OfficeWithRoles();
    const DataFolder& folder() const { return m_folder; }
    const ServerRoles::Roles& roles() const { return m_roles; }
    // Where the office is, reached as `role`.
    DatabaseTarget as(const QString& role) const;
    // A role of this test's own without any rights, made on first use.
    QString otherRole();

private:
    QTemporaryDir m_dir;
    DataFolder m_folder;
    ServerRoles::Roles m_roles;
    QString m_database;
    QStringList m_made;
};
