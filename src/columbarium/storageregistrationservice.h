#pragma once

#include "foundation/servicecontext.h"

#include "columbarium/storagerecord.h"
#include "foundation/saveoutcome.h"

class Clock;
class Database;
struct Session;

// The storage of an urn in a free niche: the ghjc_dj row, the niche to "已使用", the ghjc_xf1 "存入"
// row, and the storage papers.
class StorageRegistrationService {
public:
    explicit StorageRegistrationService(const ServiceContext& context);

    // Checks in the office's order, then writes everything in one transaction after making sure the
    // niche is still free, so that no niche takes two urns.
    SaveOutcome save(const StorageForm& form);
    // What another desk or window did meanwhile to the free niche of the form; none while it is free.
    std::optional<QString> takenMeanwhile(const QString& nicheKey);

private:
    Database& m_database;
    const Session& m_session;
    const Clock& m_clock;
};
