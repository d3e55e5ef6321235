#include "shared/loginservice.h"

#include "foundation/database.h"
#include "foundation/passwordhash.h"
#include "shared/onlinedesks.h"
#include "shared/session.h"

#include <QSysInfo>

LoginService::LoginService(Database& database, Session& session) : m_database(database), m_session(session) {}

QStringList LoginService::offeredOperators() {
    return m_database.texts(QStringLiteral("SELECT 操作员 FROM czy WHERE 级别 <> '业务员' ORDER BY rid"), {},
                            QStringLiteral("读取操作员列表"));
}

void LoginService::pick(const QString& listText) {
    if (listText.isEmpty())
        return;
    QSqlQuery query = m_database.exec(QStringLiteral("SELECT 操作员, 口令 FROM czy WHERE 操作员 = ?"),
                                      {listText}, QStringLiteral("读取操作员"));
    if (!query.next())
        return;
    m_session.operatorName = query.value(QStringLiteral("操作员")).toString();
    m_storedHash = query.value(QStringLiteral("口令")).toString();
}

bool LoginService::announce(const QDateTime& moment) {
    try {
        return OnlineDesks::enter(m_database, m_session.operatorName, QSysInfo::machineHostName(), moment);
    } catch (const DatabaseError& error) {
        qWarning("%s", qUtf8Printable(error.message()));
        return true;
    }
}

bool LoginService::logIn(const QString& listText, const QString& typedPassword) {
    const bool valid = !typedPassword.isEmpty() && !listText.isEmpty() &&
                       m_session.operatorName == listText &&
                       PasswordHash::matches(m_storedHash, typedPassword.trimmed());
    if (!valid)
        return false;

    QSqlQuery query = m_database.exec(
        QStringLiteral(
            "SELECT 打印报表, 权限字符, 记录添加, 记录修改, 记录删除, 记录打印 FROM czy WHERE 操作员 = ?"),
        {listText}, QStringLiteral("读取操作员权限"));
    if (!query.next())
        return false;
    // A Null column grants nothing: nothing of the previous operator is kept.
    const auto value = [&query](const char* column) { return query.value(QString::fromUtf8(column)); };
    m_session.reportList = value("打印报表").toString();
    m_session.permissionString = value("权限字符").toString();
    m_session.denials.add = value("记录添加").toInt() == 1;
    m_session.denials.modify = value("记录修改").toInt() == 1;
    m_session.denials.remove = value("记录删除").toInt() == 1;
    m_session.flags = RecordFlags{};
    m_session.flags.printDenied = value("记录打印").toInt() == 1;
    m_session.usesShippedPassword = typedPassword.trimmed() == PasswordHash::shippedPassword();
    return true;
}
