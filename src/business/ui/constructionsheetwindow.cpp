#include "business/ui/constructionsheetwindow.h"

#include "foundation/ui/enterastab.h"
#include "shared/session.h"
#include "ui_acceptancewindow.h"
#include "ui_constructionorderwindow.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <stdexcept>

namespace {

QVariant valueOf(const QWidget* field) {
    if (const auto* line = qobject_cast<const QLineEdit*>(field))
        return line->text();
    if (const auto* list = qobject_cast<const QComboBox*>(field))
        return list->currentText();
    if (const auto* text = qobject_cast<const QTextEdit*>(field))
        return text->toPlainText();
    return qobject_cast<const QDateEdit*>(field)->date();
}

void showIn(QWidget* field, const QVariant& value) {
    if (auto* line = qobject_cast<QLineEdit*>(field))
        line->setText(value.toString());
    else if (auto* list = qobject_cast<QComboBox*>(field))
        list->setCurrentText(value.toString());
    else if (auto* text = qobject_cast<QTextEdit*>(field))
        text->setPlainText(value.toString());
    else
        qobject_cast<QDateEdit*>(field)->setDate(value.toDate());
}

} // namespace

ConstructionSheetWindow::ConstructionSheetWindow(AppContext& context, ConstructionSheet sheet,
                                                 QWidget* parent)
    : TaskWindow(context, parent), m_service(context.services(), sheet), m_sheet(sheet) {}

void ConstructionSheetWindow::attachForm() {
    auto* types = findChild<QComboBox*>(QStringLiteral("Maskmx"));
    types->addItems(m_service.tombTypes());
    types->setCurrentText(QString());
    on(types->lineEdit(), &QLineEdit::editingFinished, [this, types] {
        const QString text = types->currentText().trimmed();
        if (m_service.learnTombType(text))
            types->addItem(text);
    });
    on(findChild<QPushButton*>(QStringLiteral("Command1")), &QPushButton::clicked,
       &ConstructionSheetWindow::save);
    on(findChild<QPushButton*>(QStringLiteral("Command2")), &QPushButton::clicked,
       &ConstructionSheetWindow::closeWindow);
    EnterAsTab::install(this);
}

QWidget* ConstructionSheetWindow::field(const QString& name) const {
    // A name the form does not have is a fault of the program, found by the first test of it.
    auto* found = findChild<QWidget*>(name);
    if (!found)
        throw std::logic_error("no field " + name.toStdString() + " in " + objectName().toStdString());
    return found;
}

void ConstructionSheetWindow::takeChosenPurchase() {
    m_plotKey = m_context.session.chosenPurchase.key;
    findChild<QLineEdit*>(QStringLiteral("Maskmdwz"))->setText(m_plotKey);
    const SheetValues values = m_service.load(m_plotKey);
    for (const SheetField& sheetField : ConstructionService::fields(m_sheet))
        showIn(field(sheetField.control), values.value(sheetField.column));
}

void ConstructionSheetWindow::save() {
    SheetValues typed;
    for (const SheetField& sheetField : ConstructionService::fields(m_sheet))
        typed.insert(sheetField.column, valueOf(field(sheetField.control)));
    if (!showOutcome(m_service.save(m_plotKey, typed)))
        return;
    closeWindow();
}

ConstructionOrderWindow::ConstructionOrderWindow(AppContext& context, QWidget* parent)
    : ConstructionSheetWindow(context, ConstructionSheet::Order, parent) {
    Ui::Frm_jmsg().setupUi(this);
    attachForm();
}

AcceptanceWindow::AcceptanceWindow(AppContext& context, QWidget* parent)
    : ConstructionSheetWindow(context, ConstructionSheet::Acceptance, parent) {
    Ui::Frm_jmsgys().setupUi(this);
    attachForm();
}
