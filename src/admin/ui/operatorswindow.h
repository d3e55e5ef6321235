#pragma once

#include "admin/operatorservice.h"
#include "admin/purgeservice.h"
#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frmczy;
}

// Frmczy: the operators, their right marks and passwords, the relationship list and the purge of
// old fee records.
class OperatorsWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frmczy"};

    explicit OperatorsWindow(AppContext& context, QWidget* parent = nullptr);
    ~OperatorsWindow() override;

private:
    void fillOperators();
    void pick();
    void saveMarks();
    void startAdding();
    void showList();
    void refuseQuote();
    void checkCode();
    void add();
    void remove();
    void startPasswordChange();
    void changePassword();
    void endPasswordChange();
    void purge();

    std::unique_ptr<Ui::Frmczy> m_ui;
    OperatorService m_service;
    PurgeService m_purge;
    // The picked operator's marks as shown, moved on by each save.
    RightMarks m_marks;
};
