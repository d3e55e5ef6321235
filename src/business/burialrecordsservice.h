#pragma once

#include "foundation/servicecontext.h"

#include "business/deceased.h"
#include "foundation/saveoutcome.h"

#include <QHash>
#include <QList>
#include <functional>

class Clock;
class Database;
struct Session;

// One register row of a plot as the records window shows it.
struct DeceasedRecord {
    qint64 rid = 0;
    DeceasedForm person;
    // The row's values as stored, by column, blank for an empty one: what a save must still find there.
    QHash<QString, QVariant> stored;
};

// Browsing, correcting and deregistering the deceased of a plot. A rename or a deregistration takes the
// plot's name slot and the name list of its purchase fee row along in the same transaction.
class BurialRecordsService {
public:
    explicit BurialRecordsService(const ServiceContext& context);

    // The plot's register rows in their order; dates not yet given read as today.
    QList<DeceasedRecord> records(const QString& key);
    // 保存以上修改 of the row `loaded`: only the fields changed from what the window showed, and only
    // while the row still holds what was loaded there.
    SaveOutcome save(const QString& key, const DeceasedRecord& loaded, const DeceasedForm& form);
    // 注销此记录 after the delete right and the operator's yes (`confirmed` asks): the only row of the
    // plot keeps its purchase part, any other row is deleted.
    SaveOutcome deregister(const QString& key, qint64 rid, const std::function<bool()>& confirmed);

private:
    // The deceased's name of the row, or none when the row is no longer one of the plot's.
    std::optional<QString> nameOf(const QString& key, qint64 rid);

    Database& m_database;
    const Session& m_session;
    const Clock& m_clock;
};
