#pragma once

#include "shared/fieldsearch.h"

#include <QList>

class QLineEdit;
class QRadioButton;

// The option buttons of a search by one chosen field: each stands for the field of the book that
// has its caption. Clicking one puts the cursor into the search box.
class FieldOptions {
public:
    // Throws std::logic_error for an option whose caption names no field of the book.
    FieldOptions(const SearchBook& book, const QList<QRadioButton*>& options, QLineEdit* box);

    // The field of the checked option, or the book's fallback when none is checked.
    const SearchField& chosen() const;

    // The tooltip of a box that takes a person's name: pinyin works, of the whole name where the box
    // finds whole names only.
    static QString pinyinTip(bool wholeName = false);

private:
    // A name field's box says that it takes pinyin.
    static void tellPinyin(QLineEdit* box, bool name);

    const SearchBook& m_book;
    QList<std::pair<QRadioButton*, qsizetype>> m_options;
};
