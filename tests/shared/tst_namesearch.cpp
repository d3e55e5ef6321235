#include "business/constructionsearch.h"
#include "business/lampqueries.h"
#include "business/plotsearch.h"
#include "columbarium/nichesearch.h"
#include "foundation/likepattern.h"
#include "foundation/sqlliteral.h"
#include "shared/namepieces.h"
#include "shared/schema.h"
#include "support/officewithroles.h"
#include "support/testsupport.h"

#include <QSqlQuery>
#include <QTest>
#include <algorithm>

using NamePieces::Source;

namespace {

// The names every searched column holds: one that begins another (李建 / 李建国) and one ending it,
// typed wildcards, a backslash and an apostrophe, Latin letters in both cases, a repeated character, a
// character outside the BMP, a name too long to be kept piece by piece whose match is at its end, an
// empty and a missing one.
QVariantList names() {
    QVariantList all;
    for (const char* name : {"李建", "李建国", "国李建", "建国", "张%三", "张三", "李_四", "李四", "O'Brien",
                             "Li Jian", "反\\斜", "哈哈哈哈", "𠮷野家", ""})
        all << text(name);
    all << QString(QString(40, QChar(u'甲')) + text("尾巴")) << QVariant(QMetaType(QMetaType::QString));
    return all;
}

const QStringList fragments = texts({"李",     "建", "国",   "李建", "建国", "李建国",   "国李", "%",
                                     "张%",    "_",  "\\",   "'",    "O'B",  "li",       "LI J", "哈哈",
                                     "哈哈哈", "𠮷", "𠮷野", "野",   "尾巴", "甲甲甲尾", "无",   "李建国李"});

// Every searched column: its book and option.
struct Searched {
    const SearchBook& book;
    const char* caption;
    Source source;
};
const QList<Searched> searched = {
    {PlotSearch::purchases(), "故者姓名", Source::PlotDeceased},
    {PlotSearch::purchases(), "联系人", Source::PlotContact},
    {PlotSearch::reservations(), "联系人", Source::ReservationContact},
    {NicheSearch::storages(), "故者姓名", Source::StorageDeceased},
    {NicheSearch::storages(), "联系人", Source::StorageContact},
    {ConstructionSearch::book(ConstructionSheet::Order), "先人姓名", Source::OrderDeceased},
    {ConstructionSearch::book(ConstructionSheet::Acceptance), "先人姓名", Source::AcceptanceDeceased},
    {ConstructionSearch::book(ConstructionSheet::Acceptance), "验收人", Source::AcceptanceInspector},
    {ConstructionSearch::book(ConstructionSheet::Acceptance), "施工方代表", Source::AcceptanceBuilder},
    {ConstructionSearch::book(ConstructionSheet::Acceptance), "工程部代表", Source::AcceptanceEngineer},
};

// Each of `all` in every searched column, paired differently in the columns of a row, so that a lookup in
// the wrong column's keys finds other rows.
void addEverywhere(Database& database, const QVariantList& all) {
    const qsizetype n = all.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QVariant other = all.at(n - 1 - i);
        database.exec(QStringLiteral("INSERT INTO gm_dj (故者姓名, 联系人) VALUES (?, ?)"),
                      {all.at(i), other}, QStringLiteral("test"));
        database.exec(QStringLiteral("INSERT INTO ydmd (联系人) VALUES (?)"), {all.at(i)},
                      QStringLiteral("test"));
        database.exec(QStringLiteral("INSERT INTO ghjc_dj (故者姓名, 联系人) VALUES (?, ?)"),
                      {other, all.at(i)}, QStringLiteral("test"));
        database.exec(QStringLiteral("INSERT INTO jmsg (故者姓名) VALUES (?)"), {all.at(i)},
                      QStringLiteral("test"));
        database.exec(
            QStringLiteral(
                "INSERT INTO jmsgys (故者姓名, 验收人, 施工方代表, 工程部代表) VALUES (?, ?, ?, ?)"),
            {all.at((i + 1) % n), all.at(i), other, all.at((i + 2) % n)}, QStringLiteral("test"));
        database.exec(QStringLiteral("INSERT INTO cjdd (故者姓名, 联系人) VALUES (?, ?)"), {all.at(i), other},
                      QStringLiteral("test"));
    }
}

const SearchField& field(const Searched& s) {
    return *std::find_if(s.book.fields.cbegin(), s.book.fields.cend(),
                         [&](const SearchField& f) { return f.caption == text(s.caption); });
}

QStringList sorted(QStringList values) {
    values.sort();
    return values;
}

// The searched column of the rows the window's search finds.
QStringList found(Database& database, const Searched& s, const QString& typed) {
    const BoundQuery query = s.book.find(database, field(s), typed);
    const QString column = NamePieces::column(s.source).column;
    return sorted(database.texts(QStringLiteral("SELECT %1 FROM (%2) AS f").arg(column, query.sql),
                                 query.values, QStringLiteral("test")));
}

// What a plain LIKE over the whole table finds.
QStringList liked(Database& database, Source source, const QString& typed) {
    const NamePieces::Column& c = NamePieces::column(source);
    return sorted(
        database.texts(QStringLiteral("SELECT %1 FROM %2 WHERE %1 LIKE ? ESCAPE '\\'").arg(c.column, c.table),
                       {LikePattern::containing(typed)}, QStringLiteral("test")));
}

QStringList piecesOf(Database& database, Source source, qint64 row) {
    return sorted(database.texts(QStringLiteral("SELECT 片 FROM name_pieces WHERE 源 = ? AND 行 = ?"),
                                 {static_cast<int>(source), row}, QStringLiteral("test")));
}

QStringList allPieces(Database& database) {
    return database.texts(
        QStringLiteral(
            "SELECT CAST(源 AS TEXT) || ' ' || 片 || ' ' || CAST(行 AS TEXT) FROM name_pieces ORDER BY 源, 片, 行"),
        {}, QStringLiteral("test"));
}

void addNames(Database& database) {
    addEverywhere(database, names());
}

QStringList pinyinOf(Database& database, Source source, qint64 row) {
    return sorted(database.texts(QStringLiteral("SELECT 键 FROM name_pinyin WHERE 源 = ? AND 行 = ?"),
                                 {static_cast<int>(source), row}, QStringLiteral("test")));
}

QStringList allPinyin(Database& database) {
    return database.texts(
        QStringLiteral(
            "SELECT CAST(源 AS TEXT) || ' ' || 键 || ' ' || CAST(行 AS TEXT) || ' ' || CAST(位 AS TEXT) "
            "FROM name_pinyin ORDER BY 源, 键, 行, 位"),
        {}, QStringLiteral("test"));
}

// People as a clerk hears them: surnames ICU reads unlike their common reading (单 shan, 曾 zeng), a name
// that begins another, a homophone, ü, a character beyond the BMP, and names with typed wildcards.
const QStringList people = texts({"张国强", "单明远", "曾红", "李建", "李建国", "李剑", "王秀英", "王秀",
                                  "吕方", "欧阳𠀾", "张%三", "张_强", "Zhang"});

void addPeople(Database& database) {
    QVariantList all;
    for (const QString& person : people)
        all << person;
    addEverywhere(database, all);
}

// The lamp payments whose deceased or contact, as `column` says, is `typed`: that column of each, sorted.
QStringList lampsFound(Database& database, const char* column, const QString& typed) {
    LampConditions conditions;
    const bool deceased = column == QByteArrayView("故者姓名");
    conditions.byDeceased = deceased;
    conditions.deceased = typed;
    conditions.byContact = !deceased;
    conditions.contact = typed;
    const BoundQuery query = *LampQueries::payments(conditions).query;
    return sorted(database.texts(QStringLiteral("SELECT %1 FROM (%2) AS f").arg(text(column), query.sql),
                                 query.values, QStringLiteral("test")));
}

} // namespace

class NameSearchTest : public QObject {
    Q_OBJECT

private slots:
    // Whatever is typed, in every searched column, the pieces find exactly the rows LIKE finds; what may be
    // pinyin finds them and maybe more.
    void piecesFindWhatLikeFinds() {
        TestData data;
        Database& db = data.db();
        addNames(db);
        for (const Searched& s : searched)
            for (const QString& typed : fragments) {
                const QStringList literal = liked(db, s.source, typed);
                const QStringList all = found(db, s, typed);
                const bool spoken = typed == text("li") || typed == text("LI J");
                QVERIFY2(spoken ? std::includes(all.cbegin(), all.cend(), literal.cbegin(), literal.cend())
                                : all == literal,
                         qPrintable(QStringLiteral("%1 %2").arg(NamePieces::column(s.source).column, typed)));
            }
        const Searched& deceased = searched.first();
        QCOMPARE(found(db, deceased, text("李建")), texts({"国李建", "李建", "李建国"}));
        QCOMPARE(found(db, deceased, text("建国")), texts({"建国", "李建国"}));
        QCOMPARE(found(db, deceased, text("%")), texts({"张%三"}));
        QCOMPARE(found(db, deceased, text("_")), texts({"李_四"}));
        QCOMPARE(found(db, deceased, text("'")), texts({"O'Brien"}));
        QCOMPARE(found(db, deceased, text("𠮷")), texts({"𠮷野家"}));
        QCOMPARE(found(db, deceased, text("尾巴")), QStringList{QString(40, QChar(u'甲')) + text("尾巴")});
        // Read as pinyin, li is 李 wherever it stands; a server's LIKE tells the cases apart, a file's not.
        const QStringList li = texts({"国李建", "李_四", "李四", "李建", "李建国"});
        QCOMPARE(found(db, deceased, text("li")), db.isServer() ? li : QStringList{text("Li Jian")} + li);
        QCOMPARE(found(db, deceased, text(" 李建国 ")), texts({"李建国"}));
    }

    // A piece many times commoner than the rarest is left to the confirmation, and a rare piece is read
    // alone; what is found stays what LIKE finds.
    void commonPiecesAreLeftToTheConfirmation() {
        TestData data;
        Database& db = data.db();
        // 李1 in every row, 12 in every fifth.
        db.exec(QStringLiteral(
                    "INSERT INTO gm_dj (故者姓名) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                    "FROM n WHERE i < 5500) SELECT CASE WHEN i % 5 = 0 THEN ? ELSE ? END FROM n"),
                {text("李12"), text("李13")}, QStringLiteral("test"));
        db.exec(QStringLiteral("INSERT INTO gm_dj (故者姓名) VALUES (?)"), {text("李123")},
                QStringLiteral("test"));
        const Searched& deceased = searched.first();
        const auto lookedUp = [&](const char* typed) {
            return deceased.book.find(db, field(deceased), text(typed)).values;
        };
        QVERIFY(!lookedUp("李12").contains(text("李1")));
        QVERIFY(lookedUp("李12").contains(text("12")));
        QCOMPARE(found(db, deceased, text("李12")), liked(db, deceased.source, text("李12")));
        QCOMPARE(found(db, deceased, text("李12")).size(), 1101);
        QVERIFY(!lookedUp("李123").contains(text("12")));
        QCOMPARE(found(db, deceased, text("李123")), texts({"李123"}));
    }

    // A name heard on the telephone is found by its initials, its syllables with or without blanks, and a
    // mix of characters and letters, in every searched column; the characters alone still match literally.
    void pinyinFindsTheNamesAsHeard() {
        TestData data;
        Database& db = data.db();
        addPeople(db);
        const QList<std::pair<const char*, QStringList>> cases = {
            {"zgq", texts({"张国强"})},
            {"zhangguoqiang", texts({"张国强"})},
            {"zhang guo qiang", texts({"张国强"})},
            {"Zhang Guo", texts({"张国强"})},
            {"张gq", texts({"张国强"})},
            {"张 guo qiang", texts({"张国强"})},
            {"z国q", texts({"张国强"})},
            {"guoqiang", texts({"张国强"})},
            {"gq", texts({"张国强"})},
            // ICU reads 单 and 曾 as surnames; their common readings find them too.
            {"smy", texts({"单明远"})},
            {"shanmingyuan", texts({"单明远"})},
            {"dmy", texts({"单明远"})},
            {"zenghong", texts({"曾红"})},
            {"ch", texts({"曾红"})},
            {"ljg", texts({"李建国"})},
            {"lj", texts({"李剑", "李建", "李建国"})},
            {"lijian", texts({"李剑", "李建", "李建国"})},
            {"lijiang", texts({"李建国"})},
            {"李jian", texts({"李剑", "李建", "李建国"})},
            {"李建", texts({"李建", "李建国"})},
            {"wang xiu", texts({"王秀", "王秀英"})},
            {"wxy", texts({"王秀英"})},
            {"lvf", texts({"吕方"})},
            {"ouyang", texts({"欧阳𠀾"})},
            // A wildcard is only itself: nothing but the names that hold it.
            {"z%q", {}},
            {"z_q", {}},
            {"张%", texts({"张%三"})},
            {"张_", texts({"张_强"})},
            {"zhang", db.isServer() ? texts({"张%三", "张_强", "张国强"})
                                    : texts({"Zhang", "张%三", "张_强", "张国强"})},
            {"xyz", {}},
        };
        for (const Searched& s : searched)
            for (const auto& [typed, expected] : cases)
                QVERIFY2(found(db, s, text(typed)) == expected,
                         qPrintable(QStringLiteral("%1 %2: %3")
                                        .arg(NamePieces::column(s.source).column, text(typed),
                                             found(db, s, text(typed)).join(u' '))));
    }

    // The lamp query takes a name whole, by its characters or as heard, in both its name fields: a name that
    // begins another does not find that one. What holds other signs matches only literally.
    void lampPaymentsAreFoundByTheWholeName() {
        TestData data;
        Database& db = data.db();
        addPeople(db);
        addEverywhere(db, {text("甲"), text("甲乙"), text("张国"), text("张国强张国强张国强"), text("王李"),
                           text("王1")});
        const QList<std::pair<const char*, QStringList>> cases = {
            {"甲", texts({"甲"})},
            {" 甲乙 ", texts({"甲乙"})},
            {"张国", texts({"张国"})},
            {"zgq", texts({"张国强"})},
            {"ZGQ", texts({"张国强"})},
            {"zhangguoqiang", texts({"张国强"})},
            {"zhang guo qiang", texts({"张国强"})},
            {"张gq", texts({"张国强"})},
            {"张guoqiang", texts({"张国强"})},
            {"z国q", texts({"张国强"})},
            {"zg", texts({"张国"})},
            {"zhangguo", texts({"张国"})},
            {"gq", {}},
            {"guoqiang", {}},
            {"zgqzgqzg", {}},
            {"zgqzgqzgq", {}},
            {"smy", texts({"单明远"})},
            {"dmy", texts({"单明远"})},
            {"shanmingyuan", texts({"单明远"})},
            {"zenghong", texts({"曾红"})},
            {"lj", texts({"李剑", "李建"})},
            {"李jian", texts({"李剑", "李建"})},
            {"ljg", texts({"李建国"})},
            {"wang xiu", texts({"王秀"})},
            {"wxy", texts({"王秀英"})},
            {"wl", texts({"王李"})},
            {"w", {}},
            {"lvfang", texts({"吕方"})},
            {"王1", texts({"王1"})},
            {"张%三", texts({"张%三"})},
            {"张%", {}},
            {"z_q", {}},
            {"Zhang", texts({"Zhang"})},
        };
        for (const char* column : {"故者姓名", "联系人"})
            for (const auto& [typed, expected] : cases)
                QVERIFY2(lampsFound(db, column, text(typed)) == expected,
                         qPrintable(QStringLiteral("%1 %2: %3")
                                        .arg(text(column), text(typed),
                                             lampsFound(db, column, text(typed)).join(u' '))));

        // A name written anew is found by its keys, in the transaction that writes it; the keys stay out of
        // the change history.
        db.exec(QStringLiteral("UPDATE cjdd SET 故者姓名 = ? WHERE 故者姓名 = ?"),
                {text("赵六"), text("张国强")}, QStringLiteral("test"));
        QCOMPARE(lampsFound(db, "故者姓名", text("zgq")), QStringList());
        QCOMPARE(lampsFound(db, "故者姓名", text("zhaoliu")), texts({"赵六"}));
        QCOMPARE(lampsFound(db, "联系人", text("zgq")), texts({"张国强"}));
        const QString keys = data.dump(QStringLiteral("name_whole_pinyin"));
        db.failNthWrite(2);
        try {
            db.transaction([&] {
                db.exec(QStringLiteral("INSERT INTO cjdd (故者姓名, 联系人) VALUES (?, ?)"),
                        {text("钱七"), text("孙八")}, QStringLiteral("test"));
                db.exec(QStringLiteral("INSERT INTO cjdd (联系人) VALUES (?)"), {text("周九")},
                        QStringLiteral("test"));
            });
            QFAIL("the injected failure did not strike");
        } catch (const DatabaseError&) {
        }
        QCOMPARE(data.dump(QStringLiteral("name_whole_pinyin")), keys);
        QCOMPARE(lampsFound(db, "联系人", text("sb")), QStringList());
        db.exec(QStringLiteral("INSERT INTO cjdd (故者姓名, 联系人) VALUES (?, ?)"),
                {text("钱七"), text("孙八")}, QStringLiteral("test"));
        QCOMPARE(lampsFound(db, "联系人", text("sb")), texts({"孙八"}));
        QCOMPARE(lampsFound(db, "故者姓名", text("sb")), QStringList());
        QCOMPARE(data.count(QStringLiteral("change_history"), QStringLiteral("表 = 'name_whole_pinyin'")), 0);

        // The names' index and the keys' answer it, not a reading of every payment, of many payments.
        QStringList many;
        for (int i = 0; i < 3000; ++i)
            many << QStringLiteral("('%1%2', '%2%1')")
                        .arg(QChar(0x4E00 + i % 100))
                        .arg(QChar(0x5000 + i / 100));
        db.exec(QStringLiteral("INSERT INTO cjdd (故者姓名, 联系人) VALUES ") + many.join(QLatin1Char(',')),
                {}, QStringLiteral("test"));
        db.exec(QStringLiteral("ANALYZE"), {}, QStringLiteral("test"));
        for (const char* column : {"故者姓名", "联系人"})
            for (const char* typed : {"张国强", "zgq", "张gq"}) {
                LampConditions conditions;
                conditions.byDeceased = column == QByteArrayView("故者姓名");
                conditions.deceased = text(typed);
                conditions.byContact = !conditions.byDeceased;
                conditions.contact = text(typed);
                const BoundQuery query = *LampQueries::payments(conditions).query;
                QSqlQuery explained(db.connection());
                QVERIFY(explained.exec(
                    (db.isServer() ? QStringLiteral("EXPLAIN ") : QStringLiteral("EXPLAIN QUERY PLAN ")) +
                    SqlLiteral::inlined(query)));
                QStringList lines;
                while (explained.next())
                    lines << explained.value(db.isServer() ? 0 : 3).toString();
                const QString plan = lines.join(QLatin1Char('\n'));
                QVERIFY2(plan.contains(conditions.byDeceased ? QStringLiteral("cjdd_deceased")
                                                             : QStringLiteral("cjdd_contact")),
                         qPrintable(plan));
                QVERIFY2(!plan.contains(QStringLiteral("Seq Scan on cjdd")) &&
                             !plan.contains(QStringLiteral("SCAN cjdd")) &&
                             !plan.contains(QStringLiteral("SCAN name_whole_pinyin")) &&
                             !plan.contains(QStringLiteral("Seq Scan on name_whole_pinyin")),
                         qPrintable(plan));
            }
    }

    // The pieces follow every write of a name, in its transaction, and stay out of the change history.
    void piecesFollowTheNames() {
        TestData data;
        Database& db = data.db();
        const qint64 row = db.insert(
            QStringLiteral("gm_dj"),
            {{QStringLiteral("故者姓名"), text("李建国")}, {QStringLiteral("联系人"), text("王五")}},
            QStringLiteral("test"));
        QCOMPARE(piecesOf(db, Source::PlotDeceased, row), sorted(texts({"李", "建", "国", "李建", "建国"})));
        QCOMPARE(piecesOf(db, Source::PlotContact, row), sorted(texts({"王", "五", "王五"})));
        QCOMPARE(pinyinOf(db, Source::PlotDeceased, row),
                 sorted(texts({"lijianguo", "ljg", "jianguo", "jg", "guo", "g"})));

        db.exec(QStringLiteral("UPDATE gm_dj SET 故者姓名 = ? WHERE rid = ?"), {text("李建"), row},
                QStringLiteral("test"));
        QCOMPARE(pinyinOf(db, Source::PlotDeceased, row), sorted(texts({"lijian", "lj", "jian", "j"})));
        QCOMPARE(found(db, searched.at(0), text("ljg")), QStringList());
        QCOMPARE(piecesOf(db, Source::PlotDeceased, row), sorted(texts({"李", "建", "李建"})));
        QCOMPARE(found(db, searched.at(0), text("国")), QStringList());
        QCOMPARE(found(db, searched.at(0), text("李建")), texts({"李建"}));
        QCOMPARE(piecesOf(db, Source::PlotContact, row), sorted(texts({"王", "五", "王五"})));

        db.exec(QStringLiteral("UPDATE gm_dj SET 联系人 = ?, 故者姓名 = NULL WHERE rid = ?"),
                {text("赵六"), row}, QStringLiteral("test"));
        QCOMPARE(piecesOf(db, Source::PlotDeceased, row), QStringList());
        QCOMPARE(found(db, searched.at(1), text("赵六")), texts({"赵六"}));
        QCOMPARE(found(db, searched.at(1), text("王")), QStringList());

        db.exec(QStringLiteral("UPDATE gm_dj SET 故者姓名 = ? WHERE rid = ?"), {text("孙七"), row},
                QStringLiteral("test"));
        db.exec(QStringLiteral("DELETE FROM gm_dj WHERE rid = ?"), {row}, QStringLiteral("test"));
        QCOMPARE(allPieces(db), QStringList());
        QCOMPARE(allPinyin(db), QStringList());
        QVERIFY(data.count(QStringLiteral("change_history"), QStringLiteral("表 = 'gm_dj'")) > 0);
        QCOMPARE(data.count(QStringLiteral("change_history"), QStringLiteral("表 LIKE 'name_%'")), 0);

        const qint64 storage = db.insert(
            QStringLiteral("ghjc_dj"), {{QStringLiteral("故者姓名"), text("陈一")}}, QStringLiteral("test"));
        const QStringList before = allPieces(db);
        const QStringList pinyinBefore = allPinyin(db);
        db.failNthWrite(2);
        try {
            db.transaction([&] {
                db.insert(QStringLiteral("gm_dj"), {{QStringLiteral("故者姓名"), text("李建国")}},
                          QStringLiteral("test"));
                db.exec(QStringLiteral("UPDATE ghjc_dj SET 联系人 = ? WHERE id = ?"), {text("陈二"), storage},
                        QStringLiteral("test"));
            });
            QFAIL("the injected failure did not strike");
        } catch (const DatabaseError&) {
        }
        QCOMPARE(allPieces(db), before);
        QCOMPARE(allPinyin(db), pinyinBefore);
    }

    // An office upgraded to the pieces finds the names it held before, pieced as a new name is.
    void namesFromBeforeThePiecesAreFound() {
        TestData data;
        Database& db = data.db();
        NamePieces::drop(db);
        // Version 10 is the last without the pieces; later steps run again over what they find.
        const int beforePieces = 10;
        data.sql(db.isServer()
                     ? QStringLiteral("UPDATE pelu_schema_version SET version = %1").arg(beforePieces)
                     : QStringLiteral("PRAGMA user_version = %1").arg(beforePieces));
        addNames(db);
        { Database upgraded(db.target(), Database::Mode::Open); }
        QCOMPARE(db.schemaVersion(), Schema::latestVersion());
        for (const Searched& s : searched)
            for (const QString& typed : {text("李建"), text("哈哈"), text("尾巴"), text("_")})
                QVERIFY2(!found(db, s, typed).isEmpty() && found(db, s, typed) == liked(db, s.source, typed),
                         qPrintable(typed));
        QCOMPARE(found(db, searched.first(), text("ljg")), texts({"李建国"}));
        QCOMPARE(lampsFound(db, "联系人", text("ljg")), texts({"李建国"}));
        const qint64 old =
            db.scalar(QStringLiteral("SELECT MIN(rid) FROM gm_dj"), {}, QStringLiteral("test")).toLongLong();
        const qint64 added = db.insert(
            QStringLiteral("gm_dj"), {{QStringLiteral("故者姓名"), names().first()}}, QStringLiteral("test"));
        QCOMPARE(piecesOf(db, Source::PlotDeceased, old), piecesOf(db, Source::PlotDeceased, added));
        QCOMPARE(pinyinOf(db, Source::PlotDeceased, old), pinyinOf(db, Source::PlotDeceased, added));
    }

    // A lookup and its count read ranges of the pieces' key and reach the register rows by their key.
    void searchesReadTheIndex() {
        TestData data;
        Database& db = data.db();
        // Names of two characters, each pair once, each character in many.
        QStringList rows;
        for (int i = 0; i < 3000; ++i)
            rows << QStringLiteral("('%1%2')").arg(QChar(0x4E00 + i % 100)).arg(QChar(0x5000 + i / 100));
        for (const NamePieces::Column& c : NamePieces::columns())
            db.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(c.table, c.column) +
                        rows.join(QLatin1Char(',')),
                    {}, QStringLiteral("test"));
        db.exec(QStringLiteral("ANALYZE"), {}, QStringLiteral("test"));
        const QString typed = QStringLiteral("%1%2%3").arg(QChar(0x4E07), QChar(0x5007), QChar(0x4E07));
        const QString second = db.scalar(QStringLiteral("SELECT 普读 FROM name_readings WHERE 字 = ?"),
                                         {typed.mid(1, 1)}, QStringLiteral("test"))
                                   .toString();
        const QString spoken = db.scalar(QStringLiteral("SELECT 普读 FROM name_readings WHERE 字 = ?"),
                                         {typed.left(1)}, QStringLiteral("test"))
                                   .toString() +
                               second;
        for (const Searched& s : searched) {
            QCOMPARE(found(db, s, typed.left(2)).size(), 1);
            const QString table = NamePieces::column(s.source).table;
            // Characters, pinyin, and both mixed.
            for (const QString& searchedFor : QStringList{typed, spoken, QString(typed.at(0)) + second}) {
                const BoundQuery query = s.book.find(db, field(s), searchedFor);
                const bool pinyin = searchedFor != typed;
                for (const QString& sql :
                     {query.sql, QStringLiteral("SELECT COUNT(*) FROM (%1) AS counted").arg(query.sql)}) {
                    // A server prepares no EXPLAIN: the values go in as literals.
                    QSqlQuery explained(db.connection());
                    QVERIFY(explained.exec(
                        (db.isServer() ? QStringLiteral("EXPLAIN ") : QStringLiteral("EXPLAIN QUERY PLAN ")) +
                        SqlLiteral::inlined({sql, query.values})));
                    QStringList lines;
                    while (explained.next())
                        lines << explained.value(db.isServer() ? 0 : 3).toString();
                    const QString plan = lines.join(QLatin1Char('\n'));
                    QVERIFY2(plan.contains(db.isServer() ? QStringLiteral("name_pieces_pkey")
                                                         : QStringLiteral("name_pieces USING PRIMARY KEY")),
                             qPrintable(plan));
                    QVERIFY2(!pinyin ||
                                 plan.contains(db.isServer()
                                                   ? QStringLiteral("name_pinyin_pkey")
                                                   : QStringLiteral("USING PRIMARY KEY (源=? AND 键>?")),
                             qPrintable(plan));
                    QVERIFY2(!plan.contains(QStringLiteral("Seq Scan on ") + table) &&
                                 !plan.contains(QStringLiteral("SCAN ") + table) &&
                                 !plan.contains(QStringLiteral("SCAN name_pieces")) &&
                                 !plan.contains(QStringLiteral("SCAN name_pinyin")) &&
                                 !plan.contains(QStringLiteral("Seq Scan on name_pinyin")),
                             qPrintable(plan));
                }
            }
        }
    }

    // On a server the desks write names, and with them their pieces, but never the pieces themselves.
    void desksKeepPiecesOnlyThroughTheirNames() {
        if (!testsOnServer())
            QSKIP("the rights of a server's desk role");
        OfficeWithRoles office;
        Database desk(office.as(office.roles().desk), Database::Mode::Open);
        const qint64 row = desk.insert(
            QStringLiteral("gm_dj"), {{QStringLiteral("故者姓名"), text("李建国")}}, QStringLiteral("test"));
        QCOMPARE(found(desk, searched.first(), text("建国")), texts({"李建国"}));
        QCOMPARE(found(desk, searched.first(), text("ljg")), texts({"李建国"}));
        desk.exec(QStringLiteral("DELETE FROM gm_dj WHERE rid = ?"), {row}, QStringLiteral("test"));
        QCOMPARE(found(desk, searched.first(), text("建国")), QStringList());
        desk.insert(QStringLiteral("cjdd"), {{QStringLiteral("联系人"), text("李建国")}},
                    QStringLiteral("test"));
        QCOMPARE(lampsFound(desk, "联系人", text("ljg")), texts({"李建国"}));
        for (const QString& statement :
             {QStringLiteral("DELETE FROM name_pieces"),
              QStringLiteral("INSERT INTO name_pieces (源, 片, 行) VALUES (1, 'x', 1)"),
              QStringLiteral("INSERT INTO name_pinyin (源, 键, 行, 位) VALUES (1, 'x', 1, 1)"),
              QStringLiteral("UPDATE name_readings SET 普读 = 'x'"),
              QStringLiteral("INSERT INTO name_whole_pinyin (键, 名) VALUES ('x', 'y')")}) {
            try {
                desk.exec(statement, {}, QStringLiteral("test"));
                QFAIL(qPrintable(statement));
            } catch (const DatabaseError&) {
            }
        }
    }
};

QTEST_GUILESS_MAIN(NameSearchTest)
#include "tst_namesearch.moc"
