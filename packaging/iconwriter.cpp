// Writes Pelu's icon as PNG files in the hicolor sizes of the desktop's icon theme:
// OUTDIR/NxN/apps/pelu.png. Run at build time for the package.

#include "app/appicon.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTextStream>

int main(int argc, char** argv) {
    if (argc != 2) {
        QTextStream(stderr) << "usage: pelu-icon-writer OUTDIR" << Qt::endl;
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        AppIcon::paint(painter, QRectF(0, 0, size, size));
        painter.end();
        if (!out.mkpath(folder) || !image.save(out.filePath(folder + QStringLiteral("/pelu.png")))) {
            QTextStream(stderr) << "cannot write " << out.filePath(folder) << Qt::endl;
            return 1;
        }
    }
    return 0;
}
