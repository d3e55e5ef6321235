#include "bench/cemetery.h"

#include "foundation/database.h"
#include "foundation/positionkey.h"
#include "graves/plotvocabulary.h"

namespace {

const QStringList styles = {PlotStyle::single, PlotStyle::twin, PlotStyle::multiple, PlotStyle::family,
                            PlotStyle::artistic};

QString stateOf(int serial) {
    switch (serial % 10) {
    case 6:
    case 7:
        return PlotState::sold;
    case 8:
        return PlotState::reserved;
    case 9:
        return PlotState::restricted;
    default:
        return PlotState::free;
    }
}

QSqlQuery plotInsert(Database& database) {
    return database.prepare(
        QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, "
                       "绿化费, 其它, 状态, 寿穴) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        QStringLiteral("生成墓位"));
}

} // namespace

namespace Cemetery {

void generate(Database& database, const CemeteryShape& shape) {
    database.transaction([&] {
        QSqlQuery insert = plotInsert(database);
        int serial = 0;
        for (int area = 1; area <= shape.areas; ++area) {
            insert.bindValue(0, QStringLiteral("第%1区").arg(area));
            for (int row = 1; row <= shape.rowsPerArea; ++row) {
                insert.bindValue(1, QString::number(row));
                for (int plot = 1; plot <= shape.plotsPerRow; ++plot, ++serial) {
                    const QString state = stateOf(serial);
                    const bool sold = state == PlotState::sold;
                    insert.bindValue(2, PositionKey::fourDigitNumber(QString::number(plot)));
                    insert.bindValue(3, styles.at(serial % styles.size()));
                    insert.bindValue(4, 8000.0 + 1000 * area);
                    insert.bindValue(5, 2000.0);
                    insert.bindValue(6, 600.0);
                    insert.bindValue(7,
                                     styles.at(serial % styles.size()) == PlotStyle::family ? 5000.0 : 0.0);
                    insert.bindValue(8, 300.0);
                    insert.bindValue(9, 0.0);
                    insert.bindValue(10, state);
                    // Now and then a plot is bought in advance for a living person.
                    insert.bindValue(11, sold ? QVariant(serial % 20 == 6 ? 1 : 0) : QVariant());
                    database.run(insert, QStringLiteral("生成墓位"));
                }
            }
        }
    });
}

void addFeeRecords(Database& database, int rows, int years) {
    database.transaction([&] {
        database.exec(
            QStringLiteral(
                "INSERT INTO gm_xf1 (编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 联系电话, 手机, 工作单位, "
                "安葬日期, 故者姓名, 墓地费, 墓碑费, 家庭墓费, 工料费, 管理费, 绿化费, 其它费, qt, qtf, 小计, 合计, "
                "备注, 操作方式, 操作员, 操作日期) "
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                "SELECT i, '第' || (i % 10 + 1) || '区' || (i % 20 + 1) || '排' || SUBSTR('0000' || (i % 500 + 1), -4) || '号', "
                "(2024 - i % ?) || '-0' || (i % 9 + 1) || '-1' || (i % 9), '2024-01-01', '2043-12-31', '张' || i, "
                "'010-6' || i, '138' || i, '第' || (i % 50) || '机械厂', (2025 - i % ?) || '-0' || (i % 9 + 1) || '-2' || (i % 9), "
                "'李' || i, 8000 + i % 10 * 1000, 2000, 0, 600, 450.5, 300, 20, '花篮：', 20, 11390.5, "
                "11390.5 + i % 10 * 1000, '备注, \"引号\"', '购墓', 'Admin', "
                "(2025 - i % ?) || '-0' || (i % 9 + 1) || '-1' || (i % 9) || ' 10:' || (i % 50 + 10) || ':00' FROM n"),
            {rows, years, years, years}, QStringLiteral("生成购墓交费记录"));
    });
}

QString spreadDate(const QString& n, int firstYear) {
    // Written out rather than with arg(): the printf format's %02 would count as a placeholder.
    return QStringLiteral("printf('%04d-%02d-%02d', ") + QString::number(firstYear) +
           QStringLiteral(" + %1 / 10 % 20, %1 % 12 + 1, %1 % 28 + 1)").arg(n);
}

void addRegistrations(Database& database, const CemeteryShape& shape) {
    database.transaction([&] {
        database.exec(
            QStringLiteral(
                "INSERT INTO gm_dj (编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 操作员, 业务员, 墓碑类型, "
                "主碑材质, 底碑材质, 故者姓名, 性别) "
                "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
                "SELECT i, '第' || (p / ? + 1) || '区' || (p / ? % ? + 1) || '排' || SUBSTR('0000' || (p % ? + 1), -4) "
                "|| '号', %1, %1, %2, '王' || p, 'Admin', '业务员' || (p % 7), "
                "CASE p % 5 WHEN 0 THEN '卧碑' WHEN 1 THEN '立碑' WHEN 2 THEN '艺术碑' WHEN 3 THEN '双碑' ELSE '未定' END, "
                "'花岗岩', '青石', '李' || i, CASE i % 2 WHEN 0 THEN '男' ELSE '女' END "
                "FROM (SELECT i, i % ? AS p FROM n)")
                .arg(spreadDate(QStringLiteral("p")), spreadDate(QStringLiteral("p"), 2025)),
            {registrations, shape.rowsPerArea * shape.plotsPerRow, shape.plotsPerRow, shape.rowsPerArea,
             shape.plotsPerRow, shape.plots()},
            QStringLiteral("生成购墓登记"));
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
    database.transaction([&] {
        database.exec(
            QStringLiteral(
                "INSERT INTO cjdd (墓碑位置, 故者姓名, 联系人, 联系电话, 落葬日期, 交款金额, 交款日期, 起始年份, "
                "终止年份, 点灯标志, 操作人) "
                "SELECT '第' || (p / ? + 1) || '区' || (p / ? % ? + 1) || '排' || SUBSTR('0000' || (p % ? + 1), -4) "
                "|| '号', '李' || p, '王' || p, '139' || p, '2004-01-01', 50 + p % 3 * 50, "
                "printf('%04d-%02d-%02d', y, p % 2 + 1, p % 28 + 1), y, y + (p % 3 = 0), 1, 'Admin' "
                "FROM (SELECT p, 2005 + k % 10 * 2 + p % 2 AS y FROM "
                "(WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
                "SELECT i % ? AS p, i / ? AS k FROM n))"),
            {shape.rowsPerArea * shape.plotsPerRow, shape.plotsPerRow, shape.rowsPerArea, shape.plotsPerRow,
             rows, shape.plots(), shape.plots()},
            QStringLiteral("生成春节点灯缴费"));
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
