#pragma once

#include "foundation/money.h"

#include <QLineEdit>
#include <QList>
#include <QObject>
#include <functional>

// The management fee of a fee block. A change of any fee it is computed from writes it anew and shows
// the totals; a fee typed over it carries into the totals, and the field itself is left as typed, or
// "100." would lose its point on the way to "100.5". `Totals` has the computed `management`.
template <typename Totals>
void keepManagementFee(QObject* owner, const QList<QLineEdit*>& bases, QLineEdit* management,
                       std::function<Totals()> computed, std::function<Totals(const QString&)> withTyped,
                       std::function<void(const Totals&)> show) {
    for (QLineEdit* base : bases)
        QObject::connect(base, &QLineEdit::textChanged, owner, [=] {
            const Totals totals = computed();
            management->setText(Money::format(totals.management));
            show(totals);
        });
    QObject::connect(management, &QLineEdit::textEdited, owner,
                     [=](const QString& typed) { show(withTyped(typed)); });
}
