#pragma once

#include "foundation/saveoutcome.h"

#include <QList>
#include <QString>

class Database;

// One illustration of a grave style: its slot (1 to 6), the path of its file and its caption.
struct StylePicture {
    int slot = 0;
    QString path;
    QString caption;
};

// The illustrations kept per grave style in mpic. The files stay where they are; only their paths
// and captions are stored.
class StylePicturesService {
public:
    explicit StylePicturesService(Database& database);

    // The style letters in the order of the window's tabs: "d" 单人墓, "s" 双人墓, "j" 家族墓, "m" 多人墓.
    static const QList<std::pair<QString, QString>>& styles();

    QList<StylePicture> load(const QString& letter);
    // Rewrites the style's rows: one per slot that holds a picture; an empty caption is stored as
    // "未添加图片说明".
    SaveOutcome save(const QString& letter, const QList<StylePicture>& pictures);

private:
    Database& m_database;
};
