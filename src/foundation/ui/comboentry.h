#pragma once

class QComboBox;

// Removes the first entry whose text equals the combo box's current text exactly; the text itself
// stays. Nothing changes when no entry matches.
void removeCurrentComboEntry(QComboBox* combo);
