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

// Program-wide values that windows hand to one another. Login fills the first three; the right
// check keeps the flags; the task windows keep what they chose for the windows they open.
struct Session {
    QString operatorName;
    QString permissionString;
    QString reportList;
    RecordFlags flags;
    OperatorDenials denials;
};
