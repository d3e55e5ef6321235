#include "foundation/namepieces.h"

#include "foundation/database.h"
#include "foundation/likepattern.h"
#include "foundation/sqlliteral.h"

namespace NamePieces {

namespace {

const QString doing = QStringLiteral("建立姓名检索");
const QString pieceTable = QStringLiteral("name_pieces");
const QString positionTable = QStringLiteral("name_piece_positions");
const QString keeper = QStringLiteral("pelu_keep_name_pieces");

int code(Source source) {
    return static_cast<int>(source);
}

// The piece of `name` at position p.n, `length` characters long, as stored. ASCII letters go in lower case,
// as SQLite's LIKE ignores only their case: SQLite's lower() folds those alone, and a server, whose lower()
// follows its locale, is told which letters.
QString piece(bool server, const QString& name, int length) {
    const QString part = QStringLiteral("substr(%1, p.n, %2)").arg(name).arg(length);
    if (!server)
        return QStringLiteral("lower(%1)").arg(part);
    return QStringLiteral("translate(%1, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', 'abcdefghijklmnopqrstuvwxyz')")
        .arg(part);
}

// SELECT `lead` piece `trail` for every distinct piece of `name` in the rows of `from`, which names the
// positions p. The empty piece marks a name too long to be kept piece by piece.
QString piecesOf(bool server, const QString& name, const QString& from, const QString& lead,
                 const QString& trail) {
    return QStringLiteral("SELECT %1%2%3 FROM %4 WHERE p.n <= length(%5) "
                          "UNION SELECT %1%6%3 FROM %4 WHERE p.n < length(%5) "
                          "UNION SELECT %1''%3 FROM %4 WHERE p.n = 1 AND length(%5) > %7")
        .arg(lead, piece(server, name, 1), trail, from, name, piece(server, name, 2))
        .arg(longestPieced);
}

QString positions() {
    return positionTable + QStringLiteral(" p");
}

// SQLite: one trigger an event, the name and key of the row written in.
void createFileTriggers(Database& database, const Column& c) {
    const QString source = QString::number(code(c.source));
    const auto add = [&](const QString& row) -> QString {
        return QStringLiteral("INSERT INTO name_pieces (源, 片, 行) ") +
               piecesOf(false, row + c.column, positions(), source + QStringLiteral(", "),
                        QStringLiteral(", ") + row + c.rowKey) +
               QStringLiteral("; ");
    };
    // The old name's pieces: its row's entries are found by key, never by reading the source's range.
    const QString remove =
        QStringLiteral("DELETE FROM name_pieces WHERE 源 = %1 AND 行 = old.%2 AND 片 IN (%3); ")
            .arg(source, c.rowKey, piecesOf(false, QStringLiteral("old.") + c.column, positions(), {}, {}));
    const QString prefix = QStringLiteral("%1_name_pieces_%2_").arg(c.table, source);
    database.exec(
        QStringLiteral("CREATE TRIGGER %1insert AFTER INSERT ON %2 WHEN new.%3 IS NOT NULL BEGIN %4END")
            .arg(prefix, c.table, c.column, add(QStringLiteral("new."))),
        {}, doing);
    database.exec(
        QStringLiteral("CREATE TRIGGER %1update AFTER UPDATE OF %3, %4 ON %2 WHEN old.%3 IS NOT new.%3 "
                       "OR old.%4 IS NOT new.%4 BEGIN %5%6END")
            .arg(prefix, c.table, c.column, c.rowKey, remove, add(QStringLiteral("new."))),
        {}, doing);
    database.exec(
        QStringLiteral("CREATE TRIGGER %1delete AFTER DELETE ON %2 WHEN old.%3 IS NOT NULL BEGIN %4END")
            .arg(prefix, c.table, c.column, remove),
        {}, doing);
}

// A server: one function for every column, told the source, column and key, that runs with its owner's
// rights (the desks may only read the pieces). A copy from a file brings its pieces along (pelu.copying,
// which only the owner may say).
void createServerKeeper(Database& database) {
    const QString schema =
        SqlLiteral::name(database.scalar(QStringLiteral("SELECT current_schema()"), {}, doing).toString());
    database.exec(
        QStringLiteral(
            "CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER "
            "SET search_path = %2, pg_temp AS $$ "
            "DECLARE piece_source integer := CAST(TG_ARGV[0] AS integer); old_name text; new_name text; "
            "old_key bigint; new_key bigint; "
            "BEGIN "
            "IF current_setting('pelu.copying', true) = 'on' AND pg_has_role(session_user, current_user, "
            "'USAGE') THEN RETURN NULL; END IF; "
            "IF TG_OP <> 'INSERT' THEN old_name := to_jsonb(OLD) ->> TG_ARGV[1]; "
            "old_key := CAST(to_jsonb(OLD) ->> TG_ARGV[2] AS bigint); END IF; "
            "IF TG_OP <> 'DELETE' THEN new_name := to_jsonb(NEW) ->> TG_ARGV[1]; "
            "new_key := CAST(to_jsonb(NEW) ->> TG_ARGV[2] AS bigint); END IF; "
            "IF old_name IS NOT DISTINCT FROM new_name AND old_key IS NOT DISTINCT FROM new_key THEN "
            "RETURN NULL; END IF; "
            "IF old_name IS NOT NULL THEN DELETE FROM name_pieces WHERE 源 = piece_source AND 行 = old_key AND 片 IN "
            "(%3); END IF; "
            "IF new_name IS NOT NULL THEN INSERT INTO name_pieces (源, 片, 行) %4; END IF; "
            "RETURN NULL; "
            "END $$")
            .arg(keeper, schema, piecesOf(true, QStringLiteral("old_name"), positions(), {}, {}),
                 piecesOf(true, QStringLiteral("new_name"), positions(), QStringLiteral("piece_source, "),
                          QStringLiteral(", new_key"))),
        {}, doing);
}

} // namespace

const QList<Column>& columns() {
    static const QList<Column> all = {
        {Source::PlotDeceased, QStringLiteral("gm_dj"), QStringLiteral("故者姓名"), QStringLiteral("rid")},
        {Source::PlotContact, QStringLiteral("gm_dj"), QStringLiteral("联系人"), QStringLiteral("rid")},
        {Source::ReservationContact, QStringLiteral("ydmd"), QStringLiteral("联系人"), QStringLiteral("id")},
        {Source::StorageDeceased, QStringLiteral("ghjc_dj"), QStringLiteral("故者姓名"),
         QStringLiteral("id")},
        {Source::StorageContact, QStringLiteral("ghjc_dj"), QStringLiteral("联系人"), QStringLiteral("id")},
    };
    return all;
}

const Column& column(Source source) {
    return columns().at(code(source) - 1);
}

QStringList tables() {
    return {pieceTable, positionTable};
}

QStringList piecesOf(const QString& typed) {
    QStringList characters;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        const bool pair =
            typed.at(i).isHighSurrogate() && i + 1 < typed.size() && typed.at(i + 1).isLowSurrogate();
        QString character = typed.mid(i, pair ? 2 : 1);
        if (character.size() == 1 && character.at(0).unicode() >= u'A' && character.at(0).unicode() <= u'Z')
            character = character.toLower();
        characters << character;
        i += pair ? 1 : 0;
    }
    if (characters.size() == 1)
        return characters;
    QStringList pieces;
    for (qsizetype i = 0; i + 1 < characters.size(); ++i) {
        const QString pair = characters.at(i) + characters.at(i + 1);
        if (!pieces.contains(pair))
            pieces << pair;
    }
    return pieces;
}

BoundQuery containing(Source source, const QString& typed) {
    const Column& c = column(source);
    const QString candidates =
        QStringLiteral("SELECT 行 FROM name_pieces WHERE 源 = %1 AND 片 = ").arg(code(source));
    QStringList lookups;
    QVariantList values;
    for (const QString& piece : piecesOf(typed)) {
        lookups << candidates + QLatin1Char('?');
        values << piece;
    }
    values << LikePattern::containing(typed);
    const QString confirmed = QStringLiteral("%1 LIKE ? ESCAPE '\\'").arg(c.column);
    if (lookups.isEmpty())
        return {confirmed, values};
    // Each lookup comes in key order, so SQLite merges them in one pass rather than through temporary tables.
    // The long names' mark is added last: SQLite reads compound SELECTs from left to right and a server ranks
    // INTERSECT first, which comes to the same when the UNION ends the list.
    return {QStringLiteral("%1 IN (%2 UNION %3'' ORDER BY 1) AND %4")
                .arg(c.rowKey, lookups.join(QStringLiteral(" INTERSECT ")), candidates, confirmed),
            values};
}

void drop(Database& database) {
    for (const Column& c : columns()) {
        const QString prefix = QStringLiteral("%1_name_pieces_%2").arg(c.table).arg(code(c.source));
        if (database.isServer())
            database.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(prefix, c.table), {}, doing);
        else
            for (const char* event : {"_insert", "_update", "_delete"})
                database.exec(QStringLiteral("DROP TRIGGER IF EXISTS ") + prefix + QLatin1String(event), {},
                              doing);
    }
    for (const QString& table : tables())
        database.exec(QStringLiteral("DROP TABLE IF EXISTS ") + table, {}, doing);
    if (database.isServer())
        database.exec(QStringLiteral("DROP FUNCTION IF EXISTS %1()").arg(keeper), {}, doing);
}

void build(Database& database) {
    drop(database);
    const bool server = database.isServer();
    database.exec(QStringLiteral("CREATE TABLE name_piece_positions (n INTEGER PRIMARY KEY)"), {}, doing);
    QStringList numbers;
    for (int n = 1; n <= longestPieced; ++n)
        numbers << QStringLiteral("(%1)").arg(n);
    database.exec(QStringLiteral("INSERT INTO name_piece_positions (n) VALUES ") +
                      numbers.join(QStringLiteral(", ")),
                  {}, doing);
    // A lookup is a range of the key; a file keeps the entries in the key alone.
    database.exec(
        server ? QStringLiteral("CREATE TABLE name_pieces (源 INTEGER NOT NULL, 片 TEXT COLLATE \"C\" NOT "
                                "NULL, 行 BIGINT NOT NULL, PRIMARY KEY (源, 片, 行))")
               : QStringLiteral("CREATE TABLE name_pieces (源 INTEGER NOT NULL, 片 TEXT NOT NULL, 行 INTEGER "
                                "NOT NULL, PRIMARY KEY (源, 片, 行)) WITHOUT ROWID"),
        {}, doing);
    if (server)
        createServerKeeper(database);
    for (const Column& c : columns()) {
        database.exec(QStringLiteral("INSERT INTO name_pieces (源, 片, 行) ") +
                          piecesOf(server, QStringLiteral("t.") + c.column,
                                   QStringLiteral("%1 t, %2").arg(c.table, positions()),
                                   QString::number(code(c.source)) + QStringLiteral(", "),
                                   QStringLiteral(", t.") + c.rowKey),
                      {}, doing);
        if (server)
            database.exec(
                QStringLiteral("CREATE TRIGGER %1_name_pieces_%2 AFTER INSERT OR UPDATE OF %3, %4 OR DELETE "
                               "ON %1 FOR EACH ROW EXECUTE FUNCTION %5('%2', '%3', '%4')")
                    .arg(c.table, QString::number(code(c.source)), c.column, c.rowKey, keeper),
                {}, doing);
        else
            createFileTriggers(database, c);
    }
}

} // namespace NamePieces
