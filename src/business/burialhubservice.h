#pragma once

#include "foundation/saveoutcome.h"
#include "shared/memobook.h"

#include <QString>
#include <optional>

class Clock;
class Database;

// A sold plot as the burial management shows it: its first register row and who is buried in it.
struct BurialHubPlot {
    qint64 firstRow = 0; // rid of the plot's first gm_dj row
    QString key;         // 墓碑位置
    QString contact;     // 联系人 of the first row
    QString number;      // 编号 of the first row as text, empty when there is none
    qint64 buried = 0;   // register rows, or 0 when the first row has nobody buried yet

    // Label1: the plot and how many are buried in it.
    QString summary() const;
};

// The burial management of one sold plot: what it shows, its memos and the certificate reprint.
class BurialHubService {
public:
    BurialHubService(Database& database, const Clock& clock);

    // The plot by its first register row; nothing when the plot has none (any more).
    std::optional<BurialHubPlot> load(const QString& key);

    // The plots' memos in mq_bwl: 备忘录登记 and 注销备忘记录.
    const MemoBook& memos() const { return m_memos; }

    // 重新打印公墓证: the certificate of the plot's first register row and the plot's contact sheet.
    static QList<PrintJob> certificateReprint(const BurialHubPlot& plot);

private:
    Database& m_database;
    MemoBook m_memos;
};
