#include "admin/ui/tombstonetypeswindow.h"

#include "admin/referencelist.h"
#include "ui_tombstonetypeswindow.h"

TombstoneTypesWindow::TombstoneTypesWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::Frmbxwh>()) {
    m_ui->setupUi(this);
    m_ui->TypeList->attach(ReferenceList::tombstoneTypes(context.database, context.prompter),
                           context.prompter,
                           [this](const std::function<void()>& action) { guarded(action); });
    on(m_ui->Command1, &QPushButton::clicked, &TombstoneTypesWindow::closeWindow);
}

TombstoneTypesWindow::~TombstoneTypesWindow() = default;
