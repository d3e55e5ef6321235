#pragma once

#include "columbarium/nichebrowseservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

class NicheGridModel;
namespace Ui {
class Frm_bljc;
}

// Frm_bljc, 寄存登记: the free niches of a hall and room as icons, narrowed to a layer or a number;
// picking one opens the registration for it.
class NicheBrowseWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_bljc", {Placement::Rule::FullWidthAtTop}};

    explicit NicheBrowseWindow(AppContext& context, QWidget* parent = nullptr);
    ~NicheBrowseWindow() override;

protected:
    // Enter in the number box looks the number up; Enter in the list picks the niche.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseHall();
    void chooseRoom();
    void chooseLayer();
    void searchNumber();
    void show(const NicheList& list);
    void pickCurrent();
    void printFreeList();

    NicheBrowseService m_service;
    std::unique_ptr<Ui::Frm_bljc> m_ui;
    NicheGridModel* m_model;
    NicheList m_shown;
};
