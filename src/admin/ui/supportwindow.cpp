#include "admin/ui/supportwindow.h"

#include "admin/ui/aboutpictures.h"
#include "ui_supportwindow.h"

SupportWindow::SupportWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::Frm_jszc>()) {
    m_ui->setupUi(this);
    m_ui->Image1->setPixmap(AboutPictures::emblem(96));
    on(m_ui->Command1, &QPushButton::clicked, &SupportWindow::closeWindow);
}

SupportWindow::~SupportWindow() = default;
