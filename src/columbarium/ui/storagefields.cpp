#include "columbarium/ui/storagefields.h"

#include "ui_storagefields.h"

StorageFields::StorageFields(QWidget* parent) : QWidget(parent), m_ui(std::make_unique<Ui::StorageFields>()) {
    m_ui->setupUi(this);
    m_ui->Combo1->setCurrentIndex(-1);
    m_binding.text(m_ui->Text1, &StorageForm::nicheKey)
        .text(m_ui->Maskhx, &StorageForm::urnType)
        .date(m_ui->DTP1, &StorageForm::storedFrom)
        .date(m_ui->DTP2, &StorageForm::storedUntil)
        .text(m_ui->Mask1, &StorageForm::deceased)
        .pick(m_ui->Combo1, &StorageForm::sex)
        .text(m_ui->Mask2, &StorageForm::formerUnit)
        .date(m_ui->DTP3, &StorageForm::born)
        .date(m_ui->DTP4, &StorageForm::died)
        .text(m_ui->Txt_jg, &StorageForm::nativePlace)
        .text(m_ui->Mask3, &StorageForm::contact)
        .choice(m_ui->Combo2, &StorageForm::relation)
        .text(m_ui->Mask4, &StorageForm::workUnit)
        .text(m_ui->Mask5, &StorageForm::address)
        .text(m_ui->Mask6, &StorageForm::phone)
        .text(m_ui->Mask7, &StorageForm::amountDue)
        .text(m_ui->Mask8, &StorageForm::amountReceived)
        .text(m_ui->Mask15, &StorageForm::email)
        .text(m_ui->Mask16, &StorageForm::remark)
        .text(m_ui->Mask_sfzh, &StorageForm::idNumber)
        .tick(m_ui->Check1, &StorageForm::hideBirthDate);
    connect(m_ui->DTP1, &QDateEdit::dateChanged, this,
            [this](QDate from) { m_ui->DTP2->setDate(StorageRecord::storedUntilFor(from)); });
}

StorageFields::~StorageFields() = default;

void StorageFields::setRelations(const QStringList& relations) {
    m_ui->Combo2->addItems(relations);
    m_ui->Combo2->setCurrentIndex(-1);
}

void StorageFields::setUrnTypeCaption(const QString& caption) {
    m_ui->Label_Maskhx->setText(caption);
}

StorageForm StorageFields::form() const {
    return m_binding.read();
}

void StorageFields::fill(const StorageForm& form) {
    m_binding.show(form);
}
