#include "business/ui/deceasedfields.h"

#include "ui_deceasedfields.h"

DeceasedFields::DeceasedFields(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::DeceasedFieldsForm>()) {
    m_ui->setupUi(this);
    m_ui->Combo1->addItems({QStringLiteral("男"), QStringLiteral("女")});
    m_ui->Combo1->setCurrentIndex(-1);
    m_binding.text(m_ui->Mask1, &DeceasedForm::name)
        .pick(m_ui->Combo1, &DeceasedForm::sex)
        .text(m_ui->Mask2, &DeceasedForm::nativePlace)
        .text(m_ui->Mask3, &DeceasedForm::formerUnit)
        .date(m_ui->DTP3, &DeceasedForm::born)
        .date(m_ui->DTP4, &DeceasedForm::died)
        .date(m_ui->DTP5, &DeceasedForm::buried)
        .text(m_ui->Mask4, &DeceasedForm::contact)
        .choice(m_ui->Combo2, &DeceasedForm::relation)
        .text(m_ui->Mask5, &DeceasedForm::workUnit)
        .text(m_ui->Mask6, &DeceasedForm::address)
        .text(m_ui->Mask7, &DeceasedForm::phone)
        .text(m_ui->Mask_sfzh, &DeceasedForm::idNumber)
        .text(m_ui->Mask_email, &DeceasedForm::mobile)
        .note(m_ui->Text2, &DeceasedForm::remark)
        .text(m_ui->Maskzsbh, &DeceasedForm::certificate);
}

DeceasedFields::~DeceasedFields() = default;

void DeceasedFields::setRelations(const QStringList& relations) {
    m_ui->Combo2->addItems(relations);
}

DeceasedForm DeceasedFields::form() const {
    return m_binding.read();
}

void DeceasedFields::fill(const DeceasedForm& person) {
    m_binding.show(person);
}

QString DeceasedFields::contact() const {
    return m_ui->Mask4->text();
}
