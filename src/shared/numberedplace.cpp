#include "shared/numberedplace.h"

#include "foundation/money.h"
#include "shared/positionkey.h"
#include "shared/setupview.h"

#include <algorithm>
#include <cmath>

namespace Numbered {

qint64 wholeNumber(const QString& typed) {
    return static_cast<qint64>(std::trunc(std::clamp(Money::parseLeading(typed), -1e12, 1e12)));
}

QString fourDigits(qint64 number) {
    return PositionKey::fourDigitNumber(QString::number(number));
}

} // namespace Numbered

NumberedPlace::NumberedPlace(Database& database, QString table, QString where, QVariantList values,
                             QString described)
    : m_database(database), m_table(std::move(table)), m_where(std::move(where)), m_values(std::move(values)),
      m_described(std::move(described)) {}

QString NumberedPlace::keyColumn() const {
    return m_table == QLatin1String("mq_wz") ? QStringLiteral("墓碑位置") : QStringLiteral("存放位置");
}

QSqlQuery NumberedPlace::select(const QString& columns, const QString& condition, const QVariantList& extra,
                                const QString& doing) {
    return m_database.exec(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 AND %4").arg(columns, m_table, m_where, condition),
        m_values + extra, doing);
}

bool NumberedPlace::exists() {
    return select(QStringLiteral("1"), QStringLiteral("1 = 1 LIMIT 1"), {}, QStringLiteral("查找位置"))
        .next();
}

std::optional<QString> NumberedPlace::firstTaken(const NumberRun& run) {
    QSqlQuery query = select(QStringLiteral("号"), Numbered::isPosition, {}, QStringLiteral("检测重复编号"));
    QSet<QString> taken;
    while (query.next())
        taken.insert(query.value(QStringLiteral("号")).toString());
    for (qint64 i = 0; i < run.count; ++i) {
        const QString number = run.number(i);
        if (taken.contains(number))
            return number;
        taken.insert(number);
    }
    return std::nullopt;
}

QStringList NumberedPlace::missingNumbers() {
    // The numbers come in order, so the gaps show between one and the next: no lookups.
    QSqlQuery query = select(QStringLiteral("号"), Numbered::isPosition + QStringLiteral(" ORDER BY 号"), {},
                             QStringLiteral("检测未设置号"));
    QStringList missing;
    int expected = 1;
    while (query.next()) {
        const int number = query.value(QStringLiteral("号")).toString().toInt();
        for (; expected < number; ++expected)
            missing << Numbered::fourDigits(expected);
        expected = std::max(expected, number + 1);
    }
    return missing;
}

QStringList NumberedPlace::write(const QList<Database::Column>& placeColumns,
                                 const QList<Database::Column>& values, const NumberRun& run,
                                 const KeyOf& key, const Breathe& breathe, const QString& doing) {
    QStringList keys;
    keys.reserve(run.count);
    for (qint64 i = 0; i < run.count; ++i)
        keys << key(run.number(i));
    const Database::BulkChange change{m_table, QStringLiteral("批量添加"),
                                      QStringLiteral("%1，设置 %2 个位置").arg(m_described).arg(run.count),
                                      run.count, keys};
    return m_database.inBulk({change}, [&] {
        QStringList numbers;
        numbers.reserve(run.count);
        // The first position of an empty place takes the place of its marker row.
        qint64 i = 0;
        QSqlQuery filled = m_database.prepareUpdate(
            m_table, QList<Database::Column>{{QStringLiteral("号"), run.number(0)}} + values,
            QStringLiteral("rid = (SELECT rid FROM %1 WHERE %2 AND %3 LIMIT 1)")
                .arg(m_table, m_where, Numbered::isMarker),
            m_values, doing);
        m_database.run(filled, doing);
        if (filled.numRowsAffected() > 0)
            numbers << run.number(i++);
        const int numberColumn = int(placeColumns.size());
        const QList<Database::Column> columns =
            placeColumns + QList<Database::Column>{{QStringLiteral("号"), QVariant()}} + values;
        if (m_database.isServer()) {
            // Every statement is a round trip to the server: many rows each.
            insertInBatches(columns, numberColumn, run, i, numbers, breathe, doing);
            return numbers;
        }
        // Bound values stay between runs of the statement: only the number changes.
        QSqlQuery insert = m_database.prepareInsert(m_table, columns, doing);
        for (; i < run.count; ++i) {
            const QString number = run.number(i);
            insert.bindValue(numberColumn, number);
            m_database.run(insert, doing);
            numbers << number;
            breathe();
        }
        return numbers;
    });
}

void NumberedPlace::insertInBatches(const QList<Database::Column>& columns, int numberColumn,
                                    const NumberRun& run, qint64 from, QStringList& numbers,
                                    const Breathe& breathe, const QString& doing) {
    // Well below the server's limit of bound values, whatever the columns.
    constexpr qint64 batchRows = 500;
    QStringList names;
    for (const Database::Column& column : columns)
        names << column.name;
    const QString row = QStringLiteral("(%1)").arg(
        QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
    const auto statementFor = [&](qint64 rows) {
        return m_database.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                                      .arg(m_table, names.join(QStringLiteral(", ")),
                                           QStringList(rows, row).join(QStringLiteral(", "))),
                                  doing);
    };
    std::optional<QSqlQuery> fullBatch;
    for (qint64 i = from; i < run.count;) {
        const qint64 rows = std::min(batchRows, run.count - i);
        std::optional<QSqlQuery> rest;
        QSqlQuery& statement = rows == batchRows
                                   ? (fullBatch ? *fullBatch : fullBatch.emplace(statementFor(rows)))
                                   : rest.emplace(statementFor(rows));
        int mark = 0;
        for (qint64 r = 0; r < rows; ++r, ++i) {
            const QString number = run.number(i);
            for (int c = 0; c < columns.size(); ++c)
                statement.bindValue(mark++, c == numberColumn ? QVariant(number) : columns.at(c).value);
            numbers << number;
        }
        m_database.run(statement, doing);
        breathe();
    }
}

QString NumberedPlace::Deletion::summary() const {
    return onlyOneLeft ? QStringLiteral("记录只剩下一条,不能删除！")
                       : QStringLiteral("本次共删除记录%1条").arg(deleted);
}

NumberedPlace::Deletion NumberedPlace::deleteFree(const QString& from, const QString& to,
                                                  const QString& freeState, const QString& doing) {
    const QString inRange = QStringLiteral("号 BETWEEN ? AND ?");
    return m_database.transaction([&] {
        Deletion deletion;
        const qint64 all =
            m_database
                .scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(m_table, m_where), m_values,
                        doing)
                .toLongLong();
        QSqlQuery walk = select(QStringLiteral("rid, 号, 状态, %1 AS 位置").arg(keyColumn()),
                                inRange + QStringLiteral(" ORDER BY 号"), {from, to}, doing);
        QList<Position> positions;
        QHash<qint64, QString> keys;
        while (walk.next()) {
            const qint64 rid = walk.value(QStringLiteral("rid")).toLongLong();
            positions.append({rid, walk.value(QStringLiteral("号")).toString(),
                              walk.value(QStringLiteral("状态")).toString()});
            keys.insert(rid, walk.value(QStringLiteral("位置")).toString());
        }
        const bool allFree = std::all_of(positions.cbegin(), positions.cend(), [&](const Position& position) {
            return position.state == freeState;
        });
        qint64 kept = -1;
        if (!positions.isEmpty() && allFree && positions.size() == all) {
            if (all == 1) {
                deletion.onlyOneLeft = true;
                return deletion;
            }
            kept = positions.last().rid;
            positions.removeLast();
        }
        deletion.listed = positions;
        QStringList going;
        for (const Position& position : std::as_const(positions))
            if (position.state == freeState)
                going << keys.value(position.rid);
        deletion.deleted = m_database.inBulk(
            {{m_table, QStringLiteral("批量删除"),
              QStringLiteral("%1，删除 %2 到 %3 号中未使用的位置").arg(m_described, from, to), going.size(),
              going}},
            [&] {
                return m_database
                    .exec(QStringLiteral("DELETE FROM %1 WHERE %2 AND %3 AND 状态 = ? AND rid <> ?")
                              .arg(m_table, m_where, inRange),
                          m_values + QVariantList{from, to, freeState, kept}, doing)
                    .numRowsAffected();
            });
        return deletion;
    });
}

NumberedPlace::Removal NumberedPlace::removeUnless(const QString& inUse, const QVariantList& inUseValues,
                                                   const QString& doing) {
    return m_database.transaction([&] {
        // Checked and deleted in one transaction: a position another desk took after the operator's answer
        // keeps the whole place.
        const QString place = QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(keyColumn(), m_table, m_where);
        if (m_database.exec(place + QStringLiteral(" AND ") + inUse, m_values + inUseValues, doing).next())
            return Removal::InUse;
        QStringList keys;
        qint64 rows = 0;
        QSqlQuery all = m_database.exec(place, m_values, doing);
        for (; all.next(); ++rows)
            if (!all.value(keyColumn()).isNull())
                keys << all.value(keyColumn()).toString();
        if (rows == 0)
            return Removal::Gone;
        m_database.inBulk(
            {{m_table, QStringLiteral("批量删除"), QStringLiteral("注销 %1").arg(m_described), rows, keys}},
            [&] {
                m_database.exec(QStringLiteral("DELETE FROM %1 WHERE %2").arg(m_table, m_where), m_values,
                                doing);
            });
        return Removal::Removed;
    });
}

int NumberedPlace::showDeleteFree(SetupView& view, const QString& from, const QString& to,
                                  const QString& freeState, const KeyOf& key, const KeptLine& kept,
                                  const QString& doing) {
    view.showDeleteRange(from, to);
    view.showResults({});
    view.showStatus(QStringLiteral("正在删除，请等待……"));
    QStringList lines;
    Deletion deletion;
    view.runLong(SetupView::Pass::Busy, [&](const SetupView::Breathe&) {
        deletion = deleteFree(from, to, freeState, doing);
        for (const Position& position : std::as_const(deletion.listed)) {
            const QString shown = key(position.number);
            const QString line =
                position.state == freeState
                    ? QString(QStringLiteral("OK！") + shown + QStringLiteral("，已被删除！"))
                    : kept(shown, position.state);
            if (!line.isEmpty())
                lines << line;
        }
    });
    view.showResults(lines);
    view.showStatus(deletion.summary());
    return deletion.deleted;
}

void NumberedPlace::showMissingNumbers(SetupView& view, const KeyOf& key) {
    QStringList lines;
    // One read of the place's numbers; the gaps are found in memory.
    view.runLong(SetupView::Pass::Busy, [&](const SetupView::Breathe&) {
        for (const QString& number : missingNumbers())
            lines << key(number) + QStringLiteral("，未设置！");
    });
    view.showResults(lines);
    view.showStatus(missingSummary(lines.size()));
}

QString NumberedPlace::missingSummary(qsizetype count) {
    return QStringLiteral("经检测，共有 %1 记录未设置！").arg(count);
}
