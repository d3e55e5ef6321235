#include "shared/namepieces.h"

#include "foundation/database.h"
#include "foundation/likepattern.h"
#include "foundation/pinyin.h"
#include "foundation/sqlliteral.h"

#include <algorithm>

namespace NamePieces {

namespace {

const QString doing = QStringLiteral("建立姓名检索");
const QString pieceTable = QStringLiteral("name_pieces");
const QString positionTable = QStringLiteral("name_piece_positions");
const QString keeper = QStringLiteral("pelu_keep_name_pieces");
const QString readingTable = QStringLiteral("name_readings");
const QString pinyinTable = QStringLiteral("name_pinyin");
const QString wholeTable = QStringLiteral("name_whole_pinyin");
const QString wholeKeeper = QStringLiteral("pelu_keep_whole_names");

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

// The pinyin keys of `name`: one from each of its characters p.n that ICU reads, over that character and
// the next ones up to pinyinSpan, four ways (v.n): ICU's reading of a name in full syllables and in
// initials, and the common reading in both, so that a clerk who reads 单明远 as dan finds it too. A
// character without a reading adds nothing. `from` names the positions p and what `name` comes from.
QString pinyinFrom(const QString& name, const QString& from) {
    QString sql = QStringLiteral("%1 JOIN name_readings r0 ON r0.字 = substr(%2, p.n, 1)").arg(from, name);
    for (int i = 1; i < pinyinSpan; ++i)
        sql += QStringLiteral(" LEFT JOIN name_readings r%1 ON r%1.字 = substr(%2, p.n + %1, 1)")
                   .arg(i)
                   .arg(name);
    return sql + QStringLiteral(" JOIN name_piece_positions v ON v.n <= 4 WHERE p.n <= length(%1)").arg(name);
}

QString pinyinKey() {
    const QString first =
        QStringLiteral("CASE WHEN v.n > 2 THEN r0.普读 WHEN p.n = 1 THEN r0.姓读 ELSE r0.名读 END");
    QStringList full{first};
    QStringList initials{QStringLiteral("substr(%1, 1, 1)").arg(first)};
    for (int i = 1; i < pinyinSpan; ++i) {
        const QString reading = QStringLiteral("CASE WHEN v.n > 2 THEN r%1.普读 ELSE r%1.名读 END").arg(i);
        full << QStringLiteral("COALESCE(%1, '')").arg(reading);
        initials << QStringLiteral("COALESCE(substr(%1, 1, 1), '')").arg(reading);
    }
    return QStringLiteral("CASE WHEN v.n % 2 = 1 THEN %1 ELSE %2 END")
        .arg(full.join(QStringLiteral(" || ")), initials.join(QStringLiteral(" || ")));
}

// INSERT of the keys of `name` in the rows of `from`; `source` and `row` as SQL.
QString insertPinyin(const QString& name, const QString& from, const QString& source, const QString& row) {
    return QStringLiteral("INSERT INTO name_pinyin (源, 键, 行, 位) SELECT DISTINCT %1, %2, %3, p.n FROM %4")
        .arg(source, pinyinKey(), row, pinyinFrom(name, from));
}

// DELETE of the keys of the old `name` of one row, found by key as its pieces are.
QString deletePinyin(const QString& name, const QString& source, const QString& row) {
    return QStringLiteral("DELETE FROM name_pinyin WHERE 源 = %1 AND 行 = %2 AND 键 IN (SELECT %3 FROM %4)")
        .arg(source, row, pinyinKey(), pinyinFrom(name, positions()));
}

// The keys of `name` read as a whole: its keys from the first character, when it has no more characters
// than the keys span and ICU reads every one of them.
QString wholeFrom(const QString& name, const QString& from) {
    QString sql = pinyinFrom(name, from) +
                  QStringLiteral(" AND p.n = 1 AND length(%1) <= %2").arg(name).arg(pinyinSpan);
    for (int i = 1; i < pinyinSpan; ++i)
        sql += QStringLiteral(" AND (length(%1) <= %2 OR r%2.字 IS NOT NULL)").arg(name).arg(i);
    return sql;
}

// INSERT of the whole-name keys of `name` in the rows of `from` that are not kept yet.
QString insertWhole(const QString& name, const QString& from) {
    return QStringLiteral(
               "INSERT INTO name_whole_pinyin (键, 名) SELECT k.键, k.名 FROM (SELECT DISTINCT %1 AS "
               "键, %2 AS 名 FROM %3) k WHERE NOT EXISTS (SELECT 1 FROM name_whole_pinyin w WHERE "
               "w.键 = k.键 AND w.名 = k.名)")
        .arg(pinyinKey(), name, wholeFrom(name, from));
}

// The tables whose names are kept whole, each with its columns.
QList<std::pair<QString, QStringList>> wholeTables() {
    QList<std::pair<QString, QStringList>> tables;
    for (const WholeColumn& c : wholeColumns()) {
        if (tables.isEmpty() || tables.last().first != c.table)
            tables.append({c.table, {}});
        tables.last().second << c.column;
    }
    return tables;
}

// SQLite: the new names of an insert or an update get their keys. A name another row of the column holds
// has them already (they are never removed): most payments repeat their plot's names, and its index
// answers that sooner than the keys are read.
void createFileWholeTriggers(Database& database, const QString& table, const QStringList& columns) {
    QString keep;
    for (const QString& column : columns)
        keep +=
            insertWhole(QStringLiteral("new.") + column, positions()) +
            QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM %1 o WHERE o.%2 = new.%2 AND o.rid <> new.rid); ")
                .arg(table, column);
    database.exec(QStringLiteral("CREATE TRIGGER %1_name_pieces_whole_insert AFTER INSERT ON %1 BEGIN %2END")
                      .arg(table, keep),
                  {}, doing);
    database.exec(
        QStringLiteral("CREATE TRIGGER %1_name_pieces_whole_update AFTER UPDATE OF %2 ON %1 BEGIN %3END")
            .arg(table, columns.join(QStringLiteral(", ")), keep),
        {}, doing);
}

// A server: one function, told the columns, with its owner's rights; a copy brings the keys along.
void createServerWholeKeeper(Database& database) {
    const QString schema =
        SqlLiteral::name(database.scalar(QStringLiteral("SELECT current_schema()"), {}, doing).toString());
    database.exec(
        QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER "
                       "SET search_path = %2, pg_temp AS $$ "
                       "DECLARE kept_column text; whole_name text; "
                       "BEGIN "
                       "IF current_setting('pelu.copying', true) = 'on' AND pg_has_role(session_user, "
                       "current_user, 'USAGE') THEN RETURN NULL; END IF; "
                       "FOREACH kept_column IN ARRAY TG_ARGV LOOP "
                       "whole_name := to_jsonb(NEW) ->> kept_column; "
                       "IF whole_name IS NOT NULL THEN %3; END IF; "
                       "END LOOP; "
                       "RETURN NULL; "
                       "END $$")
            .arg(wholeKeeper, schema, insertWhole(QStringLiteral("whole_name"), positions())),
        {}, doing);
}

// SQLite: one trigger an event, the name and key of the row written in.
void createFileTriggers(Database& database, const Column& c) {
    const QString source = QString::number(code(c.source));
    const auto add = [&](const QString& row) -> QString {
        return QStringLiteral("INSERT INTO name_pieces (源, 片, 行) ") +
               piecesOf(false, row + c.column, positions(), source + QStringLiteral(", "),
                        QStringLiteral(", ") + row + c.rowKey) +
               QStringLiteral("; ") + insertPinyin(row + c.column, positions(), source, row + c.rowKey) +
               QStringLiteral("; ");
    };
    // The old name's pieces: its row's entries are found by key, never by reading the source's range.
    const QString remove =
        QStringLiteral("DELETE FROM name_pieces WHERE 源 = %1 AND 行 = old.%2 AND 片 IN (%3); ")
            .arg(source, c.rowKey, piecesOf(false, QStringLiteral("old.") + c.column, positions(), {}, {})) +
        deletePinyin(QStringLiteral("old.") + c.column, source, QStringLiteral("old.") + c.rowKey) +
        QStringLiteral("; ");
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
// Every character ICU reads and its readings, which the triggers make the keys of a name from. Kept when
// there: the readings come from ICU, not from the office's data.
void createReadings(Database& database) {
    if (database.hasTable(readingTable))
        return;
    const bool server = database.isServer();
    const QString text =
        server ? QStringLiteral("TEXT COLLATE \"C\" NOT NULL") : QStringLiteral("TEXT NOT NULL");
    database.exec(
        QStringLiteral("CREATE TABLE name_readings (字 %1 PRIMARY KEY, 姓读 %1, 名读 %1, 普读 %1)%2")
            .arg(text, server ? QString() : QStringLiteral(" WITHOUT ROWID")),
        {}, doing);
    const QList<Pinyin::Reading>& all = Pinyin::readings();
    if (!server) {
        // A file takes one prepared row at a time fastest.
        QSqlQuery insert = database.prepareInsert(readingTable,
                                                  {{QStringLiteral("字"), {}},
                                                   {QStringLiteral("姓读"), {}},
                                                   {QStringLiteral("名读"), {}},
                                                   {QStringLiteral("普读"), {}}},
                                                  doing);
        for (const Pinyin::Reading& r : all) {
            insert.bindValue(0, r.character);
            insert.bindValue(1, r.atStart);
            insert.bindValue(2, r.inName);
            insert.bindValue(3, r.common);
            database.run(insert, doing);
        }
        return;
    }
    // A server many rows a statement, each a round trip.
    constexpr qsizetype batch = 500;
    for (qsizetype first = 0; first < all.size(); first += batch) {
        QStringList rows;
        QVariantList values;
        for (qsizetype i = first; i < std::min(first + batch, all.size()); ++i) {
            const Pinyin::Reading& r = all.at(i);
            rows << QStringLiteral("(?, ?, ?, ?)");
            values << r.character << r.atStart << r.inName << r.common;
        }
        database.exec(QStringLiteral("INSERT INTO name_readings (字, 姓读, 名读, 普读) VALUES ") +
                          rows.join(QStringLiteral(", ")),
                      values, doing);
    }
}

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
            "(%3); %5; END IF; "
            "IF new_name IS NOT NULL THEN INSERT INTO name_pieces (源, 片, 行) %4; %6; END IF; "
            "RETURN NULL; "
            "END $$")
            .arg(keeper, schema, piecesOf(true, QStringLiteral("old_name"), positions(), {}, {}),
                 piecesOf(true, QStringLiteral("new_name"), positions(), QStringLiteral("piece_source, "),
                          QStringLiteral(", new_key")),
                 deletePinyin(QStringLiteral("old_name"), QStringLiteral("piece_source"),
                              QStringLiteral("old_key")),
                 insertPinyin(QStringLiteral("new_name"), positions(), QStringLiteral("piece_source"),
                              QStringLiteral("new_key"))),
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
        {Source::OrderDeceased, QStringLiteral("jmsg"), QStringLiteral("故者姓名"), QStringLiteral("rid")},
        {Source::AcceptanceDeceased, QStringLiteral("jmsgys"), QStringLiteral("故者姓名"),
         QStringLiteral("rid")},
        {Source::AcceptanceInspector, QStringLiteral("jmsgys"), QStringLiteral("验收人"),
         QStringLiteral("rid")},
        {Source::AcceptanceBuilder, QStringLiteral("jmsgys"), QStringLiteral("施工方代表"),
         QStringLiteral("rid")},
        {Source::AcceptanceEngineer, QStringLiteral("jmsgys"), QStringLiteral("工程部代表"),
         QStringLiteral("rid")},
    };
    return all;
}

const QList<WholeColumn>& wholeColumns() {
    static const QList<WholeColumn> all = {{QStringLiteral("cjdd"), QStringLiteral("故者姓名")},
                                           {QStringLiteral("cjdd"), QStringLiteral("联系人")}};
    return all;
}

const Column& column(Source source) {
    return columns().at(code(source) - 1);
}

QStringList tables() {
    return {pieceTable, positionTable, readingTable, pinyinTable, wholeTable};
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

namespace {

// A typed part read as pinyin: a run of Latin letters, or one Chinese character that stands for its reading.
struct Spoken {
    QString text;
    bool character = false;
};

// What is typed, blanks left out, as pinyin: only Latin letters and Han characters, at least one letter.
// The letters go in lower case and v as u (how ü is typed: lv for 吕).
QList<Spoken> spokenParts(const QString& typed) {
    QList<Spoken> parts;
    bool letters = false;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        const QChar c = typed.at(i);
        if (c.isSpace())
            continue;
        const char16_t u = c.toLower().unicode();
        if (u >= u'a' && u <= u'z' && c.unicode() < 0x80) {
            if (parts.isEmpty() || parts.last().character)
                parts << Spoken{};
            parts.last().text += QChar(u == u'v' ? u'u' : u);
            letters = true;
            continue;
        }
        const bool pair = c.isHighSurrogate() && i + 1 < typed.size() && typed.at(i + 1).isLowSurrogate();
        const char32_t point = pair ? QChar::surrogateToUcs4(c, typed.at(i + 1)) : c.unicode();
        if (QChar::script(point) != QChar::Script_Han)
            return {};
        parts << Spoken{typed.mid(i, pair ? 2 : 1), true};
        i += pair ? 1 : 0;
    }
    return letters ? parts : QList<Spoken>{};
}

// The rows of `c` whose pinyin keys begin with what is typed: its letters as they are, its characters
// by their common reading, in full syllables or as initials (both are tried). The characters are then
// confirmed where the key begins; a run of letters stands for one character a letter as initials, for
// at least one in full syllables.
BoundQuery spokenRows(Source source, const QList<Spoken>& parts) {
    const Column& c = column(source);
    bool characters = false;
    for (const Spoken& part : parts)
        characters = characters || part.character;
    if (!characters) {
        const QString key = parts.first().text;
        return {QStringLiteral("SELECT 行 FROM name_pinyin WHERE 源 = %1 AND 键 >= ? AND 键 < ?")
                    .arg(code(source)),
                {key, QString(key + QLatin1Char('~'))}};
    }
    QStringList lookups;
    QVariantList values;
    for (const bool initials : {true, false}) {
        QStringList key;
        QVariantList keyValues;
        QString pattern;
        for (const Spoken& part : parts) {
            keyValues << part.text;
            if (part.character) {
                key << (initials
                            ? QStringLiteral("(SELECT substr(普读, 1, 1) FROM name_readings WHERE 字 = ?)")
                            : QStringLiteral("(SELECT 普读 FROM name_readings WHERE 字 = ?)"));
                pattern += part.text;
            } else {
                key << QStringLiteral("?");
                pattern += initials ? QString(part.text.size(), QLatin1Char('_')) : QStringLiteral("_%");
            }
        }
        const QString joined = key.join(QStringLiteral(" || "));
        // The name read row by row by its key: a server would rather hash the whole table to join it.
        lookups << QStringLiteral(
                       "SELECT k.行 FROM name_pinyin k WHERE k.源 = %3 AND k.键 >= %4 AND k.键 < (%4 || "
                       "'~') AND (SELECT substr(t.%5, k.位) FROM %1 t WHERE t.%2 = k.行) LIKE ? "
                       "ESCAPE '\\'")
                       .arg(c.table, c.rowKey)
                       .arg(code(source))
                       .arg(joined, c.column);
        values << keyValues << keyValues << QString(pattern + QLatin1Char('%'));
    }
    return {lookups.join(QStringLiteral(" UNION ")), values};
}

// The pieces worth reading of those of a typed part. Reading an entry of the index costs a small part of
// confirming a candidate row, so every piece is read unless it is several times commoner than the rarest:
// then the few candidates it would take out cost less to confirm than its entries to read (李1 of 李123
// where every name is 李 and a number). How common a piece is shows in how far among the row keys its
// sampleth entry lies, as the keys spread over the rows alike for every piece. A piece of fewer entries
// is rare: then only such pieces are read, each costing little.
QStringList worthReading(Database& database, Source source, const QStringList& pieces) {
    if (pieces.size() < 2)
        return pieces;
    constexpr int sample = 1024;
    constexpr qint64 commoner = 4;
    QStringList rare;
    QList<std::pair<QString, qint64>> common; // the piece, the key of its sampleth entry
    for (const QString& piece : pieces) {
        const QVariant key = database.scalar(
            QStringLiteral("SELECT 行 FROM name_pieces WHERE 源 = ? AND 片 = ? ORDER BY 行 LIMIT 1 OFFSET %1")
                .arg(sample - 1),
            {code(source), piece}, QStringLiteral("查找姓名"));
        if (key.isNull())
            rare << piece;
        else
            common.append({piece, key.toLongLong()});
    }
    if (!rare.isEmpty())
        return rare;
    qint64 rarest = 0;
    for (const auto& [piece, key] : common)
        rarest = std::max(rarest, key);
    QStringList worth;
    for (const auto& [piece, key] : common)
        if (key * commoner >= rarest)
            worth << piece;
    return worth;
}

} // namespace

BoundQuery containing(Database& database, Source source, const QString& typed) {
    const Column& c = column(source);
    const QString candidates =
        QStringLiteral("SELECT 行 FROM name_pieces WHERE 源 = %1 AND 片 = ").arg(code(source));
    QStringList lookups;
    QVariantList values;
    for (const QString& piece : worthReading(database, source, piecesOf(typed))) {
        lookups << candidates + QLatin1Char('?');
        values << piece;
    }
    const QString pattern = LikePattern::containing(typed);
    const QString confirmed = QStringLiteral("%1 LIKE ? ESCAPE '\\'").arg(c.column);
    if (lookups.isEmpty())
        return {confirmed, {pattern}};
    const QList<Spoken> spoken = spokenParts(typed);
    // Each lookup comes in key order, so SQLite merges them in one pass rather than through temporary tables.
    // The long names' mark is added last: SQLite reads compound SELECTs from left to right and a server ranks
    // INTERSECT first, which comes to the same when the UNION ends the list.
    if (spoken.isEmpty())
        return {QStringLiteral("%1 IN (%2 UNION %3'' ORDER BY 1) AND %4")
                    .arg(c.rowKey, lookups.join(QStringLiteral(" INTERSECT ")), candidates, confirmed),
                values << pattern};
    // Read as pinyin too: the rows its keys find need no literal match. The literal candidates are confirmed
    // before they join them, so that one IN takes both and a server looks up only the candidates instead of
    // reading the table for an OR.
    const BoundQuery heard = spokenRows(source, spoken);
    return {QStringLiteral(
                "%1 IN (SELECT t.%1 FROM (%2 UNION %3'') AS c JOIN %4 t ON t.%1 = c.行 WHERE t.%5 UNION "
                "%6)")
                .arg(c.rowKey, lookups.join(QStringLiteral(" INTERSECT ")), candidates, c.table, confirmed,
                     heard.sql),
            values << pattern << heard.values};
}

BoundQuery whole(const QString& column, const QString& typed) {
    const QString text = typed.trimmed();
    const QList<Spoken> spoken = spokenParts(text);
    if (spoken.isEmpty())
        return {column + QStringLiteral(" = ?"), {text}};
    // The name as typed, and the names whose whole key is what is typed. Characters mixed in are read as
    // in the searches by any part, then confirmed in place: a run of letters stands for one character a
    // letter as initials, for at least one in full syllables.
    QStringList names{QStringLiteral("SELECT CAST(? AS TEXT)")};
    QVariantList values{text};
    const bool characters =
        std::any_of(spoken.cbegin(), spoken.cend(), [](const Spoken& part) { return part.character; });
    if (!characters) {
        names << QStringLiteral("SELECT 名 FROM name_whole_pinyin WHERE 键 = ?");
        values << spoken.first().text;
    } else {
        for (const bool initials : {true, false}) {
            QStringList key;
            QString pattern;
            for (const Spoken& part : spoken) {
                values << part.text;
                if (part.character) {
                    key << (initials ? QStringLiteral(
                                           "(SELECT substr(普读, 1, 1) FROM name_readings WHERE 字 = ?)")
                                     : QStringLiteral("(SELECT 普读 FROM name_readings WHERE 字 = ?)"));
                    pattern += part.text;
                } else {
                    key << QStringLiteral("?");
                    pattern += initials ? QString(part.text.size(), QLatin1Char('_')) : QStringLiteral("_%");
                }
            }
            names << QStringLiteral(
                         "SELECT 名 FROM name_whole_pinyin WHERE 键 = %1 AND 名 LIKE ? ESCAPE '\\'")
                         .arg(key.join(QStringLiteral(" || ")));
            values << pattern;
        }
    }
    return {QStringLiteral("%1 IN (%2)").arg(column, names.join(QStringLiteral(" UNION "))), values};
}

namespace {

// The triggers and the tables they write; the readings as well when told.
void dropKept(Database& database, bool readingsToo) {
    for (const Column& c : columns()) {
        const QString prefix = QStringLiteral("%1_name_pieces_%2").arg(c.table).arg(code(c.source));
        if (database.isServer())
            database.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(prefix, c.table), {}, doing);
        else
            for (const char* event : {"_insert", "_update", "_delete"})
                database.exec(QStringLiteral("DROP TRIGGER IF EXISTS ") + prefix + QLatin1String(event), {},
                              doing);
    }
    for (const auto& [table, columns] : wholeTables()) {
        if (database.isServer())
            database.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1_name_pieces_whole ON %1").arg(table), {},
                          doing);
        else
            for (const char* event : {"insert", "update"})
                database.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1_name_pieces_whole_%2")
                                  .arg(table, QLatin1String(event)),
                              {}, doing);
    }
    for (const QString& table : tables())
        if (readingsToo || table != readingTable)
            database.exec(QStringLiteral("DROP TABLE IF EXISTS ") + table, {}, doing);
    if (database.isServer())
        for (const QString& function : {keeper, wholeKeeper})
            database.exec(QStringLiteral("DROP FUNCTION IF EXISTS %1()").arg(function), {}, doing);
}

} // namespace

void drop(Database& database) {
    dropKept(database, true);
}

void build(Database& database) {
    dropKept(database, false);
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
    createReadings(database);
    // Without statistics a server hashes every reading for each name a trigger keys, rather than look up
    // its few characters.
    if (server)
        database.exec(QStringLiteral("ANALYZE name_readings, name_piece_positions"), {}, doing);
    database.exec(
        server
            ? QStringLiteral("CREATE TABLE name_pinyin (源 INTEGER NOT NULL, 键 TEXT COLLATE \"C\" NOT NULL, "
                             "行 BIGINT NOT NULL, 位 INTEGER NOT NULL, PRIMARY KEY (源, 键, 行, 位))")
            : QStringLiteral(
                  "CREATE TABLE name_pinyin (源 INTEGER NOT NULL, 键 TEXT NOT NULL, 行 INTEGER NOT "
                  "NULL, 位 INTEGER NOT NULL, PRIMARY KEY (源, 键, 行, 位)) WITHOUT ROWID"),
        {}, doing);
    if (server)
        createServerKeeper(database);
    for (const Column& c : columns()) {
        database.exec(insertPinyin(QStringLiteral("t.") + c.column,
                                   QStringLiteral("%1 t CROSS JOIN %2").arg(c.table, positions()),
                                   QString::number(code(c.source)), QStringLiteral("t.") + c.rowKey),
                      {}, doing);
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
    database.exec(
        // A name keeps its column's collation, so that the names' index answers the match.
        server ? QStringLiteral(
                     "CREATE TABLE name_whole_pinyin (键 TEXT COLLATE \"C\" NOT NULL, 名 TEXT NOT NULL, "
                     "PRIMARY KEY (键, 名))")
               : QStringLiteral("CREATE TABLE name_whole_pinyin (键 TEXT NOT NULL, 名 TEXT NOT NULL, "
                                "PRIMARY KEY (键, 名)) WITHOUT ROWID"),
        {}, doing);
    if (server)
        createServerWholeKeeper(database);
    for (const auto& [table, columns] : wholeTables()) {
        // Each distinct name once.
        QStringList distinct;
        for (const QString& column : columns)
            distinct << QStringLiteral("SELECT %1 AS 名 FROM %2").arg(column, table);
        database.exec(insertWhole(QStringLiteral("t.名"),
                                  QStringLiteral("(%1) t CROSS JOIN %2")
                                      .arg(distinct.join(QStringLiteral(" UNION ")), positions())),
                      {}, doing);
        if (server)
            database.exec(
                QStringLiteral("CREATE TRIGGER %1_name_pieces_whole AFTER INSERT OR UPDATE OF %2 ON %1 FOR "
                               "EACH ROW EXECUTE FUNCTION %3(%4)")
                    .arg(table, columns.join(QStringLiteral(", ")), wholeKeeper,
                         QLatin1Char('\'') + columns.join(QStringLiteral("', '")) + QLatin1Char('\'')),
                {}, doing);
        else
            createFileWholeTriggers(database, table, columns);
    }
}

} // namespace NamePieces
