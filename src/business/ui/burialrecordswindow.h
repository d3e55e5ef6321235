#pragma once

#include "business/burialrecordsservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frm_lzwh;
}

// Frm_lzwh "墓区数据维护": browses the deceased of the chosen sold plot one by one, corrects and
// deregisters them. A saved or deregistered record closes the burial management window with it.
class BurialRecordsWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_lzwh", {Placement::Rule::Centred}};

    explicit BurialRecordsWindow(AppContext& context, QWidget* parent = nullptr);
    ~BurialRecordsWindow() override;

    // Reads the chosen plot's register rows and shows the first. Called when the window is opened for
    // a pick, never on re-activation, so the row on screen stays where the operator left it.
    void takeChosenPurchase();

private:
    void showCurrent();
    void previous();
    void next();
    void save();
    void deregister();

    BurialRecordsService m_service;
    QString m_key;
    QList<DeceasedRecord> m_records;
    qsizetype m_current = 0;
    std::unique_ptr<Ui::Frm_lzwh> m_ui;
};
