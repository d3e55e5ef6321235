#pragma once

#include "foundation/printbridge.h"
#include "shared/session.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class Database;

// A niche as the browse windows list it.
struct ListedNiche {
    QString key;   // 存放位置
    QString style; // 样式, which picks its picture
};

// What a browse window shows: the niches, in number order, the status text and, for the list print,
// the filter they were read with.
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

// Which niches a browse lists: the free ones for a storage (Frm_bljc), the occupied ones for the
// maintenance of a storage (Frmjc_wh).
enum class NicheListing { Free, Occupied };

// The rules of the niche browse windows: the niches of a hall and room in the listing's state,
// narrowed to a layer or looked up by number, the pick, and the list print.
class NicheBrowseService {
public:
    explicit NicheBrowseService(Database& database, NicheListing listing = NicheListing::Free);

    QStringList halls();
    QStringList rooms(const QString& hall);
    NicheList room(const QString& hall, const QString& room);
    NicheList layer(const QString& hall, const QString& room, const QString& layer);
    // The number is compared as typed: "12" does not find 0012.
    NicheList number(const QString& hall, const QString& room, const QString& typed);
    // The niches of what `shown` lists, read again: its room, layer or number.
    NicheList again(const NicheList& shown);

    // Reads the niche again; nothing when it is no longer there or no longer in the listing's state.
    std::optional<PickedNiche> pick(const QString& key);
    // The question before a free niche is taken for a storage.
    static QString question(const PickedNiche& picked);
    // "jcwzs" with the list's own query as complete text.
    PrintJob listPrint(const NicheList& list) const;

private:
    // "未使用" or "已使用", as stored and as the status line says it.
    QString state() const;
    NicheList read(NicheList list);

    Database& m_database;
    NicheListing m_listing;
};
