#pragma once

#include "foundation/prompter.h"

class QWidget;

// The Prompter of the running program: message boxes, the input box, file and font dialogs,
// all owned by the main window.
class MessageBoxPrompter : public Prompter {
public:
    explicit MessageBoxPrompter(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }

    void inform(Icon icon, const QString& caption, const QString& text) override;
    using Prompter::ask;
    Answer ask(Icon icon, const QString& caption, const QString& text, bool withCancel) override;
    std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                     const QString& defaultText) override;
    QString openFileName(const QString& caption, const QString& folder, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& suggestedPath,
                         const QString& filter) override;
    std::optional<FontChoice> pickFont(const FontChoice& initial) override;

private:
    QWidget* m_owner;
};
