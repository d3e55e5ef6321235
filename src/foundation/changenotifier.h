#pragma once

#include <QObject>
#include <QString>

// Tells the open windows what a committed action changed, so that maps and lists refresh
// themselves instead of being wired to each window that saves. The Database sends a notice only
// after the transaction that made the change has committed, and never when it was rolled back. On a
// server the notices of the other desks arrive here too, so a window hears of a sale wherever it was made.
class ChangeNotifier : public QObject {
    Q_OBJECT
public:
    enum class Subject {
        Plots,        // plots of one area: their states, styles or existence (scope: the area)
        Reservations, // reservation rows
        Niches,       // niches of one hall: their states or existence (scope: the hall)
        Restored,     // the whole office put back from a backup while this desk worked (no scope)
    };
    Q_ENUM(Subject)

    // Whether a notice of `scope` concerns what a window shows of `shown` (nothing shown, nothing to
    // refresh). A notice without a scope concerns all: a desk that lost its server and connected again
    // sends one of each subject, since it cannot know what the other desks changed meanwhile.
    static bool concerns(const QString& scope, const QString& shown) {
        return !shown.isEmpty() && (scope.isEmpty() || scope == shown);
    }

signals:
    void changed(ChangeNotifier::Subject subject, const QString& scope);
};
