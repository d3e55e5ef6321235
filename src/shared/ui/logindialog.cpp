#include "shared/ui/logindialog.h"

#include "foundation/clock.h"
#include "foundation/maintenancelock.h"
#include "foundation/prompter.h"
#include "foundation/ui/actionguard.h"
#include "foundation/ui/appcontext.h"
#include "shared/session.h"
#include "ui_logindialog.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <utility>

namespace {

bool isEnter(QEvent* event) {
    const auto* key = static_cast<QKeyEvent*>(event);
    return !key->isAutoRepeat() && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
}

// The password box logs in when Enter is released, exactly like 确定 - but only an Enter that was
// also pressed there, not one that moved the focus in or closed a message over it.
class EnterReleaseFilter : public QObject {
public:
    EnterReleaseFilter(QObject* parent, std::function<void()> onEnter)
        : QObject(parent), m_onEnter(std::move(onEnter)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && isEnter(event)) {
            m_pressed = true;
            return true;
        }
        if (event->type() == QEvent::KeyRelease && isEnter(event)) {
            if (std::exchange(m_pressed, false))
                m_onEnter();
            return true;
        }
        if (event->type() == QEvent::FocusOut)
            m_pressed = false;
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onEnter;
    bool m_pressed = false;
};

// An operator counts as picked only when chosen from the list; Enter in the list's text field must
// not pick a typed code.
class SwallowEnter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && isEnter(event))
            return true;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

LoginDialog::LoginDialog(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context), m_service(context.database, context.session),
      m_ui(std::make_unique<Ui::Frmlogin>()) {
    m_ui->setupUi(this);
    m_ui->Text1->clear();
    runAction(context.prompter, [this] { m_ui->Combo1->addItems(m_service.offeredOperators()); });
    m_ui->Combo1->setCurrentIndex(-1);

    connect(m_ui->Combo1, &QComboBox::activated, this, [this] {
        if (m_ui->Combo1->currentText().isEmpty())
            return;
        runAction(m_context.prompter, [this] { m_service.pick(m_ui->Combo1->currentText()); });
        m_ui->Text1->setFocus();
    });
    connect(m_ui->Command1, &QPushButton::clicked, this, &LoginDialog::tryLogIn);
    connect(m_ui->Command2, &QPushButton::clicked, this, &QDialog::reject);
    m_ui->Text1->installEventFilter(new EnterReleaseFilter(this, [this] { tryLogIn(); }));
    // A code typed into the list's text field is not a pick: no completion, no Enter, and none of
    // the toolkit's own choosing of a matching entry when the field loses focus.
    m_ui->Combo1->setCompleter(nullptr);
    m_ui->Combo1->lineEdit()->installEventFilter(new SwallowEnter(this));
    disconnect(m_ui->Combo1->lineEdit(), &QLineEdit::editingFinished, m_ui->Combo1, nullptr);
}

LoginDialog::~LoginDialog() = default;

void LoginDialog::tryLogIn() {
    // A desk kept out by maintenance keeps the rights it had.
    const Session before = m_context.session;
    bool valid = false;
    if (!runAction(m_context.prompter,
                   [&] { valid = m_service.logIn(m_ui->Combo1->currentText(), m_ui->Text1->text()); }))
        return;
    if (!valid) {
        m_context.prompter.inform(Prompter::Icon::Exclamation, QStringLiteral("提示"),
                                  QStringLiteral("信息填写不正确！  \n请重新填写。 "));
        return;
    }
    if (!m_service.announce(m_context.clock.now())) {
        m_context.session = before;
        m_context.prompter.inform(Prompter::Icon::Exclamation, QStringLiteral("提示"),
                                  MaintenanceLock::busyText());
        return;
    }
    accept();
}
