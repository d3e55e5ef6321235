#include "bench/cemetery.h"

#include "foundation/database.h"
#include "graves/plotvocabulary.h"
#include "shared/positionkey.h"

namespace {

const QStringList styles = {PlotStyle::single, PlotStyle::twin, PlotStyle::multiple, PlotStyle::family,
                            PlotStyle::artistic};

QSqlQuery plotInsert(Database& database) {
    return database.prepare(
        QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, "
                       "绿化费, 其它, 状态, 寿穴) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        QStringLiteral("生成墓位"));
}

} // namespace

namespace Cemetery {

void asBulk(Database& database, const QString& table, const QString& what, qint64 rows,
            const std::function<void()>& work) {
    database.transaction([&] {
        database.inBulk({{table, QStringLiteral("批量添加"), QStringLiteral("生成") + what, rows, {}}}, work);
    });
}

void inSlices(Database& database, const QString& table, const QString& what, qint64 rows,
              const std::function<void(qint64 from, qint64 to)>& work) {
    constexpr qint64 slice = 1000000;
    for (qint64 from = 0; from < rows; from += slice) {
        const qint64 to = std::min(rows, from + slice);
        asBulk(database, table, what, to - from, [&] { work(from, to); });
    }
}

void generate(Database& database, const CemeteryShape& shape) {
    // Serial i: area i / (rows × plots), row and number from the rest; the state and style cycle.
    inSlices(database, QStringLiteral("mq_wz"), QStringLiteral("墓位"), shape.plots(), [&](qint64 from, qint64 to) {
        database.exec(
            QStringLiteral(
                "INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, 其它, 状态, 寿穴) "
                "WITH RECURSIVE n(i) AS (SELECT ? UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
                "SELECT '第' || (i / (? * ?) + 1) || '区', i / ? % ? + 1, SUBSTR('0000' || (i % ? + 1), -4), "
                "CASE i % 5 WHEN 0 THEN ? WHEN 1 THEN ? WHEN 2 THEN ? WHEN 3 THEN ? ELSE ? END, "
                "8000.0 + 1000 * (i / (? * ?) + 1), 2000.0, 600.0, CASE i % 5 WHEN 3 THEN 5000.0 ELSE 0.0 END, "
                "300.0, 0.0, CASE i % 10 WHEN 6 THEN ? WHEN 7 THEN ? WHEN 8 THEN ? WHEN 9 THEN ? ELSE ? END, "
                // Now and then a plot is bought in advance for a living person.
                "CASE WHEN i % 10 IN (6, 7) THEN (i % 20 = 6) END FROM n"),
            {from, to, shape.rowsPerArea, shape.plotsPerRow, shape.plotsPerRow, shape.rowsPerArea,
             shape.plotsPerRow, styles.at(0), styles.at(1), styles.at(2), styles.at(3), styles.at(4),
             shape.rowsPerArea, shape.plotsPerRow, PlotState::sold, PlotState::sold, PlotState::reserved,
             PlotState::restricted, PlotState::free},
            QStringLiteral("生成墓位"));
    });
}

void addFeeRecords(Database& database, int rows, int years) {
    inSlices(database, QStringLiteral("gm_xf1"), QStringLiteral("购墓交费记录"), rows, [&](qint64 from, qint64 to) {
        database.exec(
            QStringLiteral(
                "INSERT INTO gm_xf1 (编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 联系电话, 手机, 工作单位, "
                "安葬日期, 故者姓名, 墓地费, 墓碑费, 家庭墓费, 工料费, 管理费, 绿化费, 其它费, qt, qtf, 小计, 合计, "
                "备注, 操作方式, 操作员, 操作日期) "
                "WITH RECURSIVE n(i) AS (SELECT ? + 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                "SELECT i, '第' || (i % 10 + 1) || '区' || (i % 20 + 1) || '排' || SUBSTR('0000' || (i % 500 + 1), -4) || '号', "
                "(2024 - i % ?) || '-0' || (i % 9 + 1) || '-1' || (i % 9), '2024-01-01', '2043-12-31', '张' || i, "
                "'010-6' || i, '138' || i, '第' || (i % 50) || '机械厂', (2025 - i % ?) || '-0' || (i % 9 + 1) || '-2' || (i % 9), "
                "'李' || i, 8000 + i % 10 * 1000, 2000, 0, 600, 450.5, 300, 20, '花篮：', 20, 11390.5, "
                "11390.5 + i % 10 * 1000, '备注, \"引号\"', '购墓', 'Admin', "
                "(2025 - i % ?) || '-0' || (i % 9 + 1) || '-1' || (i % 9) || ' 10:' || (i % 50 + 10) || ':00' FROM n"),
            {from, to, years, years, years}, QStringLiteral("生成购墓交费记录"));
    });
}

QString spreadDate(const QString& n, int firstYear) {
    // Written out rather than with arg(): the printf format's %02 would count as a placeholder.
    return QStringLiteral("printf('%04d-%02d-%02d', ") + QString::number(firstYear) +
           QStringLiteral(" + %1 / 10 % 20, %1 % 12 + 1, %1 % 28 + 1)").arg(n);
}

void addRegistrations(Database& database, const CemeteryShape& shape) {
    inSlices(
        database, QStringLiteral("gm_dj"), QStringLiteral("购墓登记"), shape.registrations(),
        [&](qint64 from, qint64 to) {
            database.exec(
                QStringLiteral(
                    "INSERT INTO gm_dj (编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 操作员, 业务员, 墓碑类型, "
                    "主碑材质, 底碑材质, 故者姓名, 性别) "
                    "WITH RECURSIVE n(i) AS (SELECT ? UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
                    "SELECT i, '第' || (p / ? + 1) || '区' || (p / ? % ? + 1) || '排' || SUBSTR('0000' || (p % ? + 1), -4) "
                    "|| '号', %1, %1, %2, '王' || p, 'Admin', '业务员' || (p % 7), "
                    "CASE p % 5 WHEN 0 THEN '卧碑' WHEN 1 THEN '立碑' WHEN 2 THEN '艺术碑' WHEN 3 THEN '双碑' ELSE '未定' END, "
                    "'花岗岩', '青石', '李' || i, CASE i % 2 WHEN 0 THEN '男' ELSE '女' END "
                    "FROM (SELECT i, i % ? AS p FROM n)")
                    .arg(spreadDate(QStringLiteral("p")), spreadDate(QStringLiteral("p"), 2025)),
                {from, to, shape.rowsPerArea * shape.plotsPerRow, shape.plotsPerRow, shape.rowsPerArea,
                 shape.plotsPerRow, shape.plots()},
                QStringLiteral("生成购墓登记"));
        });
    const qint64 reserved = database
                                .scalar(QStringLiteral("SELECT COUNT(*) FROM mq_wz WHERE 状态 = '已预订'"),
                                        {}, QStringLiteral("生成预订"))
                                .toLongLong();
    asBulk(database, QStringLiteral("ydmd"), QStringLiteral("预订"), reserved, [&] {
        database.exec(
            QStringLiteral("INSERT INTO ydmd (编号, 墓碑位置, 联系人, 预交金额, 成交金额, 余额, 操作员, "
                           "操作时间, 提醒日期, 需要提醒) SELECT rid, 墓碑位置, '赵' || rid, 3000, 12000, "
                           "9000, 'Admin', %1 || ' 10:00:00', %1, 0 FROM mq_wz WHERE 状态 = '已预订'")
                .arg(spreadDate(QStringLiteral("rid"))),
            {}, QStringLiteral("生成预订"));
    });
}

void addLampFees(Database& database, const CemeteryShape& shape, int rows) {
    // Payment k of plot p begins in 2005 + 2k, a year later for odd plots; every third plot pays for
    // two years. In a year, then, about a third of the plots have not paid.
    inSlices(database, QStringLiteral("cjdd"), QStringLiteral("春节点灯缴费"), rows, [&](qint64 from, qint64 to) {
        database.exec(
            QStringLiteral(
                "INSERT INTO cjdd (墓碑位置, 故者姓名, 联系人, 联系电话, 落葬日期, 交款金额, 交款日期, 起始年份, "
                "终止年份, 点灯标志, 操作人) "
                "SELECT '第' || (p / ? + 1) || '区' || (p / ? % ? + 1) || '排' || SUBSTR('0000' || (p % ? + 1), -4) "
                "|| '号', '李' || p, '王' || p, '139' || p, '2004-01-01', 50 + p % 3 * 50, "
                "printf('%04d-%02d-%02d', y, p % 2 + 1, p % 28 + 1), y, y + (p % 3 = 0), 1, 'Admin' "
                "FROM (SELECT p, 2005 + k % 10 * 2 + p % 2 AS y FROM "
                "(WITH RECURSIVE n(i) AS (SELECT ? UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
                "SELECT i % ? AS p, i / ? AS k FROM n))"),
            {shape.rowsPerArea * shape.plotsPerRow, shape.plotsPerRow, shape.rowsPerArea, shape.plotsPerRow,
             from, to, shape.plots(), shape.plots()},
            QStringLiteral("生成春节点灯缴费"));
    });
}

void addHistory(Database& database) {
    const qint64 last =
        database.scalar(QStringLiteral("SELECT MAX(rid) FROM gm_dj"), {}, QStringLiteral("生成操作记录"))
            .toLongLong();
    // Written straight into the history, as its triggers would have, a slice of register rows at a time.
    constexpr qint64 slice = 500000;
    for (qint64 from = 0; from < last; from += slice)
        database.transaction([&] {
            database.exec(
                QStringLiteral(
                    "INSERT INTO change_history (时间, 操作员, 窗口, 表, 行, 位置, 操作, 之前, 之后) "
                    "SELECT 购墓日期 || ' 10:00:00', 操作员, '购墓', 'gm_dj', rid, 墓碑位置, '添加', NULL, "
                    "json_object('编号', 编号, '墓碑位置', 墓碑位置, '购墓日期', 购墓日期, '日期起', 日期起, "
                    "'日期止', 日期止, '联系人', 联系人, '故者姓名', 故者姓名, '性别', 性别, '墓碑类型', 墓碑类型) "
                    "FROM gm_dj WHERE rid > ? AND rid <= ?"),
                {from, from + slice}, QStringLiteral("生成操作记录"));
        });
}

void addRow(Database& database, const QString& area, const QString& row, const QStringList& numbers) {
    database.transaction([&] {
        QSqlQuery insert = plotInsert(database);
        const QVariantList constant = {area, row,   QVariant(), styles.first(),  9000.0,    2000.0, 600.0,
                                       0.0,  300.0, 0.0,        PlotState::free, QVariant()};
        for (int column = 0; column < constant.size(); ++column)
            insert.bindValue(column, constant.at(column));
        for (const QString& number : numbers) {
            insert.bindValue(2, number);
            database.run(insert, QStringLiteral("生成墓位"));
        }
    });
}

} // namespace Cemetery
