#pragma once

#include "foundation/servicecontext.h"

#include "columbarium/storagerecord.h"
#include "foundation/saveoutcome.h"

#include <QHash>
#include <optional>

class Clock;
class Database;
struct ChosenNiche;
struct Session;

// The storage the maintenance window was filled with: its register row and the end date it showed,
// which a renewal must still find stored.
struct LoadedStorage {
    qint64 id = 0; // ghjc_dj.id
    QString key;   // 存放位置
    QDate until;   // 日期止 as shown; moved on by each renewal
    StorageForm form;
    // The editable columns as stored, blank for an empty one: what a save must still find there.
    QHash<QString, QVariant> stored;
};

// A renewal's outcome and, when set, the end date the window shows and remembers from now on: the new
// one after a renewal, the stored one when it changed meanwhile, the old one after a date refused.
struct Renewal {
    SaveOutcome outcome;
    std::optional<QDate> until;
};

// The maintenance of a storage (Frm_ghjc_wh): the register row edited, the storage renewed, or
// cancelled with or without a refund. Every action re-reads, inside its transaction, the row and
// the niche the window showed.
class StorageMaintenanceService {
public:
    explicit StorageMaintenanceService(const ServiceContext& context);

    // The niche's register row, with 应收费 set to the niche's price; nothing when there is none.
    std::optional<LoadedStorage> load(const ChosenNiche& niche);
    // 保存档案修改: everything but the name and the dates, where changed from what the window showed and
    // only while the row still holds what was loaded there. A save that goes through moves `loaded` on
    // to what is stored now.
    SaveOutcome save(LoadedStorage& loaded, const StorageForm& form);
    // 确定续存: the new end date from the form, a "续存" fee row from the old end to the new one.
    Renewal renew(const LoadedStorage& loaded, const StorageForm& form);
    // 注销此记录: asks whether to refund and how much, then removes the register row and frees the niche.
    SaveOutcome cancel(const LoadedStorage& loaded, const StorageForm& form, Prompter& prompter);

private:
    // The refusal when the register row `loaded` is gone; nothing when it is still there.
    std::optional<QString> checkRecord(const LoadedStorage& loaded);

    Database& m_database;
    const Session& m_session;
    const Clock& m_clock;
};
