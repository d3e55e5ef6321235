#include "foundation/pgtools.h"

#include "foundation/database.h"
#include "foundation/sqlliteral.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryFile>

namespace PgTools {

namespace {

// Where and as whom the programs connect. They never ask for a password: there is nobody to answer.
QStringList connection(const DatabaseTarget& target) {
    QStringList arguments{QStringLiteral("--no-password")};
    if (!target.host.isEmpty())
        arguments << QStringLiteral("--host=") + target.host;
    arguments << QStringLiteral("--port=%1").arg(target.port);
    if (!target.user.isEmpty())
        arguments << QStringLiteral("--username=") + target.user;
    arguments << QStringLiteral("--dbname=") + target.database;
    return arguments;
}

// Runs one of the programs to its end and returns what it wrote; throws with what it said when it fails.
QByteArray run(const QString& program, const QStringList& arguments, const QString& doing) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // As long as pelu itself waits for a server that does not answer.
    environment.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("10"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted())
        throw DatabaseError(
            QStringLiteral("%1失败：找不到程序 %2，请安装 postgresql-client。").arg(doing, program));
    process.closeWriteChannel();
    process.waitForFinished(-1);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw DatabaseError(
            QStringLiteral("%1失败（%2）：%3")
                .arg(doing, program, QString::fromLocal8Bit(process.readAllStandardError()).trimmed()));
    return process.readAllStandardOutput();
}

// The backup's table of contents, one line an object; throws when the file is no custom-format backup.
QString contents(const QString& backup) {
    return QString::fromUtf8(run(QStringLiteral("pg_restore"), {QStringLiteral("--list"), backup},
                                 QStringLiteral("读取备份文件 %1").arg(backup)));
}

} // namespace

void dump(const DatabaseTarget& target, const QString& path) {
    run(QStringLiteral("pg_dump"),
        QStringList{QStringLiteral("--format=custom"), QStringLiteral("--file=") + path,
                    // A desk holding a table for a long change makes the copy fail rather than hang.
                    QStringLiteral("--lock-wait-timeout=60000")} +
            connection(target),
        QStringLiteral("备份数据库 %1").arg(target.describe()));
    contents(path);
}

QStringList tablesOf(const QString& backup) {
    // A table's line: "215; 1259 16390 TABLE public gm_xf1 pelu"; its rows are listed as TABLE DATA.
    static const QRegularExpression table(QStringLiteral("^\\d+; \\d+ \\d+ TABLE (?!DATA )\\S+ (\\S+) "),
                                          QRegularExpression::MultilineOption);
    QStringList tables;
    for (const QRegularExpressionMatch& match : table.globalMatch(contents(backup)))
        tables << match.captured(1);
    return tables;
}

int schemaVersionOf(const QString& backup) {
    const QString rows =
        QString::fromUtf8(run(QStringLiteral("pg_restore"),
                              {QStringLiteral("--data-only"), QStringLiteral("--table=pelu_schema_version"),
                               QStringLiteral("--file=-"), backup},
                              QStringLiteral("读取备份文件 %1").arg(backup)));
    // The rows follow "COPY public.pelu_schema_version (version) FROM stdin;", one a line.
    static const QRegularExpression version(QStringLiteral("^COPY \\S*pelu_schema_version .*\\n(-?\\d+)$"),
                                            QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = version.match(rows);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

void restore(const DatabaseTarget& target, const QString& backup, const QStringList& leftovers) {
    // pg_restore writes the statements in full first, so that a backup it cannot read to its end never
    // reaches the database; psql then runs them and the drops in one transaction.
    QTemporaryFile script;
    if (!script.open())
        throw DatabaseError(QStringLiteral("还原数据失败：无法建立临时文件。"));
    run(QStringLiteral("pg_restore"),
        {QStringLiteral("--clean"), QStringLiteral("--if-exists"), QStringLiteral("--no-owner"),
         QStringLiteral("--file=") + script.fileName(), backup},
        QStringLiteral("读取备份文件 %1").arg(backup));
    QStringList arguments{QStringLiteral("--no-psqlrc"), QStringLiteral("--quiet"),
                          QStringLiteral("--single-transaction"), QStringLiteral("--set=ON_ERROR_STOP=1")};
    for (const QString& table : leftovers)
        arguments << QStringLiteral("--command=DROP TABLE IF EXISTS %1 CASCADE").arg(SqlLiteral::name(table));
    arguments << QStringLiteral("--file=") + script.fileName();
    run(QStringLiteral("psql"), arguments + connection(target),
        QStringLiteral("还原数据到 %1").arg(target.describe()));
}

} // namespace PgTools
