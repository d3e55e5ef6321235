#pragma once

#include "foundation/servicecontext.h"

#include "business/purchaseservice.h"

#include "foundation/saveoutcome.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

class Clock;
class Database;
struct Session;

// Building a tomb on a sold plot: the order (jmsg) and, after the works, its acceptance (jmsgys).
enum class ConstructionSheet { Order, Acceptance };

// One field of a sheet window and the column that keeps it.
struct SheetField {
    enum class Kind {
        Trimmed, // text, stored trimmed
        AsTyped, // text, stored as typed
        Number,  // its leading number; an empty or non-numeric text is 0
        Date,    // the picked date
    };
    QString control; // object name in the window
    QString column;
    Kind kind;
};

// A sheet as its window holds it, by column: texts as typed, the date as a QDate.
using SheetValues = QHash<QString, QVariant>;

// One sheet row per plot and deceased: saving again for the same pair updates that row.
class ConstructionService {
public:
    ConstructionService(const ServiceContext& context, ConstructionSheet sheet);

    static QString table(ConstructionSheet sheet);
    // The sheet's fields after the plot, the deceased's name first.
    static const QList<SheetField>& fields(ConstructionSheet sheet);

    // The tomb types of the reference list, for the type field.
    QStringList tombTypes();
    // Keeps a typed tomb type that the list does not know yet. Returns whether it was added.
    bool learnTombType(const QString& text);

    // Every field for the plot: the first deceased registered on it and that person's sheet. An
    // acceptance not written yet starts from the order's tomb type, depth, number of graves and number;
    // an unwritten date is today.
    SheetValues load(const QString& plotKey);

    // Writes the sheet of the plot `plotKey` (the window's own plot, never one picked elsewhere since)
    // and the deceased named in it, and prints it by its row.
    SaveOutcome save(const QString& plotKey, const SheetValues& typed);

private:
    Database& m_database;
    const Clock& m_clock;
    ConstructionSheet m_sheet;
    // The tomb types are learnt as the purchase learns them.
    PurchaseService m_stones;
};
