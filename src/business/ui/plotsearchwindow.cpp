#include "business/ui/plotsearchwindow.h"

#include "business/plotsearch.h"
#include "ui_plotsearchwindow.h"

PlotSearchWindow::PlotSearchWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::Frm_czmd>()) {
    m_ui->setupUi(this);
    m_purchaseOptions = std::make_unique<FieldOptions>(
        PlotSearch::purchases(), m_ui->Frame1->findChildren<QRadioButton*>(), m_ui->Text1);
    m_reservationOptions = std::make_unique<FieldOptions>(
        PlotSearch::reservations(), m_ui->Frame2->findChildren<QRadioButton*>(), m_ui->Text1);
    m_ui->Grid1->attach(context.database, context.prompter);
    m_ui->Opt_yg->setChecked(true);
    showBook();
    on(m_ui->Opt_yg, &QRadioButton::toggled, &PlotSearchWindow::showBook);
    on(m_ui->Text1, &QLineEdit::returnPressed, &PlotSearchWindow::search);
}

PlotSearchWindow::~PlotSearchWindow() = default;

bool PlotSearchWindow::purchases() const {
    return m_ui->Opt_yg->isChecked();
}

void PlotSearchWindow::showBook() {
    m_ui->Frame1->setVisible(purchases());
    m_ui->Frame2->setVisible(!purchases());
    showRows({(purchases() ? PlotSearch::purchases() : PlotSearch::reservations()).select, {}});
}

void PlotSearchWindow::search() {
    const SearchBook& book = purchases() ? PlotSearch::purchases() : PlotSearch::reservations();
    const FieldOptions& options = purchases() ? *m_purchaseOptions : *m_reservationOptions;
    showRows(book.find(m_context.database, options.chosen(), m_ui->Text1->text()));
}

void PlotSearchWindow::showRows(const BoundQuery& query) {
    m_ui->Grid1->setQuery(query);
    m_ui->Label2->setText(QStringLiteral("记录个数：%1").arg(m_ui->Grid1->count()));
}
