#pragma once

class QComboBox;
class QString;

// Removes the first entry whose text equals the combo box's current text exactly; the text itself
// stays. Nothing changes when no entry matches.
void removeCurrentComboEntry(QComboBox* combo);
// Adds `text` as the last entry; the chosen entry and the shown text stay as they were.
void appendComboEntryQuietly(QComboBox* combo, const QString& text);
// Removes the entry `text`; the shown text stays, unless it was that entry: then the box is left empty.
void removeComboEntryQuietly(QComboBox* combo, const QString& text);
