#include "support/officewithroles.h"

#include "support/testsupport.h"

#include <QCoreApplication>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace {

void run(QSqlQuery& query, const QString& statement) {
    if (!query.exec(statement))
        qFatal("%s: %s", qPrintable(statement), qPrintable(query.lastError().text()));
}

} // namespace

OfficeWithRoles::OfficeWithRoles() : m_folder(m_dir.path()) {
    static int made = 0;
    const QString prefix = QStringLiteral("pelu_t%1_%2_").arg(QCoreApplication::applicationPid()).arg(++made);
    m_roles = {prefix + QStringLiteral("owner"), prefix + QStringLiteral("desk"),
               prefix + QStringLiteral("print")};
    m_database = prefix + QStringLiteral("office");
    onTestServer([&](QSqlQuery& query) {
        for (const QString& role : {m_roles.owner, m_roles.desk, m_roles.print}) {
            run(query, QStringLiteral("CREATE ROLE %1 LOGIN").arg(role));
            m_made << role;
        }
        run(query, QStringLiteral("CREATE DATABASE %1 OWNER %2").arg(m_database, m_roles.owner));
    });
    m_folder.prepare();
    const DatabaseTarget server = testServerDatabase(m_database);
    QSettings ini(m_folder.iniFile(), QSettings::IniFormat);
    ini.setValue(QStringLiteral("peludb/driver"), QStringLiteral("QPSQL"));
    ini.setValue(QStringLiteral("peludb/host"), server.host);
    ini.setValue(QStringLiteral("peludb/port"), server.port);
    ini.setValue(QStringLiteral("peludb/database"), m_database);
    ini.setValue(QStringLiteral("peludb/owner"), m_roles.owner);
    ini.setValue(QStringLiteral("peludb/user"), m_roles.desk);
    ini.setValue(QStringLiteral("peludb/printuser"), m_roles.print);
    ini.sync();
    Database owner(m_folder.ownerTarget(), Database::Mode::Create);
    ServerRoles::grant(owner, ServerRoles::of(m_folder));
}

OfficeWithRoles::~OfficeWithRoles() {
    onTestServer([&](QSqlQuery& query) {
        run(query, QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(m_database));
        for (const QString& role : m_made)
            run(query, QStringLiteral("DROP ROLE %1").arg(role));
    });
}

DatabaseTarget OfficeWithRoles::as(const QString& role) const {
    DatabaseTarget target = testServerDatabase(m_database);
    target.user = role;
    return target;
}

QString OfficeWithRoles::otherRole() {
    const QString role = m_roles.owner + QStringLiteral("_other");
    if (!m_made.contains(role)) {
        onTestServer([&](QSqlQuery& query) { run(query, QStringLiteral("CREATE ROLE %1 LOGIN").arg(role)); });
        m_made << role;
    }
    return role;
}
