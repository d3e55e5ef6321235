#pragma once

#include "admin/unitinfoservice.h"
#include "foundation/ui/taskwindow.h"

#include <memory>

class BackgroundWindow;

namespace Ui {
class Frm_yhxx;
}

// Frm_yhxx (显示信息): the unit name on the background, its font, size and colour, and the background
// picture. A chosen picture shows at once; 取消 brings back the stored one.
class UnitInfoWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_yhxx", {}, true};

    explicit UnitInfoWindow(AppContext& context, QWidget* parent = nullptr);
    ~UnitInfoWindow() override;

private:
    void choosePicture();
    void chooseFont();
    void save();
    void cancel();
    // The background of the main window this window stands over, if any.
    BackgroundWindow* background() const;

    std::unique_ptr<Ui::Frm_yhxx> m_ui;
    UnitInfoService m_service;
};
