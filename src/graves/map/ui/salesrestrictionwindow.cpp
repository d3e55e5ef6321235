#include "graves/map/ui/salesrestrictionwindow.h"

#include "foundation/database.h"
#include "ui_salesrestrictionwindow.h"

SalesRestrictionWindow::SalesRestrictionWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.database), m_ui(std::make_unique<Ui::Frm_gmcontrol>()) {
    m_ui->setupUi(this);
    m_ui->map->start(context.database,
                     {MapUses::restriction(), &PlotPictures::restriction(), false, true, {}},
                     [this](const std::function<void()>& action) { return guarded(action); });
    on(m_ui->Command2, &QPushButton::clicked, [this] { apply(m_service.restrict(selection())); });
    on(m_ui->Command3, &QPushButton::clicked, [this] { apply(m_service.release(selection())); });
    on(m_ui->Command1, &QPushButton::clicked, &SalesRestrictionWindow::closeWindow);
}

SalesRestrictionWindow::~SalesRestrictionWindow() = default;

std::optional<MapFilter> SalesRestrictionWindow::selection() const {
    const MapFilter& shown = m_ui->map->shown();
    if (shown.area.isEmpty())
        return std::nullopt;
    return shown;
}

void SalesRestrictionWindow::apply(const SaveOutcome& outcome) {
    if (showOutcome(outcome))
        m_ui->map->showAgain();
}
