#pragma once

#include "admin/rightseditor.h"
#include "foundation/ui/taskwindow.h"

#include <functional>

class QComboBox;
class QListWidget;
class QPushButton;

// What each step of a rights editor does to the operator's text; catalogue rows count from 0.
struct RightsTextRules {
    // The catalogue rows the text grants.
    std::function<QList<int>(const QString& text)> granted;
    std::function<QString(const QString& text, int row)> withEntry;
    std::function<QString(const QString& text, int row)> withoutEntry;
    std::function<QString(const QString& text)> withAll;
    QString none; // 全删
};

// What the two rights editors share: an operator list, the whole catalogue on the left, the operator's
// grants on the right, and 选中, 删除, 全选 and 全删, each written to the operator's row at once. The
// editor of one text (permission string or report list) says what each step does to it.
class RightsEditorWindow : public TaskWindow {
    Q_OBJECT
public:
    struct Controls {
        QComboBox* operators;
        QListWidget* catalogue;
        QListWidget* grants;
        QPushButton* select;
        QPushButton* remove;
        QPushButton* selectAll;
        QPushButton* removeAll;
    };

protected:
    // `column`: the operator's text the editor keeps. `alreadyGranted` and `noGrantChosen` refuse
    // 选中 of a granted entry and 删除 with no grant chosen.
    RightsEditorWindow(AppContext& context, const QString& column, RightsTextRules rules,
                       const Message& alreadyGranted, const Message& noGrantChosen, QWidget* parent);
    // Fills the lists for the logged-in operator and connects the buttons; called by the editor once
    // its form is set up.
    void attach(const Controls& controls, const QStringList& catalogueLines);

    // The grant chosen on the right changed (-1: none).
    virtual void grantChosen(int row) { Q_UNUSED(row); }

    // The catalogue row of the grant chosen on the right, or -1.
    int chosenGrant() const;
    // Keeps `text` as the operator's and shows its grants, choosing `row` among them.
    void store(const QString& text, int row = -1);
    QString text() const { return m_text; }

private:
    void load();
    void showGrants(int chosenRow);
    void select();
    void remove();

    RightsEditorService m_service;
    RightsTextRules m_rules;
    Message m_alreadyGranted;
    Message m_noGrantChosen;
    Controls m_controls{};
    QStringList m_lines;
    QString m_operator;
    QString m_text;
};
