#pragma once

#include "foundation/saveoutcome.h"

#include <QDate>
#include <QString>
#include <optional>

class Database;
struct Session;

// What the operator typed into the reserve window Frm_ydmd, as texts.
struct ReservationForm {
    QString plotKey;     // Text1
    QString prepaid;     // Mask1 预交金额
    QString contact;     // Mask2
    QString address;     // Mask3
    QString phone;       // Mask4
    QString workUnit;    // Mask5
    QString agreedPrice; // Mask6 成交金额
    QString balance;     // Mask7 余额
    QString idNumber;    // mask9
    QString number;      // Mask10 编号
    QDate reservedOn;    // DTP1
    QDate remindOn;      // DTP2
};

// Reserving a free plot: the ydmd row, the plot to "已预订", and its print.
class ReservationService {
public:
    ReservationService(Database& database, const Session& session);

    // The balance shown while the agreed price is typed: agreed price − prepaid, and nothing (the
    // balance stays as it is) while the agreed price is not above zero.
    static std::optional<double> balanceFor(const QString& agreedPrice, const QString& prepaid);
    // The reminder date a reservation date suggests.
    static QDate reminderFor(const QDate& reservedOn) { return reservedOn.addDays(30); }

    // Checks in the office's order (add right, prepaid amount, agreed price), then, in one
    // transaction, makes sure the plot is still free, writes the reservation and marks the plot.
    SaveOutcome reserve(const ReservationForm& form);
    // What another desk or window did meanwhile to the free plot of the form; none while it is free.
    std::optional<QString> takenMeanwhile(const QString& plotKey);

private:
    Database& m_database;
    const Session& m_session;
};
