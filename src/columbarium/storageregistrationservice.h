#pragma once

#include "foundation/saveoutcome.h"

#include <QDate>
#include <QString>
#include <QStringList>

class Clock;
class Database;
struct Session;

// What the registration window Frmjc_rd holds when 确定输入 is clicked: texts as typed, dates, ticks.
struct StorageForm {
    QString nicheKey;           // Text1 存放位置
    QString urnType;            // Maskhx 骨灰盒型
    QDate storedFrom;           // DTP1
    QDate storedUntil;          // DTP2
    QString deceased;           // Mask1
    QString sex;                // Combo1
    QString formerUnit;         // Mask2 生前单位
    QDate born;                 // DTP3
    QDate died;                 // DTP4
    QString nativePlace;        // Txt_jg 籍贯
    QString contact;            // Mask3
    QString relation;           // Combo2
    QString workUnit;           // Mask4
    QString address;            // Mask5
    QString phone;              // Mask6
    QString amountDue;          // Mask7 应收费
    QString amountReceived;     // Mask8 实收费
    QString email;              // Mask15 电子信箱
    QString remark;             // Mask16 备注
    QString idNumber;           // Mask_sfzh
    bool hideBirthDate = false; // Check1 报表不显示出生日期
};

// The storage of an urn in a free niche: the ghjc_dj row, the niche to "已使用", the ghjc_xf1 "存入"
// row, and the storage papers.
class StorageRegistrationService {
public:
    StorageRegistrationService(Database& database, const Session& session, const Clock& clock);

    // A storage runs for 20 years to the same month and day.
    static QDate storedUntilFor(const QDate& from) { return from.addYears(20); }
    QStringList relations();

    // Checks in the office's order, then writes everything in one transaction after making sure the
    // niche is still free, so that no niche takes two urns.
    SaveOutcome save(const StorageForm& form);

private:
    Database& m_database;
    const Session& m_session;
    const Clock& m_clock;
};
