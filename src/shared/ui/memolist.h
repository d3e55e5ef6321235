#pragma once

#include "shared/memobook.h"

#include <QObject>

class QLineEdit;
class QWidget;
class RecordGrid;

// The memos of one position in a window: the grid lists them with the first one current and the text
// box shows the current memo's text; adding takes the box's text, deleting the current memo asks first.
// Each action lists the memos again and hands back its outcome for the window to show.
class MemoList : public QObject {
    Q_OBJECT
public:
    MemoList(MemoBook book, RecordGrid* grid, QLineEdit* text, QWidget* window);

    void show(const QString& key);
    SaveOutcome add();
    SaveOutcome remove(Prompter& prompter);

private:
    void showCurrent();

    MemoBook m_book;
    RecordGrid* m_grid;
    QLineEdit* m_text;
    QString m_key;
};
