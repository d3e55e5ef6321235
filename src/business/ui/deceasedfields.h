#pragma once

#include "business/deceased.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QStringList>
#include <QTextEdit>

// The deceased and contact block that the burial and the records forms share by object name.
namespace DeceasedFields {

template <typename Form> void prepare(Form& ui, const QStringList& relations) {
    ui.Combo1->addItems({QStringLiteral("男"), QStringLiteral("女")});
    ui.Combo1->setCurrentIndex(-1);
    ui.Combo2->addItems(relations);
}

template <typename Form> DeceasedForm read(const Form& ui) {
    return {ui.Mask1->text(),         ui.Combo1->currentText(), ui.Mask2->text(),        ui.Mask3->text(),
            ui.DTP3->date(),          ui.DTP4->date(),          ui.DTP5->date(),         ui.Mask4->text(),
            ui.Combo2->currentText(), ui.Mask5->text(),         ui.Mask6->text(),        ui.Mask7->text(),
            ui.Mask_sfzh->text(),     ui.Mask_email->text(),    ui.Text2->toPlainText(), ui.Maskzsbh->text()};
}

template <typename Form> void show(Form& ui, const DeceasedForm& person) {
    ui.Mask1->setText(person.name);
    ui.Combo1->setCurrentIndex(ui.Combo1->findText(person.sex));
    ui.Mask2->setText(person.nativePlace);
    ui.Mask3->setText(person.formerUnit);
    ui.DTP3->setDate(person.born);
    ui.DTP4->setDate(person.died);
    ui.DTP5->setDate(person.buried);
    ui.Mask4->setText(person.contact);
    ui.Combo2->setCurrentText(person.relation);
    ui.Mask5->setText(person.workUnit);
    ui.Mask6->setText(person.address);
    ui.Mask7->setText(person.phone);
    ui.Mask_sfzh->setText(person.idNumber);
    ui.Mask_email->setText(person.mobile);
    ui.Text2->setPlainText(person.remark);
    ui.Maskzsbh->setText(person.certificate);
}

} // namespace DeceasedFields
