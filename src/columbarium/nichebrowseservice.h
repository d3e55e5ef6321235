#pragma once

#include "foundation/printbridge.h"
#include "foundation/session.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class Database;

// A free niche as the browse window lists it.
struct ListedNiche {
    QString key;   // 存放位置
    QString style; // 样式, which picks its picture
};

// What the browse window shows: the niches, in number order, the status text and, for the free-niche
// print, the filter they were read with.
struct NicheList {
    QString hall;
    QString room;
    QString layer;  // empty unless narrowed to a layer
    QString number; // empty unless looked up by number
    QList<ListedNiche> niches;
    QString status;
};

// A niche picked for a storage: the choice the registration takes and what the question shows.
struct PickedNiche {
    ChosenNiche niche;
    QString style;
    QString layer;
};

// The rules of the free-niche browse window Frm_bljc: the free niches of a hall and room, narrowed
// to a layer or looked up by number, the pick that leads to the registration, and the list print.
class NicheBrowseService {
public:
    explicit NicheBrowseService(Database& database);

    QStringList halls();
    QStringList rooms(const QString& hall);
    NicheList room(const QString& hall, const QString& room);
    NicheList layer(const QString& hall, const QString& room, const QString& layer);
    // The number is compared as typed: "12" does not find 0012.
    NicheList number(const QString& hall, const QString& room, const QString& typed);

    // Reads the niche again; nothing when it is no longer there or no longer free.
    std::optional<PickedNiche> pick(const QString& key);
    static QString question(const PickedNiche& picked);
    // "jcwzs" with the list's own query as complete text.
    static PrintJob freeList(const NicheList& list);

private:
    NicheList read(NicheList list);

    Database& m_database;
};
