#include "admin/ui/rightseditorwindow.h"

#include "shared/session.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

RightsEditorWindow::RightsEditorWindow(AppContext& context, const QString& column, RightsTextRules rules,
                                       const Message& alreadyGranted, const Message& noGrantChosen,
                                       QWidget* parent)
    : TaskWindow(context, parent), m_service(context.database, column), m_rules(std::move(rules)),
      m_alreadyGranted(alreadyGranted), m_noGrantChosen(noGrantChosen) {}

void RightsEditorWindow::attach(const Controls& controls, const QStringList& catalogueLines) {
    m_controls = controls;
    m_lines = catalogueLines;
    m_controls.catalogue->addItems(catalogueLines);
    m_controls.operators->addItems(allOperators(m_context.database));
    m_controls.operators->setCurrentText(m_context.session.operatorName);
    load();
    connect(m_controls.operators, &QComboBox::activated, this, [this] { guarded([this] { load(); }); });
    connect(m_controls.grants, &QListWidget::currentRowChanged, this,
            [this] { guarded([this] { grantChosen(chosenGrant()); }); });
    on(m_controls.select, &QPushButton::clicked, &RightsEditorWindow::select);
    on(m_controls.remove, &QPushButton::clicked, &RightsEditorWindow::remove);
    on(m_controls.selectAll, &QPushButton::clicked, [this] { store(m_rules.withAll(m_text)); });
    on(m_controls.removeAll, &QPushButton::clicked, [this] { store(m_rules.none); });
}

void RightsEditorWindow::load() {
    m_operator = m_controls.operators->currentText();
    m_text = m_service.text(m_operator);
    showGrants(-1);
}

void RightsEditorWindow::showGrants(int chosenRow) {
    QListWidget* grants = m_controls.grants;
    const QSignalBlocker quiet(grants);
    grants->clear();
    for (int row : m_rules.granted(m_text)) {
        auto* line = new QListWidgetItem(m_lines.at(row), grants);
        line->setData(Qt::UserRole, row);
        if (row == chosenRow)
            grants->setCurrentItem(line);
    }
    grantChosen(chosenGrant());
}

int RightsEditorWindow::chosenGrant() const {
    const QListWidgetItem* line = m_controls.grants->currentItem();
    return line ? line->data(Qt::UserRole).toInt() : -1;
}

void RightsEditorWindow::store(const QString& text, int row) {
    const GuardedUpdate::Result result = m_service.save(m_operator, m_text, text);
    if (result == GuardedUpdate::Result::Gone || result == GuardedUpdate::Result::Stale) {
        const Message refusal = result == GuardedUpdate::Result::Gone ? operatorGone() : rightsChanged();
        showOutcome(refused(refusal));
        return;
    }
    m_text = text;
    showGrants(row);
}

void RightsEditorWindow::select() {
    const int row = m_controls.catalogue->currentRow();
    if (row < 0)
        return;
    if (m_rules.granted(m_text).contains(row)) {
        showOutcome(refused(m_alreadyGranted));
        return;
    }
    store(m_rules.withEntry(m_text, row), row);
}

void RightsEditorWindow::remove() {
    const int row = chosenGrant();
    if (row < 0) {
        showOutcome(refused(m_noGrantChosen));
        return;
    }
    store(m_rules.withoutEntry(m_text, row));
}
