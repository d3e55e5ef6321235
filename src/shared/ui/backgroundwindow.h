#pragma once

#include <QWidget>

class Database;
class QLabel;

// Covers the main window's client area with the background picture, its two decorative pictures and the
// unit's name, as the one row of yhxx says. Task windows open over it.
class BackgroundWindow : public QWidget {
    Q_OBJECT
public:
    BackgroundWindow(Database& database, QWidget* parent);

    // Reads yhxx again and shows its picture (or the built-in one) and the unit name at its usual height.
    void reload();
    // Shows the settings just saved: as a reload, but the unit name sits higher, as 确定 leaves it
    // until the next reload.
    void showSaved();
    // Shows the picture in `path` (or the built-in one when it cannot be read) until the next reload.
    void showPicture(const QString& path);
    static QPixmap builtInPicture();
    // The two fixed decorations: a title piece above the middle and a band near the foot.
    static QPixmap titlePicture();
    static QPixmap footPicture();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void load(int unitNameTop);
    void arrange();

    Database& m_database;
    QLabel* m_picture;
    QLabel* m_title;
    QLabel* m_foot;
    QLabel* m_unitName;
    int m_unitNameTop = 1500; // twips
};
