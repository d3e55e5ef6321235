#pragma once

#include <QString>
#include <optional>

// Every message, question and file or font choice goes through a Prompter, so that a test can
// read what the operator would have seen and answer in the operator's place.
class Prompter {
public:
    enum class Icon { None, Information, Exclamation, Critical, Question };
    enum class Answer { Yes, No, Cancel };
    struct FontChoice {
        QString family;
        int pointSize = 0;
    };

    virtual ~Prompter() = default;
    virtual void inform(Icon icon, const QString& caption, const QString& text) = 0;
    // A Yes/No (or Yes/No/Cancel) question, under the question mark unless the office shows it under
    // another icon.
    Answer ask(const QString& caption, const QString& text, bool withCancel = false) {
        return ask(Icon::Question, caption, text, withCancel);
    }
    virtual Answer ask(Icon icon, const QString& caption, const QString& text, bool withCancel = false) = 0;
    // Empty optional when the operator cancels.
    virtual std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                             const QString& defaultText = QString()) = 0;
    // Empty text when the operator cancels.
    virtual QString openFileName(const QString& caption, const QString& folder, const QString& filter) = 0;
    virtual QString saveFileName(const QString& caption, const QString& suggestedPath,
                                 const QString& filter) = 0;
    virtual std::optional<FontChoice> pickFont(const FontChoice& initial) = 0;
};

// A message a service hands back for its window to show.
struct Message {
    Prompter::Icon icon = Prompter::Icon::Information;
    QString caption;
    QString text;
};
