#include "columbarium/ui/storagefields.h"

#include "ui_storagefields.h"

StorageFields::StorageFields(QWidget* parent) : QWidget(parent), m_ui(std::make_unique<Ui::StorageFields>()) {
    m_ui->setupUi(this);
    m_ui->Combo1->setCurrentIndex(-1);
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
    StorageForm form;
    form.nicheKey = m_ui->Text1->text();
    form.urnType = m_ui->Maskhx->text();
    form.storedFrom = m_ui->DTP1->date();
    form.storedUntil = m_ui->DTP2->date();
    form.deceased = m_ui->Mask1->text();
    form.sex = m_ui->Combo1->currentText();
    form.formerUnit = m_ui->Mask2->text();
    form.born = m_ui->DTP3->date();
    form.died = m_ui->DTP4->date();
    form.nativePlace = m_ui->Txt_jg->text();
    form.contact = m_ui->Mask3->text();
    form.relation = m_ui->Combo2->currentText();
    form.workUnit = m_ui->Mask4->text();
    form.address = m_ui->Mask5->text();
    form.phone = m_ui->Mask6->text();
    form.amountDue = m_ui->Mask7->text();
    form.amountReceived = m_ui->Mask8->text();
    form.email = m_ui->Mask15->text();
    form.remark = m_ui->Mask16->text();
    form.idNumber = m_ui->Mask_sfzh->text();
    form.hideBirthDate = m_ui->Check1->isChecked();
    return form;
}

void StorageFields::fill(const StorageForm& form) {
    m_ui->Text1->setText(form.nicheKey);
    m_ui->Maskhx->setText(form.urnType);
    m_ui->DTP1->setDate(form.storedFrom);
    m_ui->DTP2->setDate(form.storedUntil);
    m_ui->Mask1->setText(form.deceased);
    m_ui->Combo1->setCurrentIndex(m_ui->Combo1->findText(form.sex));
    m_ui->Mask2->setText(form.formerUnit);
    m_ui->DTP3->setDate(form.born);
    m_ui->DTP4->setDate(form.died);
    m_ui->Txt_jg->setText(form.nativePlace);
    m_ui->Mask3->setText(form.contact);
    m_ui->Combo2->setCurrentText(form.relation);
    m_ui->Mask4->setText(form.workUnit);
    m_ui->Mask5->setText(form.address);
    m_ui->Mask6->setText(form.phone);
    m_ui->Mask7->setText(form.amountDue);
    m_ui->Mask8->setText(form.amountReceived);
    m_ui->Mask15->setText(form.email);
    m_ui->Mask16->setText(form.remark);
    m_ui->Mask_sfzh->setText(form.idNumber);
    m_ui->Check1->setChecked(form.hideBirthDate);
}
