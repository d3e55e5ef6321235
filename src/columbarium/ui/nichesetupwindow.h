#pragma once

#include "columbarium/nichesetupservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

class NameBox;
namespace Ui {
class Frmjc_sz;
}

// Frmjc_sz, 寄存设置: halls, rooms and numbered niches, in runs or one by one. The rules live in
// NicheSetupService; this class ties the form's controls to them and shows what they report.
class NicheSetupWindow : public TaskWindow, private SetupView {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frmjc_sz"};

    explicit NicheSetupWindow(AppContext& context, QWidget* parent = nullptr);
    ~NicheSetupWindow() override;

private:
    NicheSetupInput input() const;
    void startAddingHall();
    void saveHall();
    void removeHall();
    void addRoom();
    void removeRoom();
    void showHall();
    void showRoom();
    void setSingleMode(bool single);
    void create();

    void showStatus(const QString& text) override;
    void showResults(const QStringList& lines) override;
    void showStartNumber(const QString& number) override;
    void showDeleteRange(const QString& first, const QString& last) override;
    void runLong(Pass pass, const Work& work) override;

    std::unique_ptr<Ui::Frmjc_sz> m_ui;
    NameBox* m_nameBox;
    NicheSetupService m_service;
};
