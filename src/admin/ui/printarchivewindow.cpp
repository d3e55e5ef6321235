#include "admin/ui/printarchivewindow.h"

#include "foundation/clock.h"
#include "foundation/printbridge.h"
#include "ui_printarchivewindow.h"

PrintArchiveWindow::PrintArchiveWindow(AppContext& context, const PrinterProbe& printers, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::Frm_dyda>()),
      m_service(context.database, context.dataFolder, context.printBridge.launcher(), printers) {
    m_ui->setupUi(this);
    m_ui->Grid1->attach(context.database, context.prompter);
    m_service.reload();
    // The whole archive at first: a lost receipt may be of any day.
    const QDate today = context.clock.today();
    const QDate firstDay = m_service.firstDay();
    m_ui->DTP1->setDate(firstDay.isValid() && firstDay < today ? firstDay : today);
    m_ui->DTP2->setDate(today);
    showList();
    on(m_ui->DTP1, &QDateEdit::dateChanged, &PrintArchiveWindow::showList);
    on(m_ui->DTP2, &QDateEdit::dateChanged, &PrintArchiveWindow::showList);
    on(m_ui->Text1, &QLineEdit::textChanged, &PrintArchiveWindow::showList);
    on(m_ui->Command1, &QPushButton::clicked, &PrintArchiveWindow::refresh);
    on(m_ui->Command2, &QPushButton::clicked, [this] { showOutcome(m_service.open(chosenFile())); });
    on(m_ui->Command3, &QPushButton::clicked, [this] { showOutcome(m_service.reprint(chosenFile())); });
    on(m_ui->Command4, &QPushButton::clicked, &PrintArchiveWindow::closeWindow);
}

PrintArchiveWindow::~PrintArchiveWindow() = default;

void PrintArchiveWindow::refresh() {
    m_service.reload();
    showList();
}

void PrintArchiveWindow::showList() {
    m_ui->Grid1->setQuery(
        PrintArchiveService::list(m_ui->DTP1->date(), m_ui->DTP2->date(), m_ui->Text1->text()));
}

QString PrintArchiveWindow::chosenFile() const {
    return m_ui->Grid1->currentValue(QStringLiteral("文件")).toString();
}
