#pragma once

#include "foundation/boundquery.h"

#include <QList>
#include <QString>

class Database;

// The person names and contacts the searches find by any part of them. A typed part is mostly one or two
// Chinese characters, which no ready-made text index of either engine answers; so every such name is kept
// as its distinct one- and two-character pieces in name_pieces (源, 片, 行: which column, the piece, the
// row's key), written by triggers in the transaction that writes the name. A part is then looked up by
// its pieces in the index instead of reading every register row.
namespace NamePieces {

// Stored in 源: never renumber.
enum class Source {
    PlotDeceased = 1,
    PlotContact,
    ReservationContact,
    StorageDeceased,
    StorageContact,
    OrderDeceased,
    AcceptanceDeceased,
    AcceptanceInspector,
    AcceptanceBuilder,
    AcceptanceEngineer,
};

struct Column {
    Source source;
    QString table;
    QString column;
    QString rowKey;
};
const QList<Column>& columns();
const Column& column(Source source);

// The tables only the triggers write; the change history leaves them out.
QStringList tables();

// A name is kept piece by piece up to this many characters. A longer one gets the empty piece instead,
// which every lookup takes in, so it is read and matched whatever is typed.
constexpr int longestPieced = 32;

// Besides, a name is kept by its pinyin (name_pinyin: 源, 键, 行, 位), made by the same triggers from the
// readings ICU gives each character (name_readings): from each character on, the full syllables and the
// initials of it and the next characters up to this many. A clerk types a name as heard: "zgq",
// "zhang guo qiang", "张gq" find 张国强 by a range of the key.
constexpr int pinyinSpan = 8;

// The pieces a typed part is looked up by, as stored: a single character itself, a longer part its
// overlapping pairs (each once); ASCII letters in lower case, as SQLite's LIKE ignores their case.
QStringList piecesOf(const QString& typed);

// The condition on the column's table (no WHERE) that holds for exactly the rows whose name contains
// `typed` literally, the pieces picking the candidates and LIKE … ESCAPE confirming them, and, when what is
// typed is pinyin (Latin letters, maybe mixed with characters), the rows whose pinyin from one of the
// name's characters on begins with it. The database tells which pieces are worth reading.
BoundQuery containing(Database& database, Source source, const QString& typed);

// The lamp payments' names are matched whole (甲 never finds 甲乙), so they need no pieces and no keys from
// their later characters, and keying each of their many rows would cost far more than the names they
// hold: each distinct name is kept once by the pinyin of the whole name (name_whole_pinyin: 键, 名),
// written by triggers as the names are; a name no longer used keeps its keys, which find no row. A name
// longer than pinyinSpan, or with a character ICU does not read, has no keys.
struct WholeColumn {
    QString table;
    QString column;
};
const QList<WholeColumn>& wholeColumns();

// The condition (no WHERE) that holds for exactly the rows whose `column`, one of wholeColumns(), is
// `typed` (blanks around it left out), and, when what is typed is pinyin, whose whole name reads as
// typed: "zgq", "zhang guo qiang" and "张gq" find 张国强, "zg" does not. The column's index answers it.
BoundQuery whole(const QString& column, const QString& typed);

// Removes the pieces, their tables and triggers; nothing is left when there were none.
void drop(Database& database);
// Makes the tables and triggers anew and fills the pieces and pinyin keys of every row there is, in one
// statement a column each; the readings are read from ICU when there are none.
void build(Database& database);

} // namespace NamePieces
