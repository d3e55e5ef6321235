#pragma once

#include "foundation/database.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <optional>

class SetupView;

// A marker row has no number; every other row of mq_wz or ghjc_wz is a plot or a niche.
namespace Numbered {
inline const QString isPosition = QStringLiteral("号 IS NOT NULL AND 号 <> ''");
inline const QString isMarker = QStringLiteral("(号 IS NULL OR 号 = '')");

// Numbers are typed into free text fields and read the way the office expects: the leading number,
// 0 for anything else, without its fraction.
qint64 wholeNumber(const QString& typed);
// The four-character number text; numbers above 9999 keep their last four digits.
QString fourDigits(qint64 number);
} // namespace Numbered

// The numbers start, start + step, ... of a run of `count` positions.
struct NumberRun {
    qint64 start = 0;
    qint64 step = 1;
    qint64 count = 0;
    QString number(qint64 i) const { return Numbered::fourDigits(start + i * step); }
};

// The numbered positions of one place, where the set-up windows check, write, delete and scan them
// alike: the plots of a row (or of an area without rows) in mq_wz, the niches of a room in ghjc_wz.
// Each is a few set queries, never one query per number.
class NumberedPlace {
public:
    using Breathe = std::function<void()>;
    // The key a set-up window shows for a position's number.
    using KeyOf = std::function<QString(const QString& number)>;
    // The line a set-up window shows for a position a delete kept, by its key and state; empty for none.
    using KeptLine = std::function<QString(const QString& key, const QString& state)>;

    // `where` selects the place's rows of `table` (markers included) with `values` for its marks;
    // `described` names the place in words for the change history ("墓区 东区，排 3").
    NumberedPlace(Database& database, QString table, QString where, QVariantList values, QString described);

    // Whether the place has any row, a marker at least: a typed row or room that was never added has none.
    bool exists();
    // The first number of `run` that is already there or that the run itself makes twice (numbers
    // keep four digits, so a run passing 9999 can meet itself).
    std::optional<QString> firstTaken(const NumberRun& run);
    // The numbers from 1 to the highest one there that are not there, from one read of the place.
    QStringList missingNumbers();
    // Writes the run, each position with `placeColumns` and `values` besides its number: the first
    // fills the place's marker row when there is one, the rest go in through one prepared insert (on a
    // server, multi-row inserts of 500).
    // Returns the numbers written, in order. Runs in one transaction, recorded as one bulk action.
    QStringList write(const QList<Database::Column>& placeColumns, const QList<Database::Column>& values,
                      const NumberRun& run, const KeyOf& key, const Breathe& breathe, const QString& doing);

    // A delete of the positions numbered `from` to `to` that are in `freeState`.
    struct Position {
        qint64 rid = 0;
        QString number;
        QString state;
    };
    struct Deletion {
        QList<Position> listed; // every position of the range but the one kept, in number order
        int deleted = 0;
        bool onlyOneLeft = false; // the range was the place's one position: nothing was deleted
        // The status line that ends a delete.
        QString summary() const;
    };
    // One statement deletes the free positions of the range. When the range holds every row of the
    // place and all are free, its last position stays so that the place is not lost. One transaction,
    // recorded as one bulk action.
    Deletion deleteFree(const QString& from, const QString& to, const QString& freeState,
                        const QString& doing);

    // 注销 of a whole place: one statement deletes every row of it, markers included, unless one of them
    // matches `inUse` at that moment. One transaction, recorded as one bulk action.
    enum class Removal { Removed, InUse, Gone };
    Removal removeUnless(const QString& inUse, const QVariantList& inUseValues, const QString& doing);

    // 删除 of a set-up window: shows the range, runs deleteFree behind the busy pointer, then a line for
    // each position listed ("OK！" + key + "，已被删除！" for a free one, `kept` for another) and the
    // summary. Returns how many positions went.
    int showDeleteFree(SetupView& view, const QString& from, const QString& to, const QString& freeState,
                       const KeyOf& key, const KeptLine& kept, const QString& doing);
    // 检测未设置号 of a set-up window: behind the busy pointer, a line for each missing number, then
    // how many there are.
    void showMissingNumbers(SetupView& view, const KeyOf& key);
    static QString missingSummary(qsizetype count);

private:
    // The positions of `run` from its `from`th, in multi-row inserts; their numbers go to `numbers`.
    void insertInBatches(const QList<Database::Column>& columns, int numberColumn, const NumberRun& run,
                         qint64 from, QStringList& numbers, const Breathe& breathe, const QString& doing);
    QSqlQuery select(const QString& columns, const QString& condition, const QVariantList& extra,
                     const QString& doing);

    Database& m_database;
    // The column of the table's position key.
    QString keyColumn() const;

    QString m_table;
    QString m_where;
    QVariantList m_values;
    QString m_described;
};
