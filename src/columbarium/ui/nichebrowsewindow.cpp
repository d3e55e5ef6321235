#include "columbarium/ui/nichebrowsewindow.h"

#include "columbarium/ui/storageregistrationwindow.h"
#include "shared/session.h"
#include "ui_nichebrowsewindow.h"

NicheBrowseWindow::NicheBrowseWindow(AppContext& context, QWidget* parent)
    : NicheListWindow(context, NicheListing::Free, parent), m_ui(std::make_unique<Ui::Frm_bljc>()) {
    m_ui->setupUi(this);
    attach(nicheListControls(*m_ui));
}

NicheBrowseWindow::~NicheBrowseWindow() = default;

void NicheBrowseWindow::pick(const QString& key) {
    const std::optional<PickedNiche> picked = service().pick(key);
    if (!picked || m_context.prompter.ask(QStringLiteral("寄存入档"),
                                          NicheBrowseService::question(*picked)) != Prompter::Answer::Yes)
        return;
    m_context.session.chosenNiche = picked->niche;
    m_context.host.open<StorageRegistrationWindow>()->takeChosenNiche();
}
