#include "admin/ui/unitinfowindow.h"

#include "shared/ui/backgroundwindow.h"
#include "ui_unitinfowindow.h"

UnitInfoWindow::UnitInfoWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::Frm_yhxx>()), m_service(context.database) {
    m_ui->setupUi(this);
    const UnitInfo info = m_service.load();
    m_ui->Mask_cw->setText(info.unitName);
    m_ui->Text1->setText(info.fontName);
    m_ui->Text2->setText(info.fontSize > 0 ? QString::number(info.fontSize) : QString());
    m_ui->Txt->setText(info.picturePath);
    m_ui->Combo1->setCurrentIndex(m_ui->Combo1->findText(info.colourName));
    on(m_ui->Command1, &QPushButton::clicked, &UnitInfoWindow::choosePicture);
    on(m_ui->Command2, &QPushButton::clicked, &UnitInfoWindow::chooseFont);
    on(m_ui->Command3, &QPushButton::clicked, &UnitInfoWindow::save);
    on(m_ui->Command4, &QPushButton::clicked, &UnitInfoWindow::cancel);
}

UnitInfoWindow::~UnitInfoWindow() = default;

BackgroundWindow* UnitInfoWindow::background() const {
    // The window shows modally, as a window of its own: the main window is its outermost parent.
    const QWidget* outermost = this;
    while (outermost->parentWidget())
        outermost = outermost->parentWidget();
    return outermost->findChild<BackgroundWindow*>();
}

void UnitInfoWindow::choosePicture() {
    const QString file = m_context.prompter.openFileName(QStringLiteral("背景图"), QString(),
                                                         QStringLiteral("图片文件 (*.bmp *.jpg *.gif)"));
    if (file.isEmpty())
        return;
    m_ui->Txt->setText(file);
    if (BackgroundWindow* shown = background())
        shown->showPicture(file);
}

void UnitInfoWindow::chooseFont() {
    const QString size = m_ui->Text2->text().trimmed();
    const auto font =
        m_context.prompter.pickFont({m_ui->Text1->text().trimmed(), size.isEmpty() ? 36 : size.toInt()});
    if (!font)
        return;
    m_ui->Text1->setText(font->family);
    m_ui->Text2->setText(QString::number(font->pointSize));
}

void UnitInfoWindow::save() {
    if (!showOutcome(m_service.save({m_ui->Mask_cw->text(), m_ui->Text1->text(), m_ui->Text2->text(),
                                     m_ui->Combo1->currentText(), m_ui->Txt->text()})))
        return;
    if (BackgroundWindow* shown = background())
        shown->showSaved();
    closeWindow();
}

void UnitInfoWindow::cancel() {
    if (BackgroundWindow* shown = background())
        shown->reload();
    closeWindow();
}
