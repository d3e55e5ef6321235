#include "foundation/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace Translations {

bool installChinese(QCoreApplication& app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // qtbase covers the widgets, dialogs and message boxes every program of ours uses.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    return true;
}

} // namespace Translations
