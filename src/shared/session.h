#pragma once

#include <QString>

// The record-operation flags: "true" means the right is denied. They describe the last item whose
// right check succeeded, and keep their values across windows.
struct RecordFlags {
    bool addDenied = false;
    bool modifyDenied = false;
    bool deleteDenied = false;
    bool printDenied = false;
};

// The operator's own denials, kept from the operator's row at login (1 = denied).
struct OperatorDenials {
    bool add = false;
    bool modify = false;
    bool remove = false;
};

// The plot picked on the plot map: its key, style and six list prices, for the choice, reservation
// and purchase windows. It stays until the next pick.
struct ChosenPlot {
    QString key;
    QString style;
    double landPrice = 0;     // 墓地费
    double stonePrice = 0;    // 墓碑费
    double labourPrice = 0;   // 工料费
    double familyPrice = 0;   // 家族费
    double greeningPrice = 0; // 绿化费
    double otherPrice = 0;    // 其它
};

// The reservation picked on the reserved-plot map. The maintenance window reads the rest of the
// reservation by this id when it opens, so it never shows values older than the pick.
struct ChosenReservation {
    qint64 id = 0;
    QString key;
};

// The sold plot picked on the sold-plot map. The burial, renewal and return windows read its
// registration (the plot's first register row) by this key when they open.
struct ChosenPurchase {
    QString key;
};

// The free niche picked in the columbarium's browse window, for the registration it opens.
struct ChosenNiche {
    QString key;
    double price = 0; // 价位
};

// Program-wide values that windows hand to one another. Login fills the first three; the right
// check keeps the flags; the task windows keep what they chose for the windows they open.
struct Session {
    QString operatorName;
    QString permissionString;
    QString reportList;
    RecordFlags flags;
    OperatorDenials denials;
    // The operator logged in with the password every new office ships with.
    bool usesShippedPassword = false;
    ChosenPlot chosenPlot;
    ChosenReservation chosenReservation;
    ChosenPurchase chosenPurchase;

    // The one operator who manages the others, purges and reads the history.
    bool isAdmin() const { return operatorName == QLatin1String("Admin"); }
    ChosenNiche chosenNiche;
    // The occupied niche picked in the maintenance browse, for its options and maintenance windows.
    ChosenNiche chosenOccupiedNiche;
    // The key of the niche whose storage was picked in the storage search, for its fee records.
    QString chosenStoredNiche;
};
