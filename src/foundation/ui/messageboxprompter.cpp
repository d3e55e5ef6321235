#include "foundation/ui/messageboxprompter.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

namespace {

QMessageBox::Icon boxIcon(Prompter::Icon icon) {
    switch (icon) {
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompter::Icon::Critical:
        return QMessageBox::Critical;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Qt writes the program's name into an empty title; a message without a caption shows none.
QString titleOf(const QString& caption) {
    return caption.isEmpty() ? QStringLiteral(" ") : caption;
}

} // namespace

void MessageBoxPrompter::inform(Icon icon, const QString& caption, const QString& text) {
    QMessageBox box(boxIcon(icon), titleOf(caption), text, QMessageBox::Ok, m_owner);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.exec();
}

Prompter::Answer MessageBoxPrompter::ask(Icon icon, const QString& caption, const QString& text,
                                         bool withCancel) {
    auto buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    QMessageBox box(boxIcon(icon), titleOf(caption), text, buttons, m_owner);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否"));
    if (withCancel)
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return withCancel ? Answer::Cancel : Answer::No;
    }
}

std::optional<QString> MessageBoxPrompter::inputText(const QString& caption, const QString& prompt,
                                                     const QString& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(m_owner, caption, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString MessageBoxPrompter::openFileName(const QString& caption, const QString& folder,
                                         const QString& filter) {
    return QFileDialog::getOpenFileName(m_owner, caption, folder, filter);
}

QString MessageBoxPrompter::saveFileName(const QString& caption, const QString& suggestedPath,
                                         const QString& filter) {
    QString chosenFilter;
    QString path = QFileDialog::getSaveFileName(m_owner, caption, suggestedPath, filter, &chosenFilter);
    // A name typed without its type's suffix gets the one of the type chosen, which is how the caller
    // tells what to write.
    static const QRegularExpression firstPattern(QStringLiteral("\\(\\*(\\.[^ )]+)"));
    if (const QRegularExpressionMatch match = firstPattern.match(chosenFilter);
        !path.isEmpty() && match.hasMatch() && QFileInfo(path).suffix().isEmpty())
        path += match.captured(1);
    return path;
}

std::optional<Prompter::FontChoice> MessageBoxPrompter::pickFont(const FontChoice& initial) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, QFont(initial.family, initial.pointSize), m_owner);
    if (!ok)
        return std::nullopt;
    return FontChoice{font.family(), font.pointSize()};
}
