#pragma once

#include "foundation/prompter.h"
#include "shared/numberedplace.h"
#include "shared/setupview.h"

#include <QString>
#include <QStringList>
#include <optional>

class Database;
struct Session;

// What the niche set-up window holds when a button is pressed, as typed.
struct NicheSetupInput {
    QString hall;        // Combo1; empty while no hall is chosen or the new-hall box is shown
    int roomsListed = 0; // entries of the room list Combo2
    QString room;        // the room chosen in or typed into Combo2
    QString start;       // Mask1 起始号, or 标签号 in single mode
    QString step;        // Mask2 跨步
    QString count;       // Mask3 框个数
    QString style;       // Combo4
    QString layer;       // Combo3
    QString price;       // Mask4 价位
    QString deleteFrom;  // Masks
    QString deleteTo;    // Maske
};

// The rules of the niche set-up window Frmjc_sz: halls, rooms and numbered niches in ghjc_wz. Marker
// rows (NULL 号) remember empty halls and rooms; the first room of a hall or niche of a room fills
// its marker in place. Every action that writes does so in one transaction. Refusals, questions and
// confirmations go to the operator through the Prompter; lists and the status line go to the view.
class NicheSetupService {
public:
    struct HallView {
        QStringList rooms;
        QString status;
    };
    // The number fields whose typing is checked character by character.
    enum class Field { Start, Step, Count, Price };

    NicheSetupService(Database& database, Session& session, Prompter& prompter);

    QStringList halls();
    HallView chooseHall(const QString& hall);
    QString chooseRoom(const QString& hall, const QString& room);

    // False after telling the operator that `text` holds a character the field does not take.
    bool acceptTyped(Field field, const QString& text);
    bool acceptTypedHallName(const QString& text);
    // The rights check of 添加厅 before the name box opens.
    bool mayAddHall();
    // The name of the hall or room added or removed, or nothing.
    std::optional<QString> addHall(const QString& typedName);
    bool removeHall(const QString& hall);
    std::optional<QString> addRoom(const NicheSetupInput& input);
    std::optional<QString> removeRoom(const NicheSetupInput& input);

    // 确认输入 in batch mode and in single mode: true when niches were written.
    bool createRun(const NicheSetupInput& input, SetupView& view);
    bool createSingle(const NicheSetupInput& input, SetupView& view);
    void deleteRun(const NicheSetupInput& input, SetupView& view);
    void listMissingNumbers(const NicheSetupInput& input, SetupView& view);

private:
    struct Room {
        QString hall;
        QString name;
        NumberedPlace in(Database& database) const;
        QString key(const QString& number) const;
    };

    // A refused name or the name added.
    struct Added {
        std::optional<QString> name;
        QString refusal;
    };
    struct Written {
        std::optional<Message> refusal;
        QStringList lines;
    };
    // How a number already there is told: a run names it, a single niche does not.
    enum class Taken { Run, Single };

    void tell(Prompter::Icon icon, const QString& caption, const QString& text);
    bool denied(bool denied, const QString& message);
    bool ask(const QString& caption, const QString& text);
    std::optional<Room> chosenRoom(const NicheSetupInput& input);
    // The style, layer and price checks both modes share.
    bool acceptsNicheValues(const NicheSetupInput& input);
    // What stops `run` from being written into `room`, as the operator is told it.
    std::optional<Message> blockedRun(const Room& room, const NumberRun& run, Taken taken);
    // Checks and writes in one transaction.
    Written write(const Room& room, const NumberRun& run, const NicheSetupInput& input, Taken taken,
                  const SetupView::Breathe& breathe);
    qint64 count(const QString& sql, const QVariantList& values, const QString& doing);

    Database& m_database;
    Session& m_session;
    Prompter& m_prompter;
};
