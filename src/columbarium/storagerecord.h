#pragma once

#include "foundation/database.h"
#include "foundation/printbridge.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What the storage windows (registration Frmjc_rd, maintenance Frm_ghjc_wh) hold: texts as typed,
// dates, ticks.
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

// One ghjc_xf1 fee row of a storage ("存入") or a renewal ("续存").
struct StoragePayment {
    QString key;
    QString deceased;
    QString contact;
    QDate from;
    QDate until;
    double due = 0;
    double received = 0;
    QString kind; // 操作方式
};

// Whether a niche is still in the state the window showed, read inside the action's transaction.
struct NicheStateCheck {
    qint64 nicheRow = 0;            // rid in ghjc_wz
    QString hall;                   // the hall, which hears of a change
    std::optional<QString> refusal; // set when the niche is missing or in another state
};

// The ghjc_dj register row and its fee rows as both storage windows write and print them.
namespace StorageRecord {

// A storage runs for 20 years to the same month and day.
QDate storedUntilFor(const QDate& from);
// The relationships of the 与故者关系 list.
QStringList relations(Database& database);
// What another desk or window did meanwhile to the niche `key` a form was opened for while it was
// `expectedState`, in the words the form tells the clerk at once; none while the niche is still so.
std::optional<QString> nicheTakenMeanwhile(Database& database, const QString& key,
                                           const QString& expectedState);
// The columns the maintenance may change, from the form: everything but the key, the name and the
// dates. Empty 籍贯 and 身份证号 are stored as " ", empty 电子信箱 and 备注 as "无".
QList<Database::Column> editableColumns(const StorageForm& form);
// `action` names what the refusal says cannot be done ("入档", "续存").
NicheStateCheck checkNicheState(Database& database, const QString& key, const QString& expectedState,
                                const QString& action);
// Writes the fee row, stamped with the operator and the moment; returns its id.
qint64 writePayment(Database& database, const StoragePayment& payment, const QString& operatorName,
                    const QDateTime& moment);
// The papers of the register row `id`, in the order named; the certificate's deceased part (gz_jc)
// and the register form (jc_dj) leave the birth date out when the operator asked for it.
QList<PrintJob> registerPapers(qint64 id, const QStringList& names, bool hideBirthDate);
// The storage term form (jc_xc, with the years between the dates' years: " 20年") and the receipt
// (jc_xf1) of the fee row `id`.
QList<PrintJob> paymentPapers(qint64 id, const QDate& from, const QDate& until);

} // namespace StorageRecord
