#pragma once

class QCoreApplication;

namespace Translations {

// Loads Qt's own Chinese texts (buttons of message boxes, file dialogs, context menus), so every
// word the office sees is Chinese. Returns false when the translation files are not installed.
bool installChinese(QCoreApplication& app);

} // namespace Translations
