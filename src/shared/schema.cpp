#include "shared/schema.h"

#include "foundation/database.h"
#include "foundation/passwordhash.h"
#include "foundation/sqlliteral.h"
#include "shared/lamptally.h"
#include "shared/namepieces.h"
#include "shared/onlinedesks.h"
#include "shared/rights.h"

#include <QRegularExpression>

namespace {

// Version 1: every table of the office, its indexes, and the rows a fresh office starts with.
// Money is REAL, numbers typed by the operator NUMERIC, flags INTEGER 0/1, dates TEXT yyyy-MM-dd and
// moments TEXT yyyy-MM-dd HH:mm:ss. Plots and niches carry their position key as a generated column.
QStringList version1() {
    QStringList steps = {
        // Operators and reference data
        QStringLiteral("CREATE TABLE czy (操作员 TEXT NOT NULL UNIQUE, 口令 TEXT, 级别 TEXT, 权限字符 TEXT, "
                       "打印报表 TEXT, 系统管理 INTEGER DEFAULT 0, 记录添加 INTEGER DEFAULT 0, "
                       "记录修改 INTEGER DEFAULT 0, 记录删除 INTEGER DEFAULT 0, 记录打印 INTEGER DEFAULT 0)"),
        QStringLiteral("CREATE TABLE gx (gx TEXT UNIQUE)"),
        QStringLiteral("CREATE TABLE mblx (mblx TEXT, zblx TEXT, dblx TEXT)"),
        QStringLiteral("CREATE TABLE yhxx (dwmc TEXT, zt TEXT, ztdx REAL, ztys TEXT, bjt TEXT)"),
        QStringLiteral("CREATE TABLE mpic (mstyle TEXT, picno INTEGER, picpath TEXT, memo TEXT, "
                       "UNIQUE (mstyle, picno))"),

        // The cemetery
        QStringLiteral(
            "CREATE TABLE mq_wz (墓区 TEXT, 排 TEXT, 号 TEXT, 样式 TEXT, 墓地费 REAL, 墓碑费 REAL, "
            "工料费 REAL, 家族费 REAL, 绿化费 REAL, 其它 REAL, 状态 TEXT, 寿穴 INTEGER, "
            "墓碑位置 TEXT GENERATED ALWAYS AS (CASE WHEN 号 IS NULL OR 号 = '' THEN NULL ELSE "
            "墓区 || CASE WHEN ifnull(排, '') = '' THEN '' ELSE 排 || '排' END || 号 || '号' END) VIRTUAL)"),
        QStringLiteral("CREATE INDEX mq_wz_place ON mq_wz (墓区, 排, 号)"),
        QStringLiteral("CREATE INDEX mq_wz_key ON mq_wz (墓碑位置)"),
        QStringLiteral("CREATE INDEX mq_wz_state ON mq_wz (状态)"),
        QStringLiteral(
            "CREATE TABLE gm_dj (编号 NUMERIC, 墓碑位置 TEXT, 购墓日期 TEXT, 日期起 TEXT, 日期止 TEXT, "
            "联系人 TEXT, 身份证号 TEXT, 工作单位 TEXT, 家庭住址 TEXT, 联系电话 TEXT, 手机 TEXT, 操作员 TEXT, "
            "业务员 TEXT, 墓碑类型 TEXT, 主碑材质 TEXT, 底碑材质 TEXT, 故者姓名 TEXT, 性别 TEXT, 籍贯 TEXT, "
            "生前单位 TEXT, 出生日期 TEXT, 逝世日期 TEXT, 落葬日期 TEXT, 关系 TEXT, 备注 TEXT, 证书编号 TEXT)"),
        QStringLiteral("CREATE INDEX gm_dj_key ON gm_dj (墓碑位置)"),
        QStringLiteral("CREATE INDEX gm_dj_bought ON gm_dj (购墓日期)"),
        QStringLiteral(
            "CREATE TABLE gm_xr (墓碑位置 TEXT, 故者姓名A TEXT, 性别A TEXT, 故者姓名B TEXT, 性别B TEXT, "
            "故者姓名C TEXT, 性别C TEXT, 故者姓名D TEXT, 性别D TEXT)"),
        QStringLiteral("CREATE INDEX gm_xr_key ON gm_xr (墓碑位置)"),
        QStringLiteral(
            "CREATE TABLE gm_xf1 (id INTEGER PRIMARY KEY AUTOINCREMENT, 编号 NUMERIC, "
            "墓碑位置 TEXT, 购墓日期 TEXT, 日期起 TEXT, 日期止 TEXT, 联系人 TEXT, 联系电话 TEXT, 手机 TEXT, "
            "工作单位 TEXT, 安葬日期 TEXT, 故者姓名 TEXT, 墓地费 REAL, 墓碑费 REAL, 家庭墓费 REAL, 工料费 REAL, "
            "管理费 REAL, 绿化费 REAL, 其它费 REAL, qt TEXT, qtf REAL, 小计 REAL, 合计 REAL, 备注 TEXT, "
            "操作方式 TEXT, 操作员 TEXT, 操作日期 TEXT)"),
        QStringLiteral("CREATE INDEX gm_xf1_key ON gm_xf1 (墓碑位置)"),
        QStringLiteral("CREATE INDEX gm_xf1_moment ON gm_xf1 (操作日期)"),
        QStringLiteral(
            "CREATE TABLE gm_qtf (编号 NUMERIC, 墓碑位置 TEXT, 联系人 TEXT, 公墓证 REAL, 数量1 REAL, "
            "合计1 REAL, 香币 REAL, 数量2 REAL, 合计2 REAL, 塑料袋 REAL, 数量3 REAL, 合计3 REAL, 瓷像 REAL, "
            "数量4 REAL, 合计4 REAL, 刻字 REAL, 数量5 REAL, 合计5 REAL, 镏金 REAL, 数量6 REAL, 合计6 REAL, "
            "施工 REAL, 吉祥号 REAL, 合墓 REAL, 外运 REAL, 二次安葬 REAL, 车费 REAL, 特修 REAL, QT TEXT, "
            "QTF REAL, 合计 REAL, 操作人 TEXT, 操作日期 TEXT)"),
        QStringLiteral("CREATE INDEX gm_qtf_key ON gm_qtf (墓碑位置)"),
        QStringLiteral("CREATE INDEX gm_qtf_moment ON gm_qtf (操作日期)"),
        QStringLiteral(
            "CREATE TABLE ydmd (id INTEGER PRIMARY KEY AUTOINCREMENT, 编号 NUMERIC, 墓碑位置 TEXT, "
            "联系人 TEXT, 身份证号 TEXT, 家庭住址 TEXT, 联系电话 TEXT, 工作单位 TEXT, 预交金额 REAL, 成交金额 REAL, "
            "补交金额 REAL, 余额 REAL, 操作员 TEXT, 操作时间 TEXT, 提醒日期 TEXT, 需要提醒 INTEGER)"),
        QStringLiteral("CREATE INDEX ydmd_key ON ydmd (墓碑位置)"),
        QStringLiteral("CREATE INDEX ydmd_reminder ON ydmd (提醒日期)"),
        QStringLiteral(
            "CREATE TABLE yd_tm (编号 TEXT, 墓碑位置 TEXT, 联系人 TEXT, 家庭住址 TEXT, 联系电话 TEXT, "
            "工作单位 TEXT, 退费金额 REAL, 操作员 TEXT, 操作时间 TEXT)"),
        QStringLiteral("CREATE INDEX yd_tm_key ON yd_tm (墓碑位置)"),
        QStringLiteral(
            "CREATE TABLE mq_tm (编号 NUMERIC, 墓碑位置 TEXT, 联系人 TEXT, 工作单位 TEXT, 联系电话 TEXT, "
            "墓地费 REAL, 墓碑费 REAL, 家庭墓费 REAL, 工料费 REAL, 管理费 REAL, 绿化费 REAL, 其它费 REAL, 小计 REAL, "
            "合计 REAL, 备注 TEXT, 操作员 TEXT, 操作日期 TEXT)"),
        QStringLiteral("CREATE INDEX mq_tm_key ON mq_tm (墓碑位置)"),
        QStringLiteral("CREATE INDEX mq_tm_moment ON mq_tm (操作日期)"),
        QStringLiteral("CREATE TABLE mq_bwl (id INTEGER PRIMARY KEY AUTOINCREMENT, 墓碑位置 TEXT, "
                       "登记时间 TEXT, 内容 TEXT)"),
        QStringLiteral("CREATE INDEX mq_bwl_key ON mq_bwl (墓碑位置)"),
        QStringLiteral(
            "CREATE TABLE cjdd (墓碑位置 TEXT, 故者姓名 TEXT, 联系人 TEXT, 联系电话 TEXT, 落葬日期 TEXT, "
            "交款金额 REAL, 交款日期 TEXT, 起始年份 TEXT, 终止年份 TEXT, 点灯标志 INTEGER, 操作人 TEXT)"),
        QStringLiteral("CREATE INDEX cjdd_key ON cjdd (墓碑位置)"),
        QStringLiteral(
            "CREATE TABLE jmsg (墓地位置 TEXT, 故者姓名 TEXT, 墓型 TEXT, 穴位深度 REAL, 墓面铺设 TEXT, "
            "穴位数量 REAL, 竣工时间 TEXT, 备注 TEXT, 编号 TEXT)"),
        QStringLiteral("CREATE INDEX jmsg_key ON jmsg (墓地位置)"),
        QStringLiteral(
            "CREATE TABLE jmsgys (墓地位置 TEXT, 故者姓名 TEXT, 所建墓型 TEXT, 穴位深度 REAL, 穴位数量 REAL, "
            "竣工时间 TEXT, 建墓质量评定 TEXT, 需整改内容 TEXT, 验收人 TEXT, 施工方代表 TEXT, 工程部代表 TEXT, 编号 TEXT)"),
        QStringLiteral("CREATE INDEX jmsgys_key ON jmsgys (墓地位置)"),

        // The columbarium
        QStringLiteral("CREATE TABLE ghjc_wz (厅 TEXT, 室 TEXT, 层 TEXT, 号 TEXT, 样式 TEXT, 价位 REAL, "
                       "状态 TEXT, "
                       "存放位置 TEXT GENERATED ALWAYS AS (CASE WHEN 号 IS NULL OR 号 = '' THEN NULL ELSE "
                       "厅 || ifnull(室, '') || '室' || 号 || '号' END) VIRTUAL)"),
        QStringLiteral("CREATE INDEX ghjc_wz_place ON ghjc_wz (厅, 室, 层, 号)"),
        QStringLiteral("CREATE INDEX ghjc_wz_key ON ghjc_wz (存放位置)"),
        QStringLiteral(
            "CREATE TABLE ghjc_dj (id INTEGER PRIMARY KEY AUTOINCREMENT, 存放位置 TEXT, "
            "骨灰盒型 TEXT, 故者姓名 TEXT, 性别 TEXT, 出生日期 TEXT, 逝世日期 TEXT, 籍贯 TEXT, 生前单位 TEXT, "
            "日期起 TEXT, 日期止 TEXT, 联系人 TEXT, 关系 TEXT, 工作单位 TEXT, 身份证号 TEXT, 家庭住址 TEXT, "
            "联系电话 TEXT, 电子信箱 TEXT, 备注 TEXT)"),
        QStringLiteral("CREATE INDEX ghjc_dj_key ON ghjc_dj (存放位置)"),
        QStringLiteral(
            "CREATE TABLE ghjc_xf1 (id INTEGER PRIMARY KEY AUTOINCREMENT, 存放位置 TEXT, "
            "故者姓名 TEXT, 联系人 TEXT, 日期起 TEXT, 日期止 TEXT, 应收费 REAL, 实收费 REAL, 操作方式 TEXT, "
            "操作员 TEXT, 操作日期 TEXT)"),
        QStringLiteral("CREATE INDEX ghjc_xf1_key ON ghjc_xf1 (存放位置)"),
        QStringLiteral("CREATE INDEX ghjc_xf1_moment ON ghjc_xf1 (操作日期)"),
        QStringLiteral(
            "CREATE TABLE ghjc_xf2 (存放位置 TEXT, 联系人 TEXT, 寄存证 REAL, 数量1 REAL, 合计1 REAL, "
            "香币 REAL, 数量2 REAL, 合计2 REAL, 小牌位 REAL, 数量3 REAL, 合计3 REAL, 瓷像 REAL, 数量4 REAL, "
            "合计4 REAL, 层次费 REAL, 其它费 REAL, 总计 REAL, 操作员 TEXT, 操作日期 TEXT)"),
        QStringLiteral("CREATE INDEX ghjc_xf2_key ON ghjc_xf2 (存放位置)"),
        QStringLiteral("CREATE INDEX ghjc_xf2_moment ON ghjc_xf2 (操作日期)"),
        QStringLiteral(
            "CREATE TABLE jc_tf (存放位置 TEXT, 联系人 TEXT, 工作单位 TEXT, 应退金额 REAL, 操作员 TEXT, "
            "操作日期 TEXT)"),
        QStringLiteral("CREATE INDEX jc_tf_key ON jc_tf (存放位置)"),
        QStringLiteral("CREATE INDEX jc_tf_moment ON jc_tf (操作日期)"),
        QStringLiteral("CREATE TABLE jc_bwl (id INTEGER PRIMARY KEY AUTOINCREMENT, 寄存位置 TEXT, "
                       "操作时间 TEXT, 备忘内容 TEXT)"),
        QStringLiteral("CREATE INDEX jc_bwl_key ON jc_bwl (寄存位置)"),

        // Work tables of the statistics windows
        QStringLiteral("CREATE TABLE MwxsSjdtj (类型 TEXT, 位置数 REAL, 百分比 REAL)"),
        QStringLiteral("CREATE TABLE CountXsYear (月份 TEXT, 销售量 REAL)"),
        QStringLiteral("CREATE TABLE Bxxstj (tjmc TEXT, xssl REAL, Bfb REAL)"),
        QStringLiteral("CREATE TABLE jcxstj (类型 TEXT, 位置数 REAL, 百分比 REAL)"),
        QStringLiteral("CREATE TABLE Jczdyntj (月份 TEXT, 销售量 REAL)"),
    };

    // What a fresh office starts with
    // Admin's password hash is written by the seed, with a salt of this database's own.
    steps << QStringLiteral(
                 "INSERT INTO czy (操作员, 级别, 权限字符, 打印报表) VALUES ('Admin', '系统员', %1, %2)")
                 .arg(SqlLiteral::text(QString(Item::Count, QLatin1Char('f'))),
                      SqlLiteral::text(Rights::fullReportList()));
    steps << QStringLiteral("INSERT INTO yhxx (dwmc, zt, ztdx, ztys, bjt) VALUES ('公墓管理处', "
                            "'WenQuanYi Micro Hei', 36, '蓝色', '无')");
    for (const char* relation : {"父子", "父女", "母子", "母女", "夫妻", "兄弟", "姐妹", "兄妹", "姐弟",
                                 "祖孙", "亲属", "朋友", "其他"})
        steps << QStringLiteral("INSERT INTO gx (gx) VALUES (%1)")
                     .arg(SqlLiteral::text(QString::fromUtf8(relation)));
    return steps;
}

void seedVersion1(Database& database) {
    database.exec(QStringLiteral("UPDATE czy SET 口令 = ? WHERE 操作员 = 'Admin'"),
                  {PasswordHash::make(PasswordHash::shippedPassword())}, QStringLiteral("设置初始口令"));
}

// Version 2: every table without an id of its own gets the surrogate key rid as its first column,
// so that a row is addressed by a key of the table and not by the engine's rowid. SQLite cannot add
// a primary key to a table: each one is rebuilt from its own CREATE text, keeping its rows (rid is
// the old rowid), constraints, generated columns and indexes.
void addRowKeys(Database& database) {
    const QString doing = QStringLiteral("升级数据库结构到版本 2");
    if (database.isServer()) {
        // A server adds the key in place (as the last column) and numbers the rows there are.
        for (const QString& table : database.tableNames())
            if (database.rowKeyColumn(table).isEmpty())
                database.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN rid BIGINT GENERATED BY DEFAULT AS "
                                             "IDENTITY PRIMARY KEY")
                                  .arg(table),
                              {}, doing);
        return;
    }
    QList<std::pair<QString, QString>> rebuilt;
    for (const StoredRow& table : database.rows(
             QStringLiteral("SELECT m.name, m.sql FROM sqlite_master m WHERE m.type = 'table' AND m.name NOT "
                            "LIKE 'sqlite%' AND NOT EXISTS (SELECT 1 FROM pragma_table_info(m.name) c WHERE "
                            "c.pk > 0) ORDER BY m.name"),
             {}, doing))
        rebuilt.append({table.text(QStringLiteral("name")), table.text(QStringLiteral("sql"))});
    for (const auto& [table, create] : rebuilt) {
        const QString building = table + QStringLiteral("_v2");
        // Generated columns cannot be written; they are computed again in the new table.
        const QString stored =
            database
                .texts(QStringLiteral("SELECT name FROM pragma_table_xinfo(?) WHERE hidden = 0 ORDER BY cid"),
                       {table}, doing)
                .join(QStringLiteral(", "));
        const QStringList indexes =
            database.texts(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'index' AND "
                                          "tbl_name = ? AND sql IS NOT NULL ORDER BY name"),
                           {table}, doing);
        database.exec(QStringLiteral("CREATE TABLE %1 (rid INTEGER PRIMARY KEY, ").arg(building) +
                          create.mid(create.indexOf(QLatin1Char('(')) + 1),
                      {}, doing);
        database.exec(
            QStringLiteral("INSERT INTO %1 (rid, %2) SELECT rowid, %2 FROM %3").arg(building, stored, table),
            {}, doing);
        database.exec(QStringLiteral("DROP TABLE ") + table, {}, doing);
        database.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(building, table), {}, doing);
        for (const QString& index : indexes)
            database.exec(index, {}, doing);
    }
}

// Version 3: the change history. Every insert, update and delete of an office table is recorded by
// triggers in the same transaction as the change, with the moment, operator and window the Database
// keeps in change_context. The history itself refuses to be changed or emptied; as no row ever leaves
// it, its ids grow without AUTOINCREMENT and its bookkeeping write at every change.
QStringList version3() {
    return {
        QStringLiteral(
            "CREATE TABLE change_context (rid INTEGER PRIMARY KEY, 时间 TEXT, 操作员 TEXT, 窗口 TEXT)"),
        QStringLiteral("INSERT INTO change_context (时间, 操作员, 窗口) VALUES (NULL, '', '')"),
        QStringLiteral(
            "CREATE TABLE change_history (id INTEGER PRIMARY KEY, 时间 TEXT, "
            "操作员 TEXT, 窗口 TEXT, 表 TEXT, 行 INTEGER, 位置 TEXT, 操作 TEXT, 之前 TEXT, 之后 TEXT)"),
        QStringLiteral("CREATE INDEX change_history_moment ON change_history (时间)"),
        QStringLiteral("CREATE INDEX change_history_table ON change_history (表)"),
        QStringLiteral("CREATE INDEX change_history_key ON change_history (位置)"),
        QStringLiteral("CREATE INDEX change_history_operator ON change_history (操作员)"),
    };
}

// The history refuses to be changed or emptied.
void protectHistory(Database& database) {
    const QString doing = QStringLiteral("建立操作记录");
    if (!database.isServer()) {
        database.exec(
            QStringLiteral("CREATE TRIGGER change_history_no_update BEFORE UPDATE ON change_history "
                           "BEGIN SELECT RAISE(ABORT, '操作记录不能修改'); END"),
            {}, doing);
        database.exec(
            QStringLiteral("CREATE TRIGGER change_history_no_delete BEFORE DELETE ON change_history "
                           "BEGIN SELECT RAISE(ABORT, '操作记录不能删除'); END"),
            {}, doing);
        return;
    }
    database.exec(
        QStringLiteral("CREATE FUNCTION pelu_refuse_change() RETURNS trigger LANGUAGE plpgsql AS $$ "
                       "BEGIN RAISE EXCEPTION '%', TG_ARGV[0]; END $$"),
        {}, doing);
    database.exec(QStringLiteral("CREATE TRIGGER change_history_no_update BEFORE UPDATE ON change_history "
                                 "FOR EACH ROW EXECUTE FUNCTION pelu_refuse_change('操作记录不能修改')"),
                  {}, doing);
    database.exec(QStringLiteral("CREATE TRIGGER change_history_no_delete BEFORE DELETE ON change_history "
                                 "FOR EACH ROW EXECUTE FUNCTION pelu_refuse_change('操作记录不能删除')"),
                  {}, doing);
}

// The one function a server's recording triggers call: the table's row key column and position key
// column come as the trigger's arguments, the moment, operator and window from the settings the
// Database gives each transaction. It runs with its owner's rights, the only role that may add to the
// history; nobody else may call it (so no desk can hang it on a table of its own and forge rows). A copy
// from another database (pelu.copying) is no change of its own, and only the owner may say so.
const QString serverRecorder = QStringLiteral(
    "CREATE OR REPLACE FUNCTION pelu_record_change() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER "
    "SET search_path = %1, pg_temp AS $$ "
    "DECLARE changed jsonb; "
    "BEGIN "
    "IF current_setting('pelu.copying', true) = 'on' AND pg_has_role(session_user, current_user, 'USAGE') "
    "THEN RETURN NULL; END IF; %2"
    "IF TG_OP = 'DELETE' THEN changed := to_jsonb(OLD); ELSE changed := to_jsonb(NEW); END IF; "
    "INSERT INTO change_history (时间, 操作员, 窗口, 表, 行, 位置, 操作, 之前, 之后) VALUES ("
    "NULLIF(current_setting('pelu.moment', true), ''), COALESCE(current_setting('pelu.operator', true), ''), "
    "COALESCE(current_setting('pelu.window', true), ''), TG_TABLE_NAME, CAST(changed ->> TG_ARGV[0] AS bigint), "
    "CASE WHEN TG_ARGV[1] = '' THEN NULL ELSE changed ->> TG_ARGV[1] END, "
    "CASE TG_OP WHEN 'INSERT' THEN '添加' WHEN 'UPDATE' THEN '修改' ELSE '删除' END, "
    "CASE WHEN TG_OP = 'INSERT' THEN NULL ELSE CAST(to_jsonb(OLD) AS text) END, "
    "CASE WHEN TG_OP = 'DELETE' THEN NULL ELSE CAST(to_jsonb(NEW) AS text) END); "
    "RETURN NULL; "
    "END $$");

// Where the history knows bulk actions: a bulk action of this transaction was recorded by the function
// below, which alone may write pelu_bulk; a desk setting pelu.bulk by hand is not enough.
const QString serverBulkCheck = QStringLiteral(
    "IF current_setting('pelu.bulk', true) = CAST(txid_current() AS text) AND EXISTS (SELECT 1 FROM pelu_bulk "
    "WHERE txid = txid_current()) THEN RETURN NULL; END IF; ");

// A bulk action's line in a server's history, written by the history's owner; only with it does the
// row-by-row record stop, for this transaction (the setting ends with it, or when its savepoint rolls
// back).
const QString serverBulkRecorder = QStringLiteral(
    "CREATE OR REPLACE FUNCTION pelu_record_bulk(changed_table text, action text, summary text, keys text) "
    "RETURNS void LANGUAGE plpgsql SECURITY DEFINER SET search_path = %1, pg_temp AS $$ "
    "BEGIN "
    "INSERT INTO change_history (时间, 操作员, 窗口, 表, 操作, 之后, 位置表) VALUES ("
    "NULLIF(current_setting('pelu.moment', true), ''), COALESCE(current_setting('pelu.operator', true), ''), "
    "COALESCE(current_setting('pelu.window', true), ''), changed_table, action, summary, keys); "
    "INSERT INTO pelu_bulk (txid) VALUES (txid_current()) ON CONFLICT DO NOTHING; "
    "PERFORM set_config('pelu.bulk', CAST(txid_current() AS text), true); "
    "END $$");

QString currentSchema(Database& database) {
    return SqlLiteral::name(
        database.scalar(QStringLiteral("SELECT current_schema()"), {}, QStringLiteral("读取数据库结构"))
            .toString());
}

// Whether this schema already records bulk actions as one line (version 9 on).
bool knowsBulk(Database& database) {
    return database.isServer()
               ? database.hasTable(QStringLiteral("pelu_bulk"))
               : database.columnNames(QStringLiteral("change_context")).contains(QStringLiteral("批量"));
}

// The statistics windows empty and refill their work tables on every run: nothing of the office's.
// Asked for when needed: the piece tables' names live in another file, whose constants may not be made
// yet while this file's are.
QStringList unrecordedTables() {
    return QStringList{QStringLiteral("change_context"), QStringLiteral("change_history"),
                       QStringLiteral("MwxsSjdtj"), QStringLiteral("CountXsYear"), QStringLiteral("Bxxstj"),
                       QStringLiteral("jcxstj"), QStringLiteral("Jczdyntj"),
                       // Who is logged in is the desks' own bookkeeping, rewritten at every login.
                       QStringLiteral("online_desks")} +
           // The name pieces follow the names, the lamp tally the burials and payments: derived, not the
           // office's.
           NamePieces::tables() + LampTally::tables();
}

// The column that names a row's plot or niche, where its table has one.
const QStringList keyColumns = {QStringLiteral("墓碑位置"), QStringLiteral("存放位置"),
                                QStringLiteral("寄存位置"), QStringLiteral("墓地位置")};

// (Re)creates the three recording triggers of every office table from its present columns, generated
// ones included, so the key of a plot is recorded too. Dropping or rebuilding a table drops its
// triggers: a later migration that changes a table must call this again.
void createHistoryTriggers(Database& database) {
    const QString doing = QStringLiteral("建立操作记录");
    const bool bulk = knowsBulk(database);
    if (database.isServer())
        database.exec(serverRecorder.arg(currentSchema(database), bulk ? serverBulkCheck : QString()), {},
                      doing);
    const QStringList unrecorded = unrecordedTables();
    for (const QString& table : database.tableNames()) {
        if (unrecorded.contains(table, Qt::CaseInsensitive))
            continue;
        const QStringList columns = database.columnNames(table);
        const QString rowKey = database.rowKeyColumn(table);
        QString key;
        for (const QString& candidate : keyColumns)
            if (key.isEmpty() && columns.contains(candidate))
                key = candidate;
        if (database.isServer()) {
            const QString trigger = table + QStringLiteral("_history");
            database.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(trigger, table), {}, doing);
            database.exec(
                QStringLiteral("CREATE TRIGGER %1 AFTER INSERT OR UPDATE OR DELETE ON %2 FOR EACH ROW "
                               "EXECUTE FUNCTION pelu_record_change('%3', '%4')")
                    .arg(trigger, table, rowKey, key),
                {}, doing);
            continue;
        }
        const auto json = [&](const QString& row) {
            QStringList pairs;
            for (const QString& column : columns)
                pairs << QStringLiteral("'%1', %2.\"%1\"").arg(column, row);
            return QStringLiteral("json_object(%1)").arg(pairs.join(QStringLiteral(", ")));
        };
        struct Event {
            QString name, action, row, before, after;
        };
        const QList<Event> events = {
            {QStringLiteral("INSERT"), QStringLiteral("添加"), QStringLiteral("new"), QStringLiteral("NULL"),
             json(QStringLiteral("new"))},
            {QStringLiteral("UPDATE"), QStringLiteral("修改"), QStringLiteral("new"),
             json(QStringLiteral("old")), json(QStringLiteral("new"))},
            {QStringLiteral("DELETE"), QStringLiteral("删除"), QStringLiteral("old"),
             json(QStringLiteral("old")), QStringLiteral("NULL")},
        };
        for (const Event& event : events) {
            const QString trigger = QStringLiteral("%1_history_%2").arg(table, event.name.toLower());
            database.exec(QStringLiteral("DROP TRIGGER IF EXISTS ") + trigger, {}, doing);
            database.exec(
                QStringLiteral(
                    "CREATE TRIGGER %1 AFTER %2 ON %3 BEGIN INSERT INTO change_history (时间, 操作员, "
                    "窗口, 表, 行, 位置, 操作, 之前, 之后) SELECT c.时间, c.操作员, c.窗口, '%3', "
                    "%4.%5, %6, '%7', %8, %9 FROM change_context c%10; END")
                    .arg(trigger, event.name, table, event.row, rowKey,
                         key.isEmpty() ? QStringLiteral("NULL") : event.row + QLatin1Char('.') + key,
                         event.action, event.before, event.after,
                         // Database::deleteInBulk knows the history's triggers by this test.
                         bulk ? QStringLiteral(" WHERE c.批量 = 0") : QString()),
                {}, doing);
        }
    }
}

// Version 9: a bulk action (a set-up run, a range deleted, a place removed, a restriction, a purge)
// is recorded as one line per table, with its positions in short, instead of a line per row.
void recordBulkActions(Database& database) {
    const QString doing = QStringLiteral("建立操作记录");
    // A step taken again (an upgrade stopped by a later one's failure) finds its columns there.
    const auto addColumn = [&](const QString& table, const QString& column, const QString& type) {
        if (!database.columnNames(table).contains(column))
            database.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(table, column, type), {},
                          doing);
    };
    addColumn(QStringLiteral("change_history"), QStringLiteral("位置表"), QStringLiteral("TEXT"));
    // A server keeps the flag elsewhere (below), yet has the same tables and columns as one desk.
    addColumn(QStringLiteral("change_context"), QStringLiteral("批量"),
              QStringLiteral("INTEGER NOT NULL DEFAULT 0"));
    if (database.isServer()) {
        database.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS pelu_bulk (txid BIGINT PRIMARY KEY)"), {},
                      doing);
        database.exec(serverBulkRecorder.arg(currentSchema(database)), {}, doing);
    }
    createHistoryTriggers(database);
}

// Version 12: a sale's fee row keeps the prepaid amount and balance of the reservation it settled, which
// its receipt prints; they were read back from the change history before. Past sales take them from
// there once: the reservation deleted by the sale's own transaction (same moment, operator and window,
// after the fee row), 0 for a sale the history shows without one, and nothing where the history does
// not reach back to the sale.
void keepSettledAmounts(Database& database) {
    const QString doing = QStringLiteral("记录交清的预订金额");
    const QStringList amounts{QStringLiteral("预交金额"), QStringLiteral("余额")};
    for (const QString& column : amounts)
        if (!database.columnNames(QStringLiteral("gm_xf1")).contains(column))
            database.exec(QStringLiteral("ALTER TABLE gm_xf1 ADD COLUMN %1 REAL").arg(column), {}, doing);
    // The history records the new columns too.
    createHistoryTriggers(database);
    const QString sale = QStringLiteral(
        "FROM change_history a %1 WHERE a.位置 = gm_xf1.墓碑位置 AND a.表 = 'gm_xf1' AND a.行 = gm_xf1.id AND "
        "a.操作 = '添加'");
    // A lone action's window (and an unnamed operator) is recorded as nothing.
    const QString same = database.isServer() ? QStringLiteral("d.%1 IS NOT DISTINCT FROM a.%1")
                                             : QStringLiteral("d.%1 IS a.%1");
    const QString settled =
        sale.arg(QStringLiteral("JOIN change_history d ON d.位置 = a.位置 AND d.表 = 'ydmd' AND "
                                "d.操作 = '删除' AND d.id > a.id AND %1 AND %2 AND %3")
                     .arg(same.arg(QStringLiteral("时间")), same.arg(QStringLiteral("操作员")),
                          same.arg(QStringLiteral("窗口"))));
    QStringList settings;
    for (const QString& column : amounts)
        settings << QStringLiteral(
                        "%1 = COALESCE((SELECT %2 %3 ORDER BY d.id LIMIT 1), (SELECT 0 %4 LIMIT 1))")
                        .arg(column,
                             database.isServer()
                                 ? QStringLiteral("CAST(CAST(d.之前 AS jsonb) ->> '%1' AS DOUBLE PRECISION)")
                                       .arg(column)
                                 : QStringLiteral("json_extract(d.之前, '$.%1')").arg(column),
                             settled, sale.arg(QString()));
    const QString sales = QStringLiteral("FROM gm_xf1 WHERE 操作方式 = '购墓'");
    const qint64 rows = database.scalar(QStringLiteral("SELECT COUNT(*) ") + sales, {}, doing).toLongLong();
    database.inBulk({{QStringLiteral("gm_xf1"),
                      QStringLiteral("批量修改"),
                      QStringLiteral("升级：购墓收费记录记下所交清预订的预交金额和余额"),
                      rows,
                      {}}},
                    [&] {
                        database.exec(QStringLiteral("UPDATE gm_xf1 SET %1 WHERE 操作方式 = '购墓'")
                                          .arg(settings.join(QStringLiteral(", "))),
                                      {}, doing);
                    });
}

// Version 10: an index whose columns begin another index of its table answers nothing the longer one
// does not, and costs every insert and delete (a purge of twenty years most of all).
QStringList leanerIndexes() {
    return {
        QStringLiteral("DROP INDEX IF EXISTS gm_xf1_moment"),
        QStringLiteral("DROP INDEX IF EXISTS cjdd_key"),
        QStringLiteral("DROP INDEX IF EXISTS gm_dj_bought"),
        QStringLiteral("DROP INDEX IF EXISTS gm_dj_key"),
        QStringLiteral("DROP INDEX IF EXISTS mq_wz_state"),
    };
}

// A city's office on one desk: a year's lamp payments come in plot order from an index that holds
// the year, the plot and the date its list checks, instead of every payment of the year sorted first;
// the few rows that are not plots (an area's or a hall's marker) are counted apart, so that the count
// of all plots and niches is the table's own count less theirs. An upgrade taken again finds them there.
QStringList officeScaleIndexes() {
    return {
        QStringLiteral(
            "CREATE INDEX IF NOT EXISTS cjdd_year ON cjdd ((substr(交款日期, 1, 4)), 墓碑位置, 交款日期)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS mq_wz_marker ON mq_wz (墓区) WHERE 号 IS NULL OR 号 = ''"),
        QStringLiteral(
            "CREATE INDEX IF NOT EXISTS ghjc_wz_marker ON ghjc_wz (厅) WHERE 号 IS NULL OR 号 = ''"),
    };
}

// Who is logged in where: a row for each desk's server session, by the session's process number and
// its start, so that a number the server hands out again never brings back an old desk.
QStringList onlineDesks() {
    return {QStringLiteral(
        "CREATE TABLE IF NOT EXISTS online_desks (rid INTEGER PRIMARY KEY, 连接 BIGINT NOT NULL "
        "UNIQUE, 连接开始 TEXT NOT NULL, 操作员 TEXT NOT NULL, 电脑 TEXT NOT NULL, 登录时间 TEXT "
        "NOT NULL)")};
}

// Logins are not the office's changes: a history trigger made for the desks' list goes.
void forgetOnlineDesksHistory(Database& database) {
    const QString doing = QStringLiteral("建立操作记录");
    if (database.isServer()) {
        database.exec(QStringLiteral("DROP TRIGGER IF EXISTS online_desks_history ON online_desks"), {},
                      doing);
        return;
    }
    for (const QString& event :
         {QStringLiteral("insert"), QStringLiteral("update"), QStringLiteral("delete")})
        database.exec(QStringLiteral("DROP TRIGGER IF EXISTS online_desks_history_") + event, {}, doing);
}

// Version 4: the statistics count and list by period. These indexes hold every column their counts,
// sums and filters read, so a year is counted from an index alone instead of from rows spread over the
// whole table.
QStringList version4() {
    return {
        QStringLiteral("CREATE INDEX gm_dj_sales ON gm_dj (购墓日期, 墓碑位置, 墓碑类型)"),
        QStringLiteral("CREATE INDEX mq_wz_advance ON mq_wz (状态, 寿穴, 号)"),
        QStringLiteral("CREATE INDEX gm_xf1_bought ON gm_xf1 (购墓日期, 操作方式, 墓碑位置, 合计)"),
        QStringLiteral("CREATE INDEX gm_xf1_buried ON gm_xf1 (安葬日期, 操作方式, 墓碑位置, 合计)"),
        QStringLiteral("CREATE INDEX gm_xf1_paid ON gm_xf1 (操作日期, 操作方式, 墓碑位置, 合计)"),
        QStringLiteral("CREATE INDEX ydmd_moment ON ydmd (操作时间, 墓碑位置, 预交金额)"),
        QStringLiteral("CREATE INDEX ghjc_dj_from ON ghjc_dj (日期起)"),
    };
}

// The expiry lists read registrations by their end date; the searches count a name fragment's rows
// over the names alone rather than over whole rows.
QStringList findListIndexes() {
    return {
        QStringLiteral("CREATE INDEX gm_dj_end ON gm_dj (日期止)"),
        QStringLiteral("CREATE INDEX ghjc_dj_end ON ghjc_dj (日期止)"),
        QStringLiteral("CREATE INDEX gm_dj_deceased ON gm_dj (故者姓名)"),
        QStringLiteral("CREATE INDEX ghjc_dj_deceased ON ghjc_dj (故者姓名)"),
    };
}

// The lamp fees: a year's takings are summed from an index of payment dates and amounts, and whether a
// plot paid for a year is one look into its payments' years. A plot's first burial is found without
// reading its register rows.
QStringList lampIndexes() {
    return {
        QStringLiteral("CREATE INDEX cjdd_paid ON cjdd (交款日期, 交款金额)"),
        QStringLiteral("CREATE INDEX cjdd_years ON cjdd (墓碑位置, 起始年份, 终止年份)"),
        QStringLiteral("CREATE INDEX gm_dj_buried ON gm_dj (墓碑位置, 故者姓名)"),
    };
}

// The lamp query finds a payment by its deceased's or contact's whole name, or by the pinyin of it. An
// upgrade taken again finds them there.
QStringList lampNameIndexes() {
    return {
        QStringLiteral("CREATE INDEX IF NOT EXISTS cjdd_deceased ON cjdd (故者姓名)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS cjdd_contact ON cjdd (联系人)"),
    };
}

// A plot is unique by its area, row and number, a niche by its hall, room and number; an area or hall
// without rows or rooms is covered by the blank. Marker rows have no number and may repeat.
struct PositionTable {
    QString table;
    QString index;
    QString place; // 墓区 or 厅
    QString part;  // 排 or 室, blank when missing
    QString key;
    // The columns the index holds.
    QString columns() const { return QStringLiteral("%1, (COALESCE(%2, '')), 号").arg(place, part); }
};
const PositionTable positionTables[] = {
    {QStringLiteral("mq_wz"), QStringLiteral("mq_wz_position"), QStringLiteral("墓区"), QStringLiteral("排"),
     QStringLiteral("墓碑位置")},
    {QStringLiteral("ghjc_wz"), QStringLiteral("ghjc_wz_position"), QStringLiteral("厅"),
     QStringLiteral("室"), QStringLiteral("存放位置")},
};
// PlotState::free and NicheState::free: a position nobody bought, reserved or filled.
const QString freeState = QStringLiteral("未使用");

bool hasIndex(Database& database, const QString& name) {
    const QString sql =
        database.isServer()
            ? QStringLiteral(
                  "SELECT COUNT(*) FROM pg_indexes WHERE schemaname = current_schema() AND indexname = ?")
            : QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name = ?");
    return database.scalar(sql, {name}, QStringLiteral("检查索引")).toInt() > 0;
}

QStringList duplicatesOf(Database& database, const PositionTable& positions) {
    return database.texts(QStringLiteral("SELECT MIN(%1) AS 位置 FROM %2 WHERE 号 <> '' GROUP BY %3 HAVING "
                                         "COUNT(*) > 1 ORDER BY 位置")
                              .arg(positions.key, positions.table, positions.columns()),
                          {}, QStringLiteral("检查重复的位置"));
}

// Removes the free copies of a position held twice, the oldest kept where all are free, and adds the
// unique index once no copy is left. A copy in use is the office's to sort out: until then the table
// goes without its index.
void keepPositionsUnique(Database& database) {
    for (const PositionTable& positions : positionTables) {
        if (hasIndex(database, positions.index))
            continue;
        // One pass groups the positions; only the groups held more than once are joined back. Where one
        // copy is in use every free copy goes, where all are free the oldest stays.
        database.exec(
            QStringLiteral(
                "DELETE FROM %1 WHERE rid IN (SELECT d.rid FROM %1 d JOIN (SELECT %2 AS 位, COALESCE(%3, '') AS "
                "部, 号 AS 编号, MIN(rid) AS 最早, SUM(CASE WHEN 状态 = ? THEN 0 ELSE 1 END) AS 在用 FROM %1 WHERE "
                "号 <> '' GROUP BY %2, COALESCE(%3, ''), 号 HAVING COUNT(*) > 1) g ON d.%2 = g.位 AND "
                "COALESCE(d.%3, '') = g.部 AND d.号 = g.编号 WHERE d.状态 = ? AND (g.在用 > 0 OR d.rid <> g.最早))")
                .arg(positions.table, positions.place, positions.part),
            {freeState, freeState}, QStringLiteral("删除重复的空位置"));
        if (!duplicatesOf(database, positions).isEmpty())
            continue;
        database.exec(QStringLiteral("CREATE UNIQUE INDEX %1 ON %2 (%3) WHERE 号 <> ''")
                          .arg(positions.index, positions.table, positions.columns()),
                      {}, QStringLiteral("建立位置索引"));
    }
}

} // namespace

namespace Schema {

QStringList duplicatePositions(Database& database) {
    QStringList keys;
    for (const PositionTable& positions : positionTables)
        keys << duplicatesOf(database, positions);
    return keys;
}

QStringList positionIndexes() {
    QStringList names;
    for (const PositionTable& positions : positionTables)
        names << positions.index;
    return names;
}

void completePositionIndexes(Database& database) {
    bool complete = true;
    for (const PositionTable& positions : positionTables)
        complete = complete && hasIndex(database, positions.index);
    if (!complete)
        database.transaction([&] { keepPositionsUnique(database); });
}

const QList<Migration>& migrations() {
    static const QList<Migration> steps = {{version1(), seedVersion1},
                                           {{}, addRowKeys},
                                           {version3(),
                                            [](Database& database) {
                                                protectHistory(database);
                                                createHistoryTriggers(database);
                                            }},
                                           {version4(), {}},
                                           {findListIndexes(), {}},
                                           {lampIndexes(), {}},
                                           {{}, keepPositionsUnique},
                                           {{},
                                            [](Database& database) {
                                                // The server's recorder takes its owner's rights.
                                                if (database.isServer())
                                                    createHistoryTriggers(database);
                                            }},
                                           {{}, recordBulkActions},
                                           {leanerIndexes(), {}},
                                           {{}, NamePieces::build},
                                           {{}, keepSettledAmounts},
                                           {officeScaleIndexes(), {}},
                                           // The names are kept by their pinyin as well.
                                           {{}, NamePieces::build},
                                           // The lamp payments' and construction sheets' names too.
                                           {lampNameIndexes(), NamePieces::build},
                                           {onlineDesks(), {}},
                                           {{}, forgetOnlineDesksHistory},
                                           {{}, LampTally::build}};
    return steps;
}

const SchemaPlan& plan() {
    static const SchemaPlan office{migrations(), forServer, completePositionIndexes, OnlineDesks::others};
    return office;
}

int latestVersion() {
    return static_cast<int>(migrations().size());
}

QString forServer(const QString& statement) {
    if (!statement.startsWith(QLatin1String("CREATE TABLE")))
        return statement;
    QString server = statement;
    // Keys are numbered by an identity column; a number given explicitly (a copied row) is kept.
    server.replace(QLatin1String("INTEGER PRIMARY KEY AUTOINCREMENT"),
                   QLatin1String("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
    server.replace(QLatin1String("INTEGER PRIMARY KEY"),
                   QLatin1String("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
    // A server's REAL has single precision; amounts need double.
    static const QRegularExpression real(QStringLiteral("\\bREAL\\b"));
    server.replace(real, QStringLiteral("DOUBLE PRECISION"));
    // A server computes generated columns when a row is written and keeps them.
    server.replace(QLatin1String(") VIRTUAL)"), QLatin1String(") STORED)"));
    server.replace(QLatin1String("ifnull("), QLatin1String("COALESCE("));
    // An item charge without a registration number keeps a blank there, which one desk's number
    // column holds as text; a server's number column would refuse it.
    if (server.startsWith(QLatin1String("CREATE TABLE gm_qtf ")))
        server.replace(QStringLiteral("(编号 NUMERIC,"), QStringLiteral("(编号 TEXT,"));
    return server;
}

} // namespace Schema
