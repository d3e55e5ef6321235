#include "admin/ui/operatorswindow.h"

#include "admin/referencelist.h"
#include "foundation/clock.h"
#include "shared/session.h"
#include "ui_operatorswindow.h"

OperatorsWindow::OperatorsWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::Frmczy>()),
      m_service(context.database, context.session, context.prompter),
      m_purge(context.database, context.session, context.prompter, context.dataFolder, context.clock) {
    m_ui->setupUi(this);
    m_ui->DTP1->setDate(context.clock.today());
    // The window takes its size while the password frame is hidden; it keeps the frame's room, so that
    // the frame shows whole when it is called for.
    QSizePolicy passwordRoom = m_ui->Frame_mm->sizePolicy();
    passwordRoom.setRetainSizeWhenHidden(true);
    m_ui->Frame_mm->setSizePolicy(passwordRoom);
    fillOperators();
    m_ui->RelationList->attach(ReferenceList::relationships(context.database, context.prompter),
                               context.prompter,
                               [this](const std::function<void()>& action) { guarded(action); });

    connect(m_ui->Combo1, &QComboBox::activated, this, [this] { guarded([this] { pick(); }); });
    on(m_ui->Cmd_xg, &QPushButton::clicked, &OperatorsWindow::saveMarks);
    on(m_ui->Command1, &QPushButton::clicked, &OperatorsWindow::startAdding);
    on(m_ui->Command5, &QPushButton::clicked, &OperatorsWindow::showList);
    on(m_ui->Text1, &QLineEdit::textChanged, &OperatorsWindow::refuseQuote);
    on(m_ui->Text1, &QLineEdit::editingFinished, &OperatorsWindow::checkCode);
    on(m_ui->Command4, &QPushButton::clicked, &OperatorsWindow::add);
    on(m_ui->Command2, &QPushButton::clicked, &OperatorsWindow::remove);
    on(m_ui->Command9, &QPushButton::clicked, &OperatorsWindow::startPasswordChange);
    on(m_ui->Cmd_mmqd, &QPushButton::clicked, &OperatorsWindow::changePassword);
    on(m_ui->Text_mm2, &QLineEdit::returnPressed, &OperatorsWindow::changePassword);
    on(m_ui->Cmd_mmqx, &QPushButton::clicked, &OperatorsWindow::endPasswordChange);
    on(m_ui->Command8, &QPushButton::clicked, &OperatorsWindow::purge);
    on(m_ui->Command3, &QPushButton::clicked, &OperatorsWindow::closeWindow);
}

OperatorsWindow::~OperatorsWindow() = default;

void OperatorsWindow::fillOperators() {
    m_ui->Combo1->clear();
    m_ui->Combo1->addItems(m_service.operators());
    m_ui->Combo1->setCurrentIndex(-1);
    m_ui->Cmd_xg->setEnabled(false);
}

void OperatorsWindow::pick() {
    const QString picked = m_ui->Combo1->currentText().trimmed();
    if (picked.isEmpty())
        return;
    // Admin's marks are not his to lose.
    m_ui->Frame5->setEnabled(picked != QStringLiteral("Admin"));
    m_marks = m_service.marks(picked);
    m_ui->Chk_xt->setChecked(m_marks.system);
    m_ui->Chk_tj->setChecked(m_marks.add);
    m_ui->Chk_xg->setChecked(m_marks.modify);
    m_ui->Chk_sc->setChecked(m_marks.remove);
    m_ui->Chk_dy->setChecked(m_marks.print);
    m_ui->Cmd_xg->setEnabled(true);
}

void OperatorsWindow::saveMarks() {
    const RightMarks ticked{m_ui->Chk_xt->isChecked(), m_ui->Chk_tj->isChecked(), m_ui->Chk_xg->isChecked(),
                            m_ui->Chk_sc->isChecked(), m_ui->Chk_dy->isChecked()};
    if (showOutcome(m_service.saveMarks(m_ui->Combo1->currentText(), m_marks, ticked)))
        m_marks = ticked;
}

void OperatorsWindow::startAdding() {
    if (const auto refusal = m_service.refuseAdding()) {
        showOutcome(refused(*refusal));
        return;
    }
    m_ui->Text1->clear();
    m_ui->Text2->clear();
    m_ui->Text3->clear();
    m_ui->frame2->hide();
    m_ui->Frame1->show();
    m_ui->Frame5->setEnabled(true);
    m_ui->Text1->setFocus();
}

void OperatorsWindow::showList() {
    // Emptied first, so that leaving the code box on the way out checks nothing.
    m_ui->Text1->clear();
    m_ui->Frame1->hide();
    m_ui->frame2->show();
}

void OperatorsWindow::refuseQuote() {
    if (!m_ui->Text1->text().contains(QLatin1Char('\'')))
        return;
    showOutcome(refused({Prompter::Icon::Critical, QString(), QStringLiteral("请不要输入非法字符！")},
                        QString(), QStringLiteral("Text1")));
}

void OperatorsWindow::checkCode() {
    if (!m_ui->Text1->text().trimmed().isEmpty())
        showOutcome(m_service.checkNewCode(m_ui->Text1->text()));
}

void OperatorsWindow::add() {
    const QString code = m_ui->Text1->text().trimmed();
    if (!showOutcome(m_service.add(
            {m_ui->Text1->text(), m_ui->Text2->text(), m_ui->Text3->text(), m_ui->Combo3->currentText()})))
        return;
    m_ui->Text2->clear();
    m_ui->Text3->clear();
    showList();
    m_ui->Combo1->addItem(code);
    m_ui->Combo1->setCurrentIndex(m_ui->Combo1->count() - 1);
    pick();
}

void OperatorsWindow::remove() {
    if (showOutcome(m_service.remove(m_ui->Combo1->currentText(), m_ui->Combo1->count())))
        fillOperators();
}

void OperatorsWindow::startPasswordChange() {
    const QString picked = m_ui->Combo1->currentText();
    if (const auto refusal = m_service.refusePasswordChange(picked)) {
        showOutcome(refused(*refusal));
        return;
    }
    if (picked.isEmpty())
        return;
    m_ui->Frame_mm->show();
    m_ui->Text_mm1->setFocus();
}

void OperatorsWindow::changePassword() {
    if (showOutcome(m_service.changePassword(m_ui->Combo1->currentText(), m_ui->Text_mm1->text(),
                                             m_ui->Text_mm2->text())))
        endPasswordChange();
}

void OperatorsWindow::endPasswordChange() {
    m_ui->Text_mm1->clear();
    m_ui->Text_mm2->clear();
    m_ui->Frame_mm->hide();
}

void OperatorsWindow::purge() {
    showOutcome(m_purge.purge(m_ui->DTP1->date(), {m_ui->Check1->isChecked(), m_ui->Check2->isChecked(),
                                                   m_ui->Check3->isChecked(), m_ui->Check4->isChecked(),
                                                   m_ui->Check5->isChecked(), m_ui->Check6->isChecked()}));
}
