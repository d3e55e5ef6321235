#include "columbarium/ui/nichesetupwindow.h"

#include "foundation/database.h"
#include "foundation/ui/comboentry.h"
#include "foundation/ui/enterastab.h"
#include "foundation/ui/namebox.h"
#include "shared/ui/progresswindow.h"
#include "ui_nichesetupwindow.h"

NicheSetupWindow::NicheSetupWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::Frmjc_sz>()),
      m_service(context.database, context.session, context.prompter) {
    m_ui->setupUi(this);
    EnterAsTab::install(this);
    m_nameBox =
        new NameBox({m_ui->Combo1, m_ui->Box1, m_ui->Cmdting_tj, m_ui->Cmdting_zx}, QStringLiteral("添加厅"),
                    QStringLiteral("注销厅"), [this] { guarded([this] { saveHall(); }); });
    for (int layer = 1; layer <= 20; ++layer)
        m_ui->Combo3->addItem(QString::number(layer));
    m_ui->Combo3->setCurrentIndex(-1);
    m_ui->Combo4->setCurrentIndex(-1);

    on(m_ui->Combo1, &QComboBox::currentIndexChanged, &NicheSetupWindow::showHall);
    // Choosing the hall already shown starts it afresh too, its status line included.
    on(m_ui->Combo1, &QComboBox::activated, &NicheSetupWindow::showHall);
    on(m_ui->Combo2, &QComboBox::currentIndexChanged, &NicheSetupWindow::showRoom);
    connect(m_ui->Box1, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!m_service.acceptTypedHallName(text))
            m_ui->Box1->clear();
    });
    const std::pair<QLineEdit*, NicheSetupService::Field> numberFields[] = {
        {m_ui->Mask1, NicheSetupService::Field::Start},
        {m_ui->Mask2, NicheSetupService::Field::Step},
        {m_ui->Mask3, NicheSetupService::Field::Count},
        {m_ui->Mask4, NicheSetupService::Field::Price}};
    for (const auto& [field, kind] : numberFields)
        connect(field, &QLineEdit::textChanged, this, [this, field, kind](const QString& text) {
            if (!m_service.acceptTyped(kind, text))
                field->clear();
        });
    on(m_ui->Cmdting_tj, &QPushButton::clicked,
       [this] { m_nameBox->isOpen() ? saveHall() : startAddingHall(); });
    on(m_ui->Cmdting_zx, &QPushButton::clicked, [this] {
        if (m_nameBox->isOpen())
            m_nameBox->cancel();
        else
            removeHall();
    });
    on(m_ui->Cmdshi_zj, &QPushButton::clicked, &NicheSetupWindow::addRoom);
    on(m_ui->Cmdshi_zx, &QPushButton::clicked, &NicheSetupWindow::removeRoom);
    on(m_ui->Command3, &QPushButton::clicked, [this] { setSingleMode(false); });
    on(m_ui->Command2, &QPushButton::clicked, [this] { setSingleMode(true); });
    on(m_ui->Command1, &QPushButton::clicked, &NicheSetupWindow::create);
    on(m_ui->Command5, &QPushButton::clicked, [this] { m_service.deleteRun(input(), *this); });
    on(m_ui->Command6, &QPushButton::clicked, [this] { m_service.listMissingNumbers(input(), *this); });
    on(m_ui->Command4, &QPushButton::clicked, &NicheSetupWindow::closeWindow);
    // Niches deleted, set up or stored in the chosen hall, here or in another window, change its counts.
    connect(&context.database.changes(), &ChangeNotifier::changed, this,
            [this](ChangeNotifier::Subject subject, const QString& scope) {
                if (subject == ChangeNotifier::Subject::Niches &&
                    ChangeNotifier::concerns(scope, m_ui->Combo1->currentText()))
                    guarded([this] {
                        if (m_ui->Combo2->currentIndex() < 0)
                            showStatus(m_service.chooseHall(m_ui->Combo1->currentText()).status);
                        else
                            showRoom();
                    });
            });
    // Single mode hides the step and the count but keeps their room, so nothing around them moves.
    for (QWidget* batchOnly :
         {static_cast<QWidget*>(m_ui->Mask2), static_cast<QWidget*>(m_ui->Mask3),
          static_cast<QWidget*>(m_ui->Label_step), static_cast<QWidget*>(m_ui->Label_count)}) {
        QSizePolicy policy = batchOnly->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        batchOnly->setSizePolicy(policy);
    }

    const QSignalBlocker quiet(m_ui->Combo1);
    m_ui->Combo1->addItems(m_service.halls());
    m_ui->Combo1->setCurrentIndex(-1);
}

NicheSetupWindow::~NicheSetupWindow() = default;

NicheSetupInput NicheSetupWindow::input() const {
    NicheSetupInput input;
    input.hall = m_nameBox->isOpen() ? QString() : m_ui->Combo1->currentText();
    input.roomsListed = m_ui->Combo2->count();
    input.room = m_ui->Combo2->currentText();
    input.start = m_ui->Mask1->text();
    input.step = m_ui->Mask2->text();
    input.count = m_ui->Mask3->text();
    input.style = m_ui->Combo4->currentText();
    input.layer = m_ui->Combo3->currentText();
    input.price = m_ui->Mask4->text();
    input.deleteFrom = m_ui->Masks->text();
    input.deleteTo = m_ui->Maske->text();
    return input;
}

void NicheSetupWindow::startAddingHall() {
    if (m_service.mayAddHall())
        m_nameBox->open();
}

void NicheSetupWindow::saveHall() {
    const std::optional<QString> added = m_service.addHall(m_ui->Box1->text());
    // The new hall becomes the chosen one, ready for its first run.
    m_nameBox->close(added);
    if (added)
        m_ui->Mask1->setFocus();
}

void NicheSetupWindow::removeHall() {
    if (!m_service.removeHall(input().hall))
        return;
    m_nameBox->dropChosen();
    showHall();
}

void NicheSetupWindow::addRoom() {
    const std::optional<QString> name = m_service.addRoom(input());
    if (!name)
        return;
    appendComboEntryQuietly(m_ui->Combo2, *name);
    showStatus(m_service.chooseHall(m_ui->Combo1->currentText()).status);
}

void NicheSetupWindow::removeRoom() {
    const std::optional<QString> name = m_service.removeRoom(input());
    if (!name)
        return;
    removeComboEntryQuietly(m_ui->Combo2, *name);
    showStatus(m_service.chooseHall(m_ui->Combo1->currentText()).status);
}

void NicheSetupWindow::showHall() {
    const NicheSetupService::HallView hall = m_service.chooseHall(m_ui->Combo1->currentText());
    const QSignalBlocker quiet(m_ui->Combo2);
    m_ui->Combo2->clear();
    m_ui->Combo2->addItems(hall.rooms);
    m_ui->Combo2->setCurrentIndex(-1);
    m_ui->Combo2->clearEditText();
    showStatus(hall.status);
}

void NicheSetupWindow::showRoom() {
    if (m_ui->Combo2->currentIndex() < 0)
        return;
    showStatus(m_service.chooseRoom(m_ui->Combo1->currentText(), m_ui->Combo2->currentText()));
}

void NicheSetupWindow::setSingleMode(bool single) {
    m_ui->Command2->setEnabled(!single);
    m_ui->Command3->setEnabled(single);
    m_ui->Label_start->setText(single ? QStringLiteral("标签号") : QStringLiteral("起始号"));
    for (QWidget* batchOnly :
         {static_cast<QWidget*>(m_ui->Mask2), static_cast<QWidget*>(m_ui->Mask3),
          static_cast<QWidget*>(m_ui->Label_step), static_cast<QWidget*>(m_ui->Label_count)})
        batchOnly->setVisible(!single);
}

void NicheSetupWindow::create() {
    if (m_ui->Command2->isEnabled())
        m_service.createRun(input(), *this);
    else
        m_service.createSingle(input(), *this);
}

void NicheSetupWindow::showStatus(const QString& text) {
    m_ui->Label1->setText(text);
}

void NicheSetupWindow::showResults(const QStringList& lines) {
    m_ui->Grid1->clear();
    m_ui->Grid1->addItems(lines);
}

void NicheSetupWindow::showStartNumber(const QString& number) {
    m_ui->Mask1->setText(number);
}

void NicheSetupWindow::showDeleteRange(const QString& first, const QString& last) {
    m_ui->Masks->setText(first);
    m_ui->Maske->setText(last);
}

void NicheSetupWindow::runLong(Pass pass, const Work& work) {
    ProgressWindow::runPass(this, m_ui->Label1, pass, work);
}
