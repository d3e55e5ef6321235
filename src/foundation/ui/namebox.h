#pragma once

#include <QObject>
#include <QString>
#include <functional>

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
    void setOpen(bool open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Controls m_controls;
    QString m_addText;
    QString m_removeText;
    std::function<void()> m_save;
};
