#pragma once

#include "foundation/clock.h"
#include "foundation/saveoutcome.h"
#include "shared/session.h"
#include "support/testsupport.h"

#include <functional>
#include <memory>

// Two desks on one server: desk A is the test's connection, desk B a second one to the same database.
// In a race B's whole action runs just before A's first write, after A's re-checks found everything as
// its window showed it: the moment at which only the server can still stop the second action.
class TwoDesks {
public:
    TwoDesks();

    // A database file has one desk: races need the server the tests run on.
    static bool available();

    Database& deskA() { return data.db(); }
    Database& deskB() { return *m_deskB; }

    struct Outcomes {
        SaveOutcome byA;
        SaveOutcome byB;
        bool bRan = false; // A reached a write, so B's action ran in the middle of A's
    };
    Outcomes race(const std::function<SaveOutcome()>& actionOfA,
                  const std::function<SaveOutcome()>& actionOfB);

    TestData data;
    Session session;
    FixedClock clock{testNow()};

private:
    std::unique_ptr<Database> m_deskB;
};

// Exactly one desk saved and the other was refused with `refusal`, its own words. Records a failure at
// the caller's line and returns false otherwise.
bool oneSaved(const TwoDesks::Outcomes& outcomes, const QString& refusal, const char* file, int line);
#define QVERIFY_ONE_SAVED(outcomes, refusal)                                                                 \
    do {                                                                                                     \
        if (!oneSaved(outcomes, refusal, __FILE__, __LINE__))                                                \
            return;                                                                                          \
    } while (false)

// Both desks saved: actions that only add rows never stand in each other's way.
bool bothSaved(const TwoDesks::Outcomes& outcomes, const char* file, int line);
#define QVERIFY_BOTH_SAVED(outcomes)                                                                         \
    do {                                                                                                     \
        if (!bothSaved(outcomes, __FILE__, __LINE__))                                                        \
            return;                                                                                          \
    } while (false)
