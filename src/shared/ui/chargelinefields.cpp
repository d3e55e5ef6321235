#include "shared/ui/chargelinefields.h"

#include "foundation/money.h"
#include "shared/chargelines.h"

#include <QLineEdit>

void keepLineTotals(QObject* owner, const QList<ChargeLineFields>& lines,
                    const std::function<void()>& changed) {
    for (const ChargeLineFields& line : lines) {
        line.total->clear();
        const auto update = [line, changed] {
            line.total->setText(
                Money::format(ChargeLines::lineTotal(line.unitPrice->text(), line.quantity->text())));
            changed();
        };
        QObject::connect(line.unitPrice, &QLineEdit::textChanged, owner, update);
        QObject::connect(line.quantity, &QLineEdit::textChanged, owner, update);
    }
}
