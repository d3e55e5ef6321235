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
