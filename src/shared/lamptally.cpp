#include "shared/lamptally.h"

#include "foundation/database.h"
#include "foundation/sqlliteral.h"

namespace {

const QString doing = QStringLiteral("建立点灯统计");
const QString registersKeeper = QStringLiteral("pelu_keep_lamp_registers");
const QString paymentsKeeper = QStringLiteral("pelu_keep_lamp_payments");

// The triggers run before each row is written, on both engines: they see the rows an earlier row of the
// same statement wrote, never this row's change (a server's AFTER triggers would all see the statement's
// end, and two burials in one statement would each find the other there). So each asks how things stood
// before this row and what this row changes. A write a conflict clause would skip (OR IGNORE) would still
// count: registers and payments are written plainly.

// One change a row's write may make: when `when` holds for the row, each year of `years` (a SELECT of
// 年) that also meets `each` (on t.年; none: every one) counts one plot more or less. The condition of
// the row comes first, so that a write that changes nothing reads no payments.
struct Step {
    QString when;
    QString years;
    bool more = true;
    QString each;

    QString sql() const {
        const QString chosen =
            each.isEmpty() ? years : QStringLiteral("SELECT t.年 FROM (%1) t WHERE %2").arg(years, each);
        // WHERE TRUE: SQLite would read the ON of an upsert after a bare FROM as a join's.
        if (more)
            return QStringLiteral(
                       "INSERT INTO lamp_tally (年份, 墓位数) SELECT c.年, 1 FROM (%1) c WHERE TRUE "
                       "ON CONFLICT (年份) DO UPDATE SET 墓位数 = lamp_tally.墓位数 + 1")
                .arg(chosen);
        return QStringLiteral("UPDATE lamp_tally SET 墓位数 = 墓位数 - 1 WHERE 年份 IN (%1)").arg(chosen);
    }
};

// The years `plot`'s payments cover.
QString plotYears(const QString& plot) {
    return QStringLiteral("SELECT DISTINCT y.年 FROM cjdd c JOIN lamp_years y ON y.年 BETWEEN c.起始年份 AND "
                          "c.终止年份 WHERE c.墓碑位置 = %1")
        .arg(plot);
}

// A plot's first burial coming in or its last going out: it counts in '' and in every year its payments
// cover. A plot without payments (each new sale) is done with the first step.
QList<Step> plotCounts(const QString& when, const QString& plot, bool more) {
    return {{when, QStringLiteral("SELECT '' AS 年"), more},
            {when + QStringLiteral(" AND EXISTS (SELECT 1 FROM cjdd c WHERE c.墓碑位置 = %1)").arg(plot),
             plotYears(plot), more}};
}

// Whether another register row than the one written (`row`.rid; none for a new row) has somebody buried on
// `row`'s plot.
QString buriedBesides(const QString& row, const QString& written) {
    return QStringLiteral(
               "EXISTS (SELECT 1 FROM gm_dj d WHERE d.墓碑位置 = %1.墓碑位置 AND d.故者姓名 IS NOT NULL%2)")
        .arg(row, written.isEmpty() ? QString() : QStringLiteral(" AND d.rid <> %1.rid").arg(written));
}

// The years of `row`'s payment that no other payment of its plot covers.
QString paymentYears(const QString& row, const QString& written) {
    return QStringLiteral(
               "SELECT y.年 FROM lamp_years y WHERE y.年 BETWEEN %1.起始年份 AND %1.终止年份 AND NOT "
               "EXISTS (SELECT 1 FROM cjdd c WHERE c.墓碑位置 = %1.墓碑位置%2 AND c.起始年份 <= y.年 AND "
               "c.终止年份 >= y.年)")
        .arg(row, written.isEmpty() ? QString() : QStringLiteral(" AND c.rid <> %1.rid").arg(written));
}

// True unless `other`, the update's other side of `row`, is on the same plot and `holds` there: what the
// row still (or already) gives its plot is no change.
QString unlessAlso(const QString& row, const QString& other, const QString& holds) {
    return QStringLiteral("NOT COALESCE(%2.墓碑位置 = %1.墓碑位置 AND %3, FALSE)").arg(row, other, holds);
}

// Whether somebody is buried on `row`'s plot.
QString buriedHere(const QString& row) {
    return QStringLiteral("%1.墓碑位置 IS NOT NULL AND ").arg(row) + buriedBesides(row, {});
}

struct Keeping {
    QList<Step> inserted;
    QList<Step> deleted;
    QList<Step> updated;
};

// A register row makes its plot count once the plot's first burial is written, and stops it when the
// plot's last one goes.
Keeping registers() {
    const QString firstOf = QStringLiteral("%1.墓碑位置 IS NOT NULL AND %1.故者姓名 IS NOT NULL AND NOT %2");
    const QList<Step> wentOut = plotCounts(
        firstOf.arg(QStringLiteral("old"), buriedBesides(QStringLiteral("old"), QStringLiteral("old"))),
        QStringLiteral("old.墓碑位置"), false);
    // An update that reaches them moved the row to another plot or gave or took its burial: what it held
    // before leaves, what it holds now comes.
    return {
        plotCounts(firstOf.arg(QStringLiteral("new"), buriedBesides(QStringLiteral("new"), {})),
                   QStringLiteral("new.墓碑位置"), true),
        wentOut,
        wentOut + plotCounts(firstOf.arg(QStringLiteral("new"),
                                         buriedBesides(QStringLiteral("new"), QStringLiteral("old"))),
                             QStringLiteral("new.墓碑位置"), true),
    };
}

// A payment makes its plot count in the years no other payment of the plot covers, while somebody is
// buried there.
Keeping payments() {
    const QString newSpan = QStringLiteral("t.年 BETWEEN new.起始年份 AND new.终止年份");
    const QString oldSpan = QStringLiteral("t.年 BETWEEN old.起始年份 AND old.终止年份");
    const QString gone = paymentYears(QStringLiteral("old"), QStringLiteral("old"));
    return {
        {{buriedHere(QStringLiteral("new")), paymentYears(QStringLiteral("new"), {})}},
        {{buriedHere(QStringLiteral("old")), gone, false}},
        {{buriedHere(QStringLiteral("old")), gone, false,
          unlessAlso(QStringLiteral("old"), QStringLiteral("new"), newSpan)},
         {buriedHere(QStringLiteral("new")), paymentYears(QStringLiteral("new"), QStringLiteral("old")), true,
          unlessAlso(QStringLiteral("new"), QStringLiteral("old"), oldSpan)}},
    };
}

struct Kept {
    QString table;
    QStringList columns; // an update of these may change the tally
    QString keeper;      // the server's function
    Keeping keeping;
};

QList<Kept> kept() {
    return {{QStringLiteral("gm_dj"),
             {QStringLiteral("墓碑位置"), QStringLiteral("故者姓名")},
             registersKeeper,
             registers()},
            {QStringLiteral("cjdd"),
             {QStringLiteral("墓碑位置"), QStringLiteral("起始年份"), QStringLiteral("终止年份")},
             paymentsKeeper,
             payments()}};
}

// Whether an update changed any of `columns`; a burial's name counts only by being there or not.
QString changed(bool server, const Kept& k) {
    const QString differs =
        server ? QStringLiteral("OLD.%1 IS DISTINCT FROM NEW.%1") : QStringLiteral("old.%1 IS NOT new.%1");
    QStringList any;
    for (const QString& column : k.columns)
        any << (column == QStringLiteral("故者姓名")
                    ? QStringLiteral("(old.故者姓名 IS NULL) <> (new.故者姓名 IS NULL)")
                    : differs.arg(column));
    return any.join(QStringLiteral(" OR "));
}

// The events of a table, with the steps of each. A file has a trigger a step, named by event and number.
struct Event {
    const char* name;
    const QList<Step>& steps;
};
QList<Event> events(const Kept& k) {
    return {{"insert", k.keeping.inserted}, {"delete", k.keeping.deleted}, {"update", k.keeping.updated}};
}

QString fileTrigger(const Kept& k, const char* event, qsizetype step) {
    return QStringLiteral("%1_lamp_tally_%2_%3").arg(k.table, QLatin1String(event)).arg(step + 1);
}

void dropKept(Database& database) {
    for (const Kept& k : kept()) {
        if (database.isServer()) {
            for (const char* suffix : {"", "_update"})
                database.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1_lamp_tally%2 ON %1")
                                  .arg(k.table, QLatin1String(suffix)),
                              {}, doing);
            database.exec(QStringLiteral("DROP FUNCTION IF EXISTS %1()").arg(k.keeper), {}, doing);
            continue;
        }
        for (const Event& event : events(k))
            for (qsizetype step = 0; step < event.steps.size(); ++step)
                database.exec(QStringLiteral("DROP TRIGGER IF EXISTS ") + fileTrigger(k, event.name, step),
                              {}, doing);
    }
    for (const QString& table : LampTally::tables())
        database.exec(QStringLiteral("DROP TABLE IF EXISTS ") + table, {}, doing);
}

void createFileTriggers(Database& database, const Kept& k) {
    for (const Event& event : events(k)) {
        const bool update = QLatin1String(event.name) == QLatin1String("update");
        for (qsizetype step = 0; step < event.steps.size(); ++step) {
            const Step& s = event.steps.at(step);
            database.exec(
                QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 WHEN %4 BEGIN %5; END")
                    .arg(fileTrigger(k, event.name, step),
                         update ? QStringLiteral("UPDATE OF ") + k.columns.join(QStringLiteral(", "))
                                : QString::fromLatin1(event.name).toUpper(),
                         k.table,
                         update ? QStringLiteral("(%1) AND %2").arg(changed(false, k), s.when) : s.when,
                         s.sql()),
                {}, doing);
        }
    }
}

// A server: a function a table that runs with its owner's rights (the desks may only read the tally). A
// copy from a file brings the tally along (pelu.copying, which only the owner may say).
void createServerTriggers(Database& database, const Kept& k) {
    const QString schema =
        SqlLiteral::name(database.scalar(QStringLiteral("SELECT current_schema()"), {}, doing).toString());
    QStringList branches;
    for (const Event& event : events(k)) {
        QString branch = QStringLiteral("TG_OP = '%1' THEN ").arg(QString::fromLatin1(event.name).toUpper());
        for (const Step& s : event.steps)
            branch += QStringLiteral("IF %1 THEN %2; END IF; ").arg(s.when, s.sql());
        branches << branch;
    }
    database.exec(
        QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER "
                       "SET search_path = %2, pg_temp AS $$ BEGIN "
                       "IF current_setting('pelu.copying', true) = 'on' AND pg_has_role(session_user, "
                       "current_user, 'USAGE') THEN NULL; ELSIF %3END IF; "
                       "IF TG_OP = 'DELETE' THEN RETURN OLD; END IF; RETURN NEW; END $$")
            .arg(k.keeper, schema, branches.join(QStringLiteral("ELSIF "))),
        {}, doing);
    database.exec(QStringLiteral("CREATE TRIGGER %1_lamp_tally BEFORE INSERT OR DELETE ON %1 FOR EACH ROW "
                                 "EXECUTE FUNCTION %2()")
                      .arg(k.table, k.keeper),
                  {}, doing);
    database.exec(QStringLiteral("CREATE TRIGGER %1_lamp_tally_update BEFORE UPDATE OF %2 ON %1 FOR EACH ROW "
                                 "WHEN (%3) EXECUTE FUNCTION %4()")
                      .arg(k.table, k.columns.join(QStringLiteral(", ")), changed(true, k), k.keeper),
                  {}, doing);
}

// Every text of four digits: whatever a payment's years are, the years a list may ask about that its span
// covers are among them.
void fillYears(Database& database) {
    constexpr int batch = 500;
    for (int first = 0; first < 10000; first += batch) {
        QStringList rows;
        QVariantList values;
        for (int year = first; year < first + batch; ++year) {
            rows << QStringLiteral("(?)");
            values << QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0'));
        }
        database.exec(QStringLiteral("INSERT INTO lamp_years (年) VALUES ") + rows.join(QStringLiteral(", ")),
                      values, doing);
    }
}

} // namespace

namespace LampTally {

QStringList tables() {
    return {QStringLiteral("lamp_tally"), QStringLiteral("lamp_years")};
}

void build(Database& database) {
    dropKept(database);
    const bool server = database.isServer();
    const QString withoutRowid = server ? QString() : QStringLiteral(" WITHOUT ROWID");
    database.exec(QStringLiteral("CREATE TABLE lamp_years (年 TEXT NOT NULL PRIMARY KEY)") + withoutRowid, {},
                  doing);
    fillYears(database);
    database.exec(
        QStringLiteral("CREATE TABLE lamp_tally (年份 TEXT NOT NULL PRIMARY KEY, 墓位数 BIGINT NOT NULL)") +
            withoutRowid,
        {}, doing);
    // Each buried plot once, in each year any of its payments covers.
    database.exec(
        QStringLiteral(
            "INSERT INTO lamp_tally (年份, 墓位数) "
            "SELECT '', COUNT(DISTINCT 墓碑位置) FROM gm_dj WHERE 故者姓名 IS NOT NULL "
            "UNION ALL SELECT y.年, COUNT(DISTINCT c.墓碑位置) FROM cjdd c JOIN lamp_years y ON y.年 BETWEEN "
            "c.起始年份 AND c.终止年份 WHERE c.墓碑位置 IN (SELECT 墓碑位置 FROM gm_dj WHERE 故者姓名 IS NOT NULL) "
            "GROUP BY y.年"),
        {}, doing);
    if (server)
        database.exec(QStringLiteral("ANALYZE lamp_years, lamp_tally"), {}, doing);
    for (const Kept& k : kept()) {
        if (server)
            createServerTriggers(database, k);
        else
            createFileTriggers(database, k);
    }
}

} // namespace LampTally
