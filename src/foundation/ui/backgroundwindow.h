#pragma once

#include <QWidget>

class Database;
class QLabel;

// Covers the main window's client area with the background picture and the unit's name, as the
// one row of yhxx says. Task windows open over it.
class BackgroundWindow : public QWidget {
    Q_OBJECT
public:
    BackgroundWindow(Database& database, QWidget* parent);

    // Reads yhxx again and shows its picture (or the built-in one) and the unit name.
    void reload();
    // Shows the picture in `path` (or the built-in one when it cannot be read) until the next reload.
    void showPicture(const QString& path);
    static QPixmap builtInPicture();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeUnitName();

    Database& m_database;
    QLabel* m_picture;
    QLabel* m_unitName;
};
