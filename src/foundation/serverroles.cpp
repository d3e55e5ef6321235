#include "foundation/serverroles.h"

#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/sqlliteral.h"

namespace ServerRoles {

namespace {

const QString doing = QStringLiteral("分配数据库账户的权限");

// Refuses a role that does not exist or could undo its limits.
void checkRole(Database& owner, const QString& role, const QString& ownerName) {
    QSqlQuery found =
        owner.exec(QStringLiteral("SELECT rolsuper, pg_has_role(rolname, current_user, 'MEMBER') AS member "
                                  "FROM pg_roles WHERE rolname = ?"),
                   {role}, doing);
    if (!found.next())
        throw DatabaseError(
            QStringLiteral("数据库服务器上没有账户 %1，请先建立它（sudo -u postgres createuser "
                           "--pwprompt %1），再运行 pelu --create-database。权限没有改动。")
                .arg(role));
    if (found.value(QStringLiteral("rolsuper")).toBool())
        throw DatabaseError(QStringLiteral("账户 %1 是数据库服务器的超级用户，什么都能改，不能用作操作账户或"
                                           "打印账户。权限没有改动。")
                                .arg(role));
    if (found.value(QStringLiteral("member")).toBool())
        throw DatabaseError(QStringLiteral("账户 %1 是所有者 %2 的成员，拥有它的全部权限，不能用作操作账户或"
                                           "打印账户。权限没有改动。")
                                .arg(role, ownerName));
}

} // namespace

Roles of(const DataFolder& folder) {
    return {folder.ownerTarget().user, folder.databaseTarget().user, folder.printTarget().user};
}

bool mayChangeSchema(Database& database) {
    const QVariant owns = database.scalar(
        QStringLiteral("SELECT pg_has_role(current_user, tableowner, 'USAGE') FROM pg_tables "
                       "WHERE schemaname = current_schema() AND tablename = 'pelu_schema_version'"),
        {}, QStringLiteral("读取数据表的所有者"));
    return !owns.isValid() || owns.toBool();
}

QStringList grant(Database& owner, const Roles& roles) {
    const QString ownerName = owner.scalar(QStringLiteral("SELECT current_user"), {}, doing).toString();
    if (!mayChangeSchema(owner))
        throw DatabaseError(QStringLiteral("账户 %1 不是数据表的所有者，不能分配权限。请在 pelu.ini 的 "
                                           "[peludb] 中用 owner= 写明数据表的所有者。")
                                .arg(ownerName));
    const bool deskOwns = roles.desk.isEmpty() || roles.desk == ownerName;
    const bool printReads = !roles.print.isEmpty() && roles.print != ownerName && roles.print != roles.desk;
    if (!deskOwns)
        checkRole(owner, roles.desk, ownerName);
    if (printReads)
        checkRole(owner, roles.print, ownerName);

    const QString schema =
        SqlLiteral::name(owner.scalar(QStringLiteral("SELECT current_schema()"), {}, doing).toString());
    owner.transaction([&] {
        const auto run = [&](const QString& statement, const QString& role) {
            owner.exec(statement.arg(schema, SqlLiteral::name(role)), {}, doing);
        };
        for (const QString& role :
             {deskOwns ? QString() : roles.desk, printReads ? roles.print : QString()}) {
            if (role.isEmpty())
                continue;
            run(QStringLiteral("REVOKE ALL ON ALL TABLES IN SCHEMA %1 FROM %2"), role);
            run(QStringLiteral("REVOKE ALL ON ALL SEQUENCES IN SCHEMA %1 FROM %2"), role);
        }
        if (!deskOwns) {
            run(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA %1 TO %2"),
                roles.desk);
            // A backup reads where the keys stand.
            run(QStringLiteral("GRANT SELECT, USAGE ON ALL SEQUENCES IN SCHEMA %1 TO %2"), roles.desk);
            // The history grows only through its owner's functions; the schema's version is the owner's.
            run(QStringLiteral(
                    "REVOKE INSERT, UPDATE, DELETE ON %1.change_history, %1.pelu_schema_version, %1.pelu_bulk FROM %2"),
                roles.desk);
            // The name pieces and pinyin are written only by the triggers that follow the names, the lamp
            // tally by those that follow burials and payments.
            run(QStringLiteral("REVOKE INSERT, UPDATE, DELETE ON %1.name_pieces, %1.name_piece_positions, "
                               "%1.name_readings, %1.name_pinyin, %1.name_whole_pinyin, %1.lamp_tally, "
                               "%1.lamp_years FROM %2"),
                roles.desk);
        }
        if (printReads)
            run(QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA %1 TO %2"), roles.print);
        // Nobody but the owner's own triggers may call the recorder.
        owner.exec(
            QStringLiteral(
                "REVOKE ALL ON FUNCTION %1.pelu_record_change(), %1.pelu_refuse_change(), "
                "%1.pelu_keep_name_pieces(), %1.pelu_keep_whole_names(), %1.pelu_keep_lamp_registers(), "
                "%1.pelu_keep_lamp_payments() FROM PUBLIC")
                .arg(schema),
            {}, doing);
    });

    QStringList told;
    if (deskOwns)
        told << QStringLiteral("操作账户 %1 就是数据表的所有者：什么都能改，操作记录也能删改。"
                               "请另建操作账户，在 pelu.ini 中 user= 写它、owner= 写 %1。")
                    .arg(ownerName);
    else
        told << QStringLiteral("操作账户 %1：可以读写各数据表的记录，操作记录只能读；不能改数据表、触发器和"
                               "操作记录。")
                    .arg(roles.desk);
    if (printReads)
        told << QStringLiteral("打印账户 %1：只能读。").arg(roles.print);
    told << QStringLiteral("所有者 %1：只在建立、升级、复制和还原数据库时使用。").arg(ownerName);
    return told;
}

} // namespace ServerRoles
