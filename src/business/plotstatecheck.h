#pragma once

#include <QString>
#include <optional>

class Database;

// A sale or reservation runs inside its transaction only while the plot is still in the state the
// window was opened for, so that no plot is sold or reserved twice.
struct PlotStateCheck {
    qint64 plotRow = 0;             // the plot's rid in mq_wz
    QString area;                   // the plot's area, which hears of the change
    std::optional<QString> refusal; // set when the plot is missing or in another state
};

// `action` names what the refusal says cannot be done ("购墓", "预订").
PlotStateCheck checkPlotState(Database& database, const QString& key, const QString& expectedState,
                              const QString& action);

// What another desk or window did meanwhile to the plot `key` a form was opened for while it was
// `expectedState`, in the words the form tells the clerk at once; none while the plot is still so.
std::optional<QString> plotTakenMeanwhile(Database& database, const QString& key,
                                          const QString& expectedState);

// The same for an action on a reservation picked earlier: the row `reservationId` must still be the
// reservation of `key`, and the plot still "已预订", so that no reservation is refunded or settled twice.
PlotStateCheck checkReservation(Database& database, qint64 reservationId, const QString& key,
                                const QString& action);
