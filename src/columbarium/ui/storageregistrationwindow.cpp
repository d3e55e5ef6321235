#include "columbarium/ui/storageregistrationwindow.h"

#include "columbarium/ui/storagechargeswindow.h"
#include "foundation/clock.h"
#include "foundation/money.h"
#include "foundation/ui/enterastab.h"
#include "shared/session.h"
#include "ui_storageregistrationwindow.h"

StorageRegistrationWindow::StorageRegistrationWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.services()), m_ui(std::make_unique<Ui::Frmjc_rd>()) {
    m_ui->setupUi(this);
    m_ui->fields->setRelations(StorageRecord::relations(context.database));
    on(m_ui->ComSf, &QPushButton::clicked, &StorageRegistrationWindow::openItemCharges);
    on(m_ui->Command1, &QPushButton::clicked, &StorageRegistrationWindow::save);
    on(m_ui->Command2, &QPushButton::clicked, &StorageRegistrationWindow::closeWindow);
    EnterAsTab::install(this);
    warnWhenTaken(
        ChangeNotifier::Subject::Niches, [this] { return m_ui->fields->form().nicheKey; },
        [this](const QString& key) { return m_service.takenMeanwhile(key); });
}

StorageRegistrationWindow::~StorageRegistrationWindow() = default;

void StorageRegistrationWindow::takeChosenNiche() {
    const ChosenNiche& niche = m_context.session.chosenNiche;
    const QDate today = m_context.clock.today();
    StorageForm form = m_ui->fields->form();
    form.nicheKey = niche.key;
    form.storedFrom = form.born = form.died = today;
    form.storedUntil = StorageRecord::storedUntilFor(today);
    form.amountDue = Money::format(niche.price);
    m_ui->fields->fill(form);
}

void StorageRegistrationWindow::openItemCharges() {
    const StorageForm form = m_ui->fields->form();
    m_context.host.open<StorageChargesWindow>()->fill(form.nicheKey, form.contact);
}

void StorageRegistrationWindow::save() {
    const StorageForm form = m_ui->fields->form();
    // Both dates open at today: untouched, they would record a birth and a death on the day of storage.
    const QDate today = m_context.clock.now().date();
    if (form.born == today && form.died == today &&
        m_context.prompter.ask(QStringLiteral("提示"),
                               QStringLiteral("出生日期和死亡日期都是今天，确定保存吗？")) !=
            Prompter::Answer::Yes)
        return;
    const auto saving = ownSave();
    if (showOutcome(m_service.save(form)))
        closeWindow();
}
