#include "statistics/salescounts.h"

#include "foundation/database.h"
#include "foundation/datetext.h"
#include "shared/numberedplace.h"

namespace {

const QString counting = QStringLiteral("统计");

// Where the figures of a statistic go for pelu-print, and the template that prints them.
struct WorkTable {
    QString table;
    QString label;
    QString count;
    QString share; // empty: the table keeps no shares
    QString templateName;
};

WorkTable workTableOf(CountKind kind) {
    switch (kind) {
    case CountKind::PlotSales:
        return {QStringLiteral("MwxsSjdtj"), QStringLiteral("类型"), QStringLiteral("位置数"),
                QStringLiteral("百分比"), QStringLiteral("mwxstj")};
    case CountKind::TombstoneTypes:
        return {QStringLiteral("Bxxstj"), QStringLiteral("tjmc"), QStringLiteral("xssl"),
                QStringLiteral("Bfb"), QStringLiteral("bxxstj")};
    case CountKind::NicheOccupancy:
        return {QStringLiteral("jcxstj"), QStringLiteral("类型"), QStringLiteral("位置数"),
                QStringLiteral("百分比"), QStringLiteral("ghjcrqdy")};
    case CountKind::PlotSalesByMonth:
        return {QStringLiteral("CountXsYear"), QStringLiteral("月份"), QStringLiteral("销售量"), QString(),
                QStringLiteral("year")};
    case CountKind::StoragesByMonth:
        return {QStringLiteral("Jczdyntj"), QStringLiteral("月份"), QStringLiteral("销售量"), QString(),
                QStringLiteral("ghjcntj")};
    }
    return {};
}

// The plots or niches of `table`: every row but the markers of an empty area, row, hall or room. The
// table's own count less the few markers, found through their index, so nothing reads every row.
QString positionsOf(const QString& table) {
    return QStringLiteral("(SELECT COUNT(*) FROM %1) - (SELECT COUNT(*) FROM %1 WHERE 号 IS NULL OR 号 = '')")
        .arg(table);
}

} // namespace

QList<Figure> SalesCounts::count(CountKind kind, const Period& period) {
    switch (kind) {
    case CountKind::PlotSales: {
        const std::optional<StoredRow> counts = m_database.row(
            QStringLiteral(
                "SELECT %1 AS total, "
                "(SELECT COUNT(DISTINCT 墓碑位置) FROM gm_dj WHERE 购墓日期 >= ? AND 购墓日期 < ?) AS bought, "
                "(SELECT COUNT(DISTINCT 墓碑位置) FROM ydmd WHERE 操作时间 >= ? AND 操作时间 < ?) AS reserved, "
                "(SELECT COUNT(*) FROM mq_wz WHERE 状态 = '已购' AND 寿穴 = 1 AND %2) AS advance")
                .arg(positionsOf(QStringLiteral("mq_wz")), Numbered::isPosition),
            {period.first(), period.end(), period.first(), period.end()}, counting);
        const qint64 total = counts->whole(QStringLiteral("total"));
        const qint64 bought = counts->whole(QStringLiteral("bought"));
        const qint64 reserved = counts->whole(QStringLiteral("reserved"));
        const qint64 advance = counts->whole(QStringLiteral("advance"));
        // The advance-bought plots are counted whenever they were bought, so their share of the plots
        // bought in the period may pass 1.
        return {{QStringLiteral("总位置数"), total, Tally::share(total, total)},
                {QStringLiteral("已购买数"), bought, Tally::share(bought, total)},
                {QStringLiteral("已预订数"), reserved, Tally::share(reserved, total)},
                {QStringLiteral("寿穴总数"), advance, Tally::share(advance, bought)}};
    }
    case CountKind::TombstoneTypes: {
        const QList<StoredRow> types = m_database.rows(
            QStringLiteral(
                "SELECT 墓碑类型, COUNT(DISTINCT 墓碑位置) AS plots FROM gm_dj WHERE 购墓日期 >= ? AND "
                "购墓日期 < ? AND 墓碑类型 IS NOT NULL AND 墓碑类型 <> '' GROUP BY 墓碑类型 "
                "ORDER BY 墓碑类型"),
            {period.first(), period.end()}, counting);
        // A share is of every plot sold in the period: a sale whose type was never chosen is still a sale.
        const qint64 sold =
            m_database
                .scalar(QStringLiteral("SELECT COUNT(DISTINCT 墓碑位置) FROM gm_dj WHERE 购墓日期 >= ? "
                                       "AND 购墓日期 < ?"),
                        {period.first(), period.end()}, counting)
                .toLongLong();
        QList<Figure> figures;
        for (const StoredRow& type : types) {
            const qint64 count = type.whole(QStringLiteral("plots"));
            figures.append({type.text(QStringLiteral("墓碑类型")), count, Tally::share(count, sold)});
        }
        return figures;
    }
    case CountKind::NicheOccupancy: {
        const std::optional<StoredRow> counts = m_database.row(
            QStringLiteral("SELECT %1 AS total, "
                           "(SELECT COUNT(*) FROM ghjc_dj WHERE 日期起 >= ? AND 日期起 < ?) AS stored")
                .arg(positionsOf(QStringLiteral("ghjc_wz"))),
            {period.first(), period.end()}, counting);
        const qint64 total = counts->whole(QStringLiteral("total"));
        const qint64 stored = counts->whole(QStringLiteral("stored"));
        return {{QStringLiteral("总寄存位"), total, Tally::share(total, total)},
                {QStringLiteral("已寄存位"), stored, Tally::share(stored, total)}};
    }
    case CountKind::PlotSalesByMonth:
        return monthly(
            QStringLiteral("SELECT SUBSTR(购墓日期, 6, 2) AS month, COUNT(DISTINCT 墓碑位置) AS figure "
                           "FROM gm_dj WHERE 购墓日期 >= ? AND 购墓日期 < ? GROUP BY SUBSTR(购墓日期, 6, 2)"),
            period.from.year());
    case CountKind::StoragesByMonth:
        return monthly(QStringLiteral("SELECT SUBSTR(日期起, 6, 2) AS month, COUNT(*) AS figure FROM ghjc_dj "
                                      "WHERE 日期起 >= ? AND 日期起 < ? GROUP BY SUBSTR(日期起, 6, 2)"),
                       period.from.year());
    }
    return {};
}

QList<Figure> SalesCounts::monthly(const QString& sql, int year) {
    const Period whole = Period::ofYear(year);
    QList<Figure> months;
    for (int month = 1; month <= 12; ++month)
        months.append({Tally::monthName(month), 0, 0});
    for (const StoredRow& counted : m_database.rows(sql, {whole.first(), whole.end()}, counting)) {
        const qint64 month = counted.whole(QStringLiteral("month"));
        if (month >= 1 && month <= 12)
            months[month - 1].count = counted.whole(QStringLiteral("figure"));
    }
    return months;
}

PrintJob SalesCounts::print(CountKind kind, const QList<Figure>& figures, const Period& period) {
    const WorkTable work = workTableOf(kind);
    QList<Database::Column> columns = {{work.label, {}}, {work.count, {}}};
    if (!work.share.isEmpty())
        columns.append({work.share, {}});
    const QString doing = QStringLiteral("填写统计表 %1").arg(work.table);
    m_database.transaction([&] {
        m_database.exec(QStringLiteral("DELETE FROM ") + work.table, {}, doing);
        QSqlQuery insert = m_database.prepareInsert(work.table, columns, doing);
        for (const Figure& figure : figures) {
            insert.bindValue(0, figure.label);
            insert.bindValue(1, figure.count);
            if (!work.share.isEmpty())
                insert.bindValue(2, figure.share);
            m_database.run(insert, doing);
        }
    });
    PrintJob job{Tally::paddedTemplate(work.templateName), work.templateName,
                 QStringLiteral("select * from ") + work.table, heading(kind, period)};
    // The statistics test only the report list, not the print flag.
    job.ignoresPrintFlag = true;
    return job;
}

QString SalesCounts::heading(CountKind kind, const Period& period) {
    const QString from = period.first();
    const QString to = DateText::fromDate(period.to);
    const QString year = QStringLiteral("%1").arg(period.from.year(), 4, 10, QLatin1Char('0'));
    switch (kind) {
    case CountKind::PlotSales:
        return QStringLiteral("从") + from + QStringLiteral("至") + to + QStringLiteral("墓位销售情况统计");
    case CountKind::TombstoneTypes:
        return from + QStringLiteral("至") + to + QStringLiteral("碑型销售统计打印");
    case CountKind::NicheOccupancy:
        return from + QStringLiteral("至") + to + QStringLiteral("骨灰寄存统计");
    case CountKind::PlotSalesByMonth:
        return year + QStringLiteral("年墓位销售统计");
    case CountKind::StoragesByMonth:
        return year + QStringLiteral(" 年骨灰寄存统计打印");
    }
    return {};
}
