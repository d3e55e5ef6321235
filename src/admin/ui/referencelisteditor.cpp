#include "admin/ui/referencelisteditor.h"

#include "foundation/prompter.h"
#include "foundation/ui/comboentry.h"
#include "ui_referencelisteditor.h"

ReferenceListEditor::ReferenceListEditor(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::ReferenceListEditor>()) {
    m_ui->setupUi(this);
}

ReferenceListEditor::~ReferenceListEditor() = default;

void ReferenceListEditor::attach(const ReferenceList& list, Prompter& prompter, Guard guard) {
    m_list.emplace(list);
    m_prompter = &prompter;
    m_guard = std::move(guard);
    m_ui->Combo2->addItems(m_list->entries());
    m_ui->Combo2->setCurrentIndex(-1);
    connect(m_ui->Command6, &QPushButton::clicked, this, [this] { m_guard([this] { addOrSave(); }); });
    connect(m_ui->Mask1, &QLineEdit::returnPressed, this, [this] { m_guard([this] { addOrSave(); }); });
    connect(m_ui->Command7, &QPushButton::clicked, this, [this] { m_guard([this] { removeOrCancel(); }); });
}

bool ReferenceListEditor::adding() const {
    return m_ui->Mask1->isVisibleTo(this);
}

void ReferenceListEditor::setAdding(bool adding) {
    m_ui->Combo2->setVisible(!adding);
    m_ui->Mask1->setVisible(adding);
    m_ui->Command6->setText(adding ? QStringLiteral("保存") : QStringLiteral("添加"));
    m_ui->Command7->setText(adding ? QStringLiteral("取消") : QStringLiteral("删除"));
    if (adding) {
        m_ui->Mask1->clear();
        m_ui->Mask1->setFocus();
    }
}

void ReferenceListEditor::tell(const SaveOutcome& outcome) {
    if (outcome.message)
        m_prompter->inform(outcome.message->icon, outcome.message->caption, outcome.message->text);
}

void ReferenceListEditor::addOrSave() {
    if (!adding()) {
        setAdding(true);
        return;
    }
    const QString entry = m_ui->Mask1->text().trimmed();
    const SaveOutcome outcome = m_list->add(entry);
    tell(outcome);
    if (!outcome.saved)
        return;
    m_ui->Combo2->addItem(entry);
    m_ui->Combo2->setCurrentIndex(m_ui->Combo2->count() - 1);
    setAdding(false);
}

void ReferenceListEditor::removeOrCancel() {
    if (adding()) {
        setAdding(false);
        return;
    }
    const SaveOutcome outcome = m_list->remove(m_ui->Combo2->currentText());
    if (outcome.saved)
        removeCurrentComboEntry(m_ui->Combo2);
    tell(outcome);
}
