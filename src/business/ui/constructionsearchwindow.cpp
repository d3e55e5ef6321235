#include "business/ui/constructionsearchwindow.h"

#include "shared/ui/fieldoptions.h"
#include "ui_constructionsearchwindow.h"

#include <QRadioButton>

namespace {

constexpr int optionsPerRow = 5;

} // namespace

ConstructionSearchWindow::ConstructionSearchWindow(AppContext& context, ConstructionSheet sheet,
                                                   QWidget* parent)
    : TaskWindow(context, parent), m_sheet(sheet), m_ui(std::make_unique<Ui::ConstructionSearchForm>()) {
    setObjectName(QString::fromLatin1(constructionSearchWindow(sheet)));
    m_ui->setupUi(this);
    setWindowTitle(ConstructionSearch::title(sheet));
    const SearchBook& book = ConstructionSearch::book(sheet);
    QList<QRadioButton*> buttons;
    for (int option = 0; option < book.fields.size(); ++option) {
        auto* button = new QRadioButton(book.fields.at(option).caption, m_ui->Frame1);
        button->setObjectName(QStringLiteral("Option%1").arg(option + 1));
        m_ui->optionsLayout->addWidget(button, option / optionsPerRow, option % optionsPerRow);
        buttons << button;
    }
    buttons.first()->setChecked(true);
    m_options = std::make_unique<FieldOptions>(book, buttons, m_ui->Text1);
    m_ui->MSHFlexGrid1->attach(context.database, context.prompter);
    search();
    on(m_ui->Text1, &QLineEdit::returnPressed, &ConstructionSearchWindow::search);
}

ConstructionSearchWindow::~ConstructionSearchWindow() = default;

void ConstructionSearchWindow::search() {
    const SearchBook& book = ConstructionSearch::book(m_sheet);
    m_ui->MSHFlexGrid1->setQuery(book.find(m_context.database, m_options->chosen(), m_ui->Text1->text()));
    m_ui->Label1->setText(QStringLiteral("共有记录：%1 条").arg(m_ui->MSHFlexGrid1->count()));
}
