#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;

// The box in which a set-up window takes a new name (an area, a hall): while it is open it stands in
// the list's place, and the add and remove buttons read "保存" and "取消". Enter in the box saves,
// a double click on it cancels.
class NameBox : public QObject {
public:
    struct Controls {
        QComboBox* list;
        QLineEdit* box;
        QPushButton* add;
        QPushButton* remove;
    };
    // `addText` and `removeText` are the buttons' own captions; `save` runs on Enter.
    NameBox(const Controls& controls, QString addText, QString removeText, std::function<void()> save);

    bool isOpen() const;
    // Empties the box and opens it for typing.
    void open();
    void cancel() { setOpen(false); }
    // Closes the box; a name that was added joins the list as the chosen entry.
    void close(const std::optional<QString>& added);
    // Takes the chosen entry off the list, quietly, leaving nothing chosen.
    void dropChosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setOpen(bool open);

    Controls m_controls;
    QString m_addText;
    QString m_removeText;
    std::function<void()> m_save;
};
