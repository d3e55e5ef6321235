#pragma once

#include <QObject>
#include <QString>

// Tells the open windows what a committed action changed, so that maps and lists refresh
// themselves instead of being wired to each window that saves. The Database sends a notice only
// after the transaction that made the change has committed, and never when it was rolled back.
class ChangeNotifier : public QObject {
    Q_OBJECT
public:
    enum class Subject {
        Plots,        // plots of one area: their states, styles or existence (scope: the area)
        Reservations, // reservation rows
        Niches,       // niches of one hall: their states or existence (scope: the hall)
    };
    Q_ENUM(Subject)

signals:
    void changed(ChangeNotifier::Subject subject, const QString& scope);
};
