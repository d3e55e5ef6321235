#pragma once

#include "business/deceased.h"

#include "foundation/ui/fieldbinding.h"

#include <QStringList>

// The deceased and contact block that the burial and the records forms share by object name.
namespace DeceasedFields {

template <typename Form> void prepare(Form& ui, const QStringList& relations) {
    ui.Combo1->addItems({QStringLiteral("男"), QStringLiteral("女")});
    ui.Combo1->setCurrentIndex(-1);
    ui.Combo2->addItems(relations);
}

// The block's controls and the members they hold; both forms give them the same object names.
template <typename Form> FieldBinding<DeceasedForm> binding(const Form& ui) {
    FieldBinding<DeceasedForm> fields;
    fields.text(ui.Mask1, &DeceasedForm::name)
        .pick(ui.Combo1, &DeceasedForm::sex)
        .text(ui.Mask2, &DeceasedForm::nativePlace)
        .text(ui.Mask3, &DeceasedForm::formerUnit)
        .date(ui.DTP3, &DeceasedForm::born)
        .date(ui.DTP4, &DeceasedForm::died)
        .date(ui.DTP5, &DeceasedForm::buried)
        .text(ui.Mask4, &DeceasedForm::contact)
        .choice(ui.Combo2, &DeceasedForm::relation)
        .text(ui.Mask5, &DeceasedForm::workUnit)
        .text(ui.Mask6, &DeceasedForm::address)
        .text(ui.Mask7, &DeceasedForm::phone)
        .text(ui.Mask_sfzh, &DeceasedForm::idNumber)
        .text(ui.Mask_email, &DeceasedForm::mobile)
        .note(ui.Text2, &DeceasedForm::remark)
        .text(ui.Maskzsbh, &DeceasedForm::certificate);
    return fields;
}

template <typename Form> DeceasedForm read(const Form& ui) {
    return binding(ui).read();
}

template <typename Form> void show(const Form& ui, const DeceasedForm& person) {
    binding(ui).show(person);
}

} // namespace DeceasedFields
