#pragma once

#include "foundation/servicecontext.h"

#include "foundation/saveoutcome.h"

#include <QDate>
#include <QString>

class Clock;
class Database;
struct Session;

// The lamp-fee window's fields, as typed.
struct LampFeeForm {
    QString deceased;  // gz_edit
    QString contact;   // lxr_edit
    QString telephone; // tel_edit
    QDate buried;      // az_dtp
    QString fromYear;  // bdate_edit
    QString toYear;    // edate_edit
    QString amount;    // sfje_edit
    QDate paidOn;      // sfrq_dtp
};

// Spring Festival lamp payments of one plot: one cjdd row per payment and its receipt.
class LampFeeService {
public:
    explicit LampFeeService(const ServiceContext& context);

    // What the window proposes for the plot: the deceased and contact of its first burial, or of its
    // last payment when it has one, whose last year is proposed again; else this year, paid today.
    LampFeeForm proposal(const QString& key);
    // Checks in the office's order, then writes the payment of `key` and hands its receipt back.
    SaveOutcome save(const QString& key, const LampFeeForm& form);

private:
    Database& m_database;
    const Session& m_session;
    const Clock& m_clock;
};
