#include "foundation/ui/comboentry.h"

#include <QComboBox>

void removeCurrentComboEntry(QComboBox* combo) {
    const QString text = combo->currentText();
    for (int index = 0; index < combo->count(); ++index) {
        if (combo->itemText(index) == text) {
            // Removing the shown entry would change the shown text; keep what the operator sees.
            const QSignalBlocker quiet(combo);
            combo->removeItem(index);
            combo->setEditText(text);
            return;
        }
    }
}

void appendComboEntryQuietly(QComboBox* combo, const QString& text) {
    const QSignalBlocker quiet(combo);
    const int chosen = combo->currentIndex();
    const QString shown = combo->currentText();
    combo->addItem(text);
    combo->setCurrentIndex(chosen);
    combo->setEditText(shown);
}

void removeComboEntryQuietly(QComboBox* combo, const QString& text) {
    const QSignalBlocker quiet(combo);
    const QString shown = combo->currentText();
    combo->removeItem(combo->findText(text));
    if (shown == text) {
        combo->setCurrentIndex(-1);
        combo->clearEditText();
    } else {
        combo->setEditText(shown);
    }
}
