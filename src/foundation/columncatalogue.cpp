#include "foundation/columncatalogue.h"

#include <QStringList>

namespace {

// The columns that hold yuan (prices, fees, line totals, payments and refunds).
const QStringList moneyColumns = {
    QStringLiteral("墓地费"),   QStringLiteral("墓碑费"),   QStringLiteral("工料费"),
    QStringLiteral("家族费"),   QStringLiteral("家庭墓费"), QStringLiteral("管理费"),
    QStringLiteral("绿化费"),   QStringLiteral("其它"),     QStringLiteral("其它费"),
    QStringLiteral("qtf"),      QStringLiteral("小计"),     QStringLiteral("合计"),
    QStringLiteral("公墓证"),   QStringLiteral("香币"),     QStringLiteral("塑料袋"),
    QStringLiteral("瓷像"),     QStringLiteral("刻字"),     QStringLiteral("镏金"),
    QStringLiteral("合计1"),    QStringLiteral("合计2"),    QStringLiteral("合计3"),
    QStringLiteral("合计4"),    QStringLiteral("合计5"),    QStringLiteral("合计6"),
    QStringLiteral("施工"),     QStringLiteral("吉祥号"),   QStringLiteral("合墓"),
    QStringLiteral("外运"),     QStringLiteral("二次安葬"), QStringLiteral("车费"),
    QStringLiteral("特修"),     QStringLiteral("预交金额"), QStringLiteral("成交金额"),
    QStringLiteral("补交金额"), QStringLiteral("余额"),     QStringLiteral("退费金额"),
    QStringLiteral("交款金额"), QStringLiteral("价位"),     QStringLiteral("应收费"),
    QStringLiteral("实收费"),   QStringLiteral("寄存证"),   QStringLiteral("小牌位"),
    QStringLiteral("层次费"),   QStringLiteral("总计"),     QStringLiteral("应退金额"),
};

// Counts of the statistics work tables whose rows add up to a total (months, tombstone types).
const QStringList countColumns = {QStringLiteral("销售量"), QStringLiteral("xssl")};

// Shares of the statistics work tables, stored as fractions of 1.
const QStringList shareColumns = {QStringLiteral("百分比"), QStringLiteral("Bfb")};

// Quantities: how many of a good, how deep, how many places, a font size.
const QStringList quantityColumns = {
    QStringLiteral("数量1"),  QStringLiteral("数量2"), QStringLiteral("数量3"),    QStringLiteral("数量4"),
    QStringLiteral("数量5"),  QStringLiteral("数量6"), QStringLiteral("穴位深度"), QStringLiteral("穴位数量"),
    QStringLiteral("位置数"), QStringLiteral("ztdx"),
};

// Columns holding a date, or a moment of which the date is shown. A memo's 登记时间 shows its time too:
// two notes of one day are told apart by it.
const QStringList dateColumns = {
    QStringLiteral("购墓日期"), QStringLiteral("日期起"),   QStringLiteral("日期止"),
    QStringLiteral("安葬日期"), QStringLiteral("出生日期"), QStringLiteral("逝世日期"),
    QStringLiteral("落葬日期"), QStringLiteral("操作日期"), QStringLiteral("操作时间"),
    QStringLiteral("提醒日期"), QStringLiteral("交款日期"), QStringLiteral("竣工时间"),
};

} // namespace

namespace ColumnCatalogue {

Kind kindOf(const QString& column) {
    if (moneyColumns.contains(column, Qt::CaseInsensitive))
        return Kind::Money;
    if (countColumns.contains(column, Qt::CaseInsensitive))
        return Kind::Count;
    if (shareColumns.contains(column, Qt::CaseInsensitive))
        return Kind::Share;
    if (quantityColumns.contains(column))
        return Kind::Quantity;
    if (dateColumns.contains(column))
        return Kind::Date;
    return Kind::Plain;
}

bool isHidden(const QString& column) {
    return column == QLatin1String("rid");
}

} // namespace ColumnCatalogue
