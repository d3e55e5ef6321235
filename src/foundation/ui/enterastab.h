#pragma once

#include <QObject>

class QWidget;

// In data-entry windows Enter moves to the next field, as the office is used to. Buttons still
// take Enter as a click, and multi-line text keeps its line breaks.
class EnterAsTab : public QObject {
    Q_OBJECT
public:
    // Installs the filter on `window` and every field inside it.
    static void install(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
