#include "columbarium/ui/occupiednichewindow.h"

#include "columbarium/ui/nicheoptionswindow.h"
#include "shared/session.h"
#include "ui_occupiednichewindow.h"

OccupiedNicheWindow::OccupiedNicheWindow(AppContext& context, QWidget* parent)
    : NicheListWindow(context, NicheListing::Occupied, parent), m_ui(std::make_unique<Ui::Frmjc_wh>()) {
    m_ui->setupUi(this);
    attach(nicheListControls(*m_ui));
}

OccupiedNicheWindow::~OccupiedNicheWindow() = default;

void OccupiedNicheWindow::pick(const QString& key) {
    // A niche freed meanwhile is not taken.
    const std::optional<PickedNiche> picked = service().pick(key);
    if (!picked)
        return;
    m_context.session.chosenOccupiedNiche = picked->niche;
    m_context.host.open<NicheOptionsWindow>()->takeChosenNiche();
}
