#pragma once

#include "foundation/servicecontext.h"

#include "foundation/money.h"
#include "foundation/saveoutcome.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class Clock;
class Database;
struct Session;

// The fee fields of the purchase window as typed.
struct PurchaseFeeTexts {
    QString land, stone, family, labour, greening, other, ratePercent, extra;
};

struct FeeTotals {
    double management = 0; // Text2 管理费
    double subtotal = 0;   // Text4 小计
    double total = 0;      // Text3 合计
};

// What the purchase window holds when 确定输入 is clicked: texts as typed, dates and ticks.
struct PurchaseForm {
    // "购墓" sells a free plot picked on the map; "交清余款" settles a reserved plot.
    enum class Mode { Buy, Settle };
    Mode mode = Mode::Buy;
    qint64 reservationId = 0;   // when settling: the ydmd row the balance is paid for
    QString plotKey;            // Text1
    QString number;             // Mask_bh 编号
    QString contact;            // Mask1
    QString workUnit;           // Mask2
    QString address;            // Mask3
    QString phone;              // Mask4
    QString mobile;             // Mask_email, stored as 手机
    QString idNumber;           // Mask_sfzh
    QDate boughtOn;             // DTP_gm
    QDate useFrom;              // DTP1
    QDate useUntil;             // DTP2
    QString stoneType;          // Comblx 墓碑类型
    QString mainStone;          // Combcz 主碑材质
    QString baseStone;          // Comdbcz 底碑材质
    QString salesman;           // Combo1
    bool advanceBought = false; // ChkSx 寿穴
    PurchaseFeeTexts fees;
    QString management;             // Text2 as shown (the operator may have typed over it)
    QString extraName;              // Txt_qt
    QString remark;                 // Mask11
    bool secondReceiptForm = false; // Check1: the receipt without the use dates ("gm1")
};

// The sale of a plot: the gm_dj registration, the plot to "已购", the gm_xf1 "购墓" fee row, the
// take-over of any reservation of the plot, and the contact sheet and receipt.
class PurchaseService {
public:
    explicit PurchaseService(const ServiceContext& context);

    // The live fee computation: the management fee is the rate on the five fees without greening,
    // rounded to cents; the total adds the management fee, greening and the further charge. Each
    // field counts with its leading number, an empty one as 0.
    static FeeTotals computeFees(const PurchaseFeeTexts& fees);
    // The management fee: `ratePercent` of `base`, rounded to cents. Renewal and return share it.
    static double managementFee(double base, double ratePercent) {
        return Money::roundCents(base * ratePercent / 100);
    }
    // The same with a management fee typed over the computed one.
    static FeeTotals totalsWith(const PurchaseFeeTexts& fees, const QString& typedManagement);
    // The right of use runs for 20 years to the same month and day.
    static QDate useUntilFor(const QDate& useFrom) { return useFrom.addYears(20); }

    // Tombstone types, main-stone and base-stone materials, each led by "未定", and the salesmen.
    struct ReferenceLists {
        QStringList stoneTypes;
        QStringList mainStones;
        QStringList baseStones;
        QStringList salesmen;
    };
    ReferenceLists referenceLists();
    enum class StoneList { Type, MainStone, BaseStone };
    // Keeps a typed value that the list does not know yet in mblx. Returns whether it was added.
    bool learn(StoneList list, const QString& text);

    // Checks in the office's order (add right, contact, use dates, remark), then writes everything
    // in one transaction, after making sure the plot is still free (or, when settling, still reserved
    // by the reservation being settled).
    // A blank remark is not saved: it comes back filled with "无" for the next click.
    SaveOutcome save(const PurchaseForm& form);
    // What another desk or window did meanwhile to the plot of the form: sold or reserved it (or, when
    // settling, ended its reservation). None while a save would still find it as the form expects.
    std::optional<QString> takenMeanwhile(const QString& plotKey, bool settling);

private:
    Database& m_database;
    const Session& m_session;
    const Clock& m_clock;
};
