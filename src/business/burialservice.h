#pragma once

#include "foundation/servicecontext.h"

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
    // What the window was filled with: a field still showing it was not touched, and is never written
    // back over what another desk (a renewal) stored since.
    PlotRegistration loaded;
};

// Registers one deceased on a sold plot: the register row (the purchase row for the first burial), the
// plot's name slot and the name list of its purchase fee row, then the certificate prints.
class BurialService {
public:
    explicit BurialService(const ServiceContext& context);

    std::optional<PlotRegistration> registration(const QString& key);

    // Checks in the office's order, then writes in one transaction while the plot is still sold. The
    // registration goes in only where the operator changed what the window loaded: into the
    // purchase row while it still holds what was loaded, into a further burial's own row with the
    // stored values for the rest.
    SaveOutcome save(const BurialForm& form);
    // 更改使用日期: the new use period on every register row of the plot, while the plot's first row still
    // holds the period the window loaded (`loadedFrom`, `loadedUntil`).
    SaveOutcome changeUseDates(const QString& key, const QDate& loadedFrom, const QDate& loadedUntil,
                               const QDate& useFrom, const QDate& useUntil);

private:
    Database& m_database;
    const Session& m_session;
    const Clock& m_clock;
};
