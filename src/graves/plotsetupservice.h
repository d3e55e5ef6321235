#pragma once

#include "foundation/prompter.h"
#include "shared/numberedplace.h"
#include "shared/setupview.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <array>
#include <functional>
#include <optional>

class Database;
struct Session;

// What the set-up window holds when a button is pressed, as typed.
struct PlotSetupInput {
    QString area;       // Combo1; empty while no area is chosen or the new-area box is shown
    int rowsListed = 0; // entries of the row list Combo2
    QString row;        // the row chosen in or typed into Combo2
    QString start;      // Mask1 起始号
    QString count;      // Mask2 墓碑个数
    QString style;      // Combo4
    // Mask3 to Mask8 (墓地费 刻字费 瓷像费 特修费 绿化费 合墓费), stored in this order as
    // 墓地费 墓碑费 工料费 家族费 绿化费 其它.
    std::array<QString, 6> prices;
    QString deleteFrom; // Masks
    QString deleteTo;   // Maske
};

// The plot set-up window besides what every set-up window shows: its row group can be switched off.
class PlotSetupView : public SetupView {
public:
    virtual void setRowGroupEnabled(bool enabled) = 0;
};

// The rules of the plot set-up window Frm_mqsz: areas, rows and runs of numbered plots in mq_wz.
// Marker rows (NULL 号) remember empty areas and rows; the first plot or row written into an empty
// area or row fills its marker in place. Every action that writes does so in one transaction.
// Refusals, questions and confirmations go to the operator through the Prompter; lists and the
// status line go to the view. One instance lives as long as its window.
class PlotSetupService {
public:
    struct AreaView {
        QStringList rows;
        bool rowGroupEnabled = true;
        QString status;
    };

    PlotSetupService(Database& database, Session& session, Prompter& prompter);

    QStringList areas();
    AreaView chooseArea(const QString& area);
    QString chooseRow(const QString& area, const QString& row);

    // The rights check of 添加墓区 before the name box opens.
    bool mayAddArea();
    // A typed area name may not hold an apostrophe; false after telling the operator.
    bool acceptTypedAreaName(const QString& text);
    // The name of the area added, or nothing.
    std::optional<QString> addArea(const QString& typedName);
    bool removeArea(const QString& area);
    // The name of the row added or removed, or nothing.
    std::optional<QString> addRow(const PlotSetupInput& input);
    std::optional<QString> removeRow(const PlotSetupInput& input);

    // 确认输入: true when the run was written.
    bool createRun(const PlotSetupInput& input, PlotSetupView& view);
    void changeStyle(const PlotSetupInput& input, PlotSetupView& view);
    void changePrices(const PlotSetupInput& input, PlotSetupView& view);
    void deleteRun(const PlotSetupInput& input, PlotSetupView& view);
    void listMissingNumbers(const PlotSetupInput& input, PlotSetupView& view);

private:
    struct Place {
        QString area;
        QString row; // empty for an area set up without rows
        QString where() const;
        QVariantList values() const;
        QString key(const QString& number) const;
        NumberedPlace in(Database& database) const;
    };
    enum class Change { Style, Prices };
    // A refused name or the name added.
    struct Added {
        std::optional<QString> name;
        QString refusal;
    };
    struct WrittenRun {
        std::optional<Message> refusal;
        QStringList lines;
    };

    void refuse(const QString& text, const QString& caption = QString());
    bool deniedFor(bool denied, const QString& message);
    bool ask(const QString& caption, const QString& text);
    std::optional<Place> chosenPlace(const PlotSetupInput& input, const QString& rowCaption);
    std::optional<NumberRun> checkedRun(const PlotSetupInput& input);
    // What stops `run` from being written into `place`, as the operator is told it.
    std::optional<Message> blockedRun(const Place& place, const NumberRun& run);
    // Checks and writes in one transaction.
    WrittenRun writeRun(const Place& place, const NumberRun& run, const PlotSetupInput& input,
                        const PlotSetupView::Breathe& breathe);
    void change(Change what, const PlotSetupInput& input, PlotSetupView& view);
    int count(const QString& sql, const QVariantList& values, const QString& doing);

    Database& m_database;
    Session& m_session;
    Prompter& m_prompter;
    bool m_askAboutRows = true;
};
