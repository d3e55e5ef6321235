#pragma once

#include "business/deceased.h"
#include "foundation/saveoutcome.h"

#include <QDate>
#include <QString>
#include <optional>

class Clock;
class Database;
struct Session;

// The registration of a sold plot as its first register row holds it: what the burial window shows
// of the plot and its contact when it opens.
struct PlotRegistration {
    QString number; // 编号
    QDate boughtOn, useFrom, useUntil;
    QString contact, idNumber, workUnit, address, phone, mobile;
    QString stoneType, mainStone, baseStone;
    QString certificate, relation;
};

// What the burial window holds when 确定输入 is clicked.
struct BurialForm {
    QString plotKey;                         // Text1
    QString number;                          // Lbl_bh
    QDate boughtOn;                          // DTP_gm
    QDate useFrom;                           // DTP1
    QDate useUntil;                          // DTP2
    QString stoneType, mainStone, baseStone; // Comblx, Combcz, Comdbcz
    DeceasedForm person;
};

// Registers one deceased on a sold plot: the register row (the purchase row for the first burial), the
// plot's name slot and the name list of its purchase fee row, then the certificate prints.
class BurialService {
public:
    BurialService(Database& database, const Session& session, const Clock& clock);

    std::optional<PlotRegistration> registration(const QString& key);

    // Checks in the office's order, then writes in one transaction while the plot is still sold.
    SaveOutcome save(const BurialForm& form);
    // 更改使用日期: the new use period on every register row of the plot.
    SaveOutcome changeUseDates(const QString& key, const QDate& useFrom, const QDate& useUntil);

private:
    Database& m_database;
    const Session& m_session;
    const Clock& m_clock;
};
