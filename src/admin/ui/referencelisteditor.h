#pragma once

#include "admin/referencelist.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class Prompter;

namespace Ui {
class ReferenceListEditor;
}

// The list, entry box and 添加/保存 and 删除/取消 buttons that keep one reference list, in the operators
// window (relationships) and in 碑型维护 (tombstone types).
class ReferenceListEditor : public QWidget {
    Q_OBJECT
public:
    // Runs an action of the editor through its window's guard.
    using Guard = std::function<void(const std::function<void()>&)>;

    explicit ReferenceListEditor(QWidget* parent = nullptr);
    ~ReferenceListEditor() override;

    void attach(const ReferenceList& list, Prompter& prompter, Guard guard);

private:
    bool adding() const;
    void setAdding(bool adding);
    void addOrSave();
    void removeOrCancel();
    void tell(const SaveOutcome& outcome);

    std::unique_ptr<Ui::ReferenceListEditor> m_ui;
    std::optional<ReferenceList> m_list;
    Prompter* m_prompter = nullptr;
    Guard m_guard;
};
