#pragma once

#include <QList>
#include <functional>

class QLineEdit;
class QObject;

// The fields of one good on a charges window.
struct ChargeLineFields {
    QLineEdit* unitPrice;
    QLineEdit* quantity;
    QLineEdit* total;
};

// Empties each line total, then keeps it equal to unit price × quantity as they are typed; `changed`
// runs after every new line total, for the grand total.
void keepLineTotals(QObject* owner, const QList<ChargeLineFields>& lines,
                    const std::function<void()>& changed);
