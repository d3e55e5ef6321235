#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QLineEdit>
#include <QString>
#include <QTextEdit>
#include <functional>
#include <vector>

// A block of fields bound to the members of the form a service takes: each control and its member
// are named once, and the block is read into a form and shown from one by the same table, in the
// order it was written (a start date before the end date it moves on).
template <typename Form> class FieldBinding {
public:
    FieldBinding& text(QLineEdit* edit, QString Form::*member) {
        return add([=](Form& form) { form.*member = edit->text(); },
                   [=](const Form& form) { edit->setText(form.*member); });
    }
    // Kept as typed, line breaks included.
    FieldBinding& note(QTextEdit* edit, QString Form::*member) {
        return add([=](Form& form) { form.*member = edit->toPlainText(); },
                   [=](const Form& form) { edit->setPlainText(form.*member); });
    }
    FieldBinding& date(QDateEdit* edit, QDate Form::*member) {
        return add([=](Form& form) { form.*member = edit->date(); },
                   [=](const Form& form) { edit->setDate(form.*member); });
    }
    // A closed list (性别): a stored value not on it shows nothing chosen.
    FieldBinding& pick(QComboBox* combo, QString Form::*member) {
        return add([=](Form& form) { form.*member = combo->currentText(); },
                   [=](const Form& form) { combo->setCurrentIndex(combo->findText(form.*member)); });
    }
    // An open list (关系): whatever was typed or stored shows as it is.
    FieldBinding& choice(QComboBox* combo, QString Form::*member) {
        return add([=](Form& form) { form.*member = combo->currentText(); },
                   [=](const Form& form) { combo->setCurrentText(form.*member); });
    }
    FieldBinding& tick(QCheckBox* box, bool Form::*member) {
        return add([=](Form& form) { form.*member = box->isChecked(); },
                   [=](const Form& form) { box->setChecked(form.*member); });
    }

    // The members of `into` the table binds, read from their controls; the others as they were.
    Form read(Form into = {}) const {
        for (const Field& field : m_fields)
            field.read(into);
        return into;
    }
    void show(const Form& form) const {
        for (const Field& field : m_fields)
            field.show(form);
    }

private:
    struct Field {
        std::function<void(Form&)> read;
        std::function<void(const Form&)> show;
    };
    FieldBinding& add(std::function<void(Form&)> read, std::function<void(const Form&)> show) {
        m_fields.push_back({std::move(read), std::move(show)});
        return *this;
    }

    std::vector<Field> m_fields;
};
