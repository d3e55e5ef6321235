#pragma once

#include "shared/loginservice.h"

#include <QDialog>
#include <memory>

struct AppContext;
namespace Ui {
class Frmlogin;
}

// The login dialog: pick an operator, type the password, enter.
// Accepted on a valid login, rejected by 取消 (or closing it).
class LoginDialog : public QDialog {
    Q_OBJECT
public:
    LoginDialog(AppContext& context, QWidget* parent);
    ~LoginDialog() override;

private:
    void tryLogIn();

    AppContext& m_context;
    LoginService m_service;
    std::unique_ptr<Ui::Frmlogin> m_ui;
};
