#pragma once

#include "business/constructionservice.h"

#include "foundation/ui/taskwindow.h"

// What the order and the acceptance windows share: the sheet of the plot they were opened for, the
// tomb-type list that learns new types, and 确定 that saves, prints and closes.
class ConstructionSheetWindow : public TaskWindow {
    Q_OBJECT
public:
    // Shows the sheet of the plot of the burial management that opened the window.
    void takeChosenPurchase();

protected:
    ConstructionSheetWindow(AppContext& context, ConstructionSheet sheet, QWidget* parent);
    // Once the form is set up: the type list and the buttons.
    void attachForm();

private:
    QWidget* field(const QString& name) const;
    void save();

    ConstructionService m_service;
    ConstructionSheet m_sheet;
    // The plot the sheet is written for, as taken when the window was opened for it.
    QString m_plotKey;
};

// Frm_jmsg "建墓施工": the construction order of a plot and deceased.
class ConstructionOrderWindow final : public ConstructionSheetWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_jmsg"};
    explicit ConstructionOrderWindow(AppContext& context, QWidget* parent = nullptr);
};

// Frm_jmsgys "建墓竣工验收": the acceptance of the finished tomb.
class AcceptanceWindow final : public ConstructionSheetWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_jmsgys"};
    explicit AcceptanceWindow(AppContext& context, QWidget* parent = nullptr);
};
