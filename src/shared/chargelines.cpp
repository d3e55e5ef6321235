#include "shared/chargelines.h"

#include "foundation/money.h"

namespace ChargeLines {

double lineTotal(const QString& unitPrice, const QString& quantity) {
    return Money::roundCents(Money::parseLeading(unitPrice) * Money::parseLeading(quantity));
}

double fee(const QString& typed) {
    return Money::roundCents(Money::parseLeading(typed));
}

QList<Database::Column> goodsColumns(std::span<const char* const> names, std::span<const QString> unitPrices,
                                     std::span<const QString> quantities) {
    QList<Database::Column> columns;
    for (std::size_t item = 0; item < names.size(); ++item) {
        const QString line = QString::number(item + 1);
        columns << Database::Column{QString::fromUtf8(names[item]), Money::parseLeading(unitPrices[item])}
                << Database::Column{QStringLiteral("数量") + line, Money::parseLeading(quantities[item])}
                << Database::Column{QStringLiteral("合计") + line,
                                    lineTotal(unitPrices[item], quantities[item])};
    }
    return columns;
}

} // namespace ChargeLines
