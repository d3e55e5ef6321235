#include "shared/ui/memolist.h"

#include "foundation/ui/recordgrid.h"

#include <QLineEdit>

MemoList::MemoList(MemoBook book, RecordGrid* grid, QLineEdit* text, QWidget* window)
    : QObject(window), m_book(std::move(book)), m_grid(grid), m_text(text) {
    connect(m_grid, &RecordGrid::currentRowChanged, this, &MemoList::showCurrent);
}

void MemoList::show(const QString& key) {
    m_key = key;
    m_grid->setQuery(m_book.memos(key));
    if (m_grid->model()->rowCount() > 0)
        m_grid->selectRow(0);
    showCurrent();
}

void MemoList::showCurrent() {
    m_text->setText(m_grid->currentValue(m_book.textColumn()).toString());
}

SaveOutcome MemoList::add() {
    const SaveOutcome outcome = m_book.add(m_key, m_text->text());
    show(m_key);
    return outcome;
}

SaveOutcome MemoList::remove(Prompter& prompter) {
    const QVariant id = m_grid->currentValue(QStringLiteral("id"));
    if (!id.isValid())
        return {};
    const SaveOutcome outcome = m_book.remove(id.toLongLong(), prompter);
    // A memo gone meanwhile is told, and the list shows what there is.
    if (outcome.saved || outcome.message)
        show(m_key);
    return outcome;
}
