#pragma once

#include "foundation/database.h"
#include "foundation/printbridge.h"

#include <QDate>
#include <QList>
#include <QString>

// The deceased and contact fields that burial registration and the records window share, as typed.
struct DeceasedForm {
    QString name;        // Mask1 故者姓名
    QString sex;         // Combo1 性别
    QString nativePlace; // Mask2 籍贯
    QString formerUnit;  // Mask3 生前单位
    QDate born;          // DTP3 出生日期
    QDate died;          // DTP4 逝世日期
    QDate buried;        // DTP5 落葬日期
    QString contact;     // Mask4 联系人
    QString relation;    // Combo2 关系
    QString workUnit;    // Mask5 工作单位
    QString address;     // Mask6 家庭住址
    QString phone;       // Mask7 联系电话
    QString idNumber;    // Mask_sfzh 身份证号
    QString mobile;      // Mask_email 手机
    QString remark;      // Text2 备注, kept as typed
    QString certificate; // Maskzsbh 证书编号
};

namespace Deceased {

// Born or died after today, born after died, or died after the burial. A burial still to come is fine.
bool datesWrong(const DeceasedForm& form, const QDate& today);
// The register columns of the deceased and the contact, texts trimmed but the remark.
QList<Database::Column> columns(const DeceasedForm& form);
// The relationship words of gx, in the table's order.
QStringList relations(Database& database);

// The four name slots of gm_xr and the name list of the plot's "购墓" fee row follow the register:
// a name added, renamed (with its sex) or removed. Each runs inside the caller's transaction.
void addName(Database& database, const QString& key, const QString& name, const QString& sex,
             const QDate& buried);
void renameName(Database& database, const QString& key, const QString& oldName, const QString& newName,
                const QString& sex);
void removeName(Database& database, const QString& key, const QString& name);

// The certificate of the register row `rid` (gz for a man, "g" for a woman), the plot's contact sheet
// and the registration form of the row.
QList<PrintJob> prints(const QString& key, qint64 rid, const QString& sex);

} // namespace Deceased
