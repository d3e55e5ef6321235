#include "shared/ui/fieldoptions.h"

#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>
#include <stdexcept>

FieldOptions::FieldOptions(const SearchBook& book, const QList<QRadioButton*>& options, QLineEdit* box)
    : m_book(book) {
    for (QRadioButton* option : options) {
        const auto field =
            std::find_if(book.fields.cbegin(), book.fields.cend(),
                         [option](const SearchField& f) { return f.caption == option->text(); });
        if (field == book.fields.cend())
            throw std::logic_error("no search field for the option " + option->objectName().toStdString());
        m_options.append({option, field - book.fields.cbegin()});
        QObject::connect(option, &QRadioButton::clicked, box, [box] { box->setFocus(); });
        const bool name = field->match == SearchField::Match::Name;
        QObject::connect(option, &QRadioButton::toggled, box, [box, name](bool checked) {
            if (checked)
                tellPinyin(box, name);
        });
    }
    tellPinyin(box, chosen().match == SearchField::Match::Name);
}

void FieldOptions::tellPinyin(QLineEdit* box, bool name) {
    box->setToolTip(name ? pinyinTip() : QString());
}

QString FieldOptions::pinyinTip(bool wholeName) {
    return wholeName ? QStringLiteral("可输入全名的拼音或拼音首字母，如 zgq")
                     : QStringLiteral("可输入拼音或拼音首字母，如 zgq");
}

const SearchField& FieldOptions::chosen() const {
    for (const auto& [option, field] : m_options)
        if (option->isChecked())
            return m_book.fields.at(field);
    return m_book.fields.at(m_book.fallback);
}
