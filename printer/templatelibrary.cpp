#include "printer/templatelibrary.h"

#include "printer/printerror.h"

#include <QDir>
#include <QFile>
#include <map>

namespace {

const QString builtInFolder = QStringLiteral(":/templates");
const QString suffix = QStringLiteral(".html");

std::optional<QString> readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.readAll());
}

// Resolves {{>_piece}} through the library (override folder first) and remembers which piece is missing,
// since Mustache itself would silently print nothing for it.
class PieceContext : public kainjow::mustache::context<std::string> {
public:
    PieceContext(const kainjow::mustache::data* values, const TemplateLibrary& library)
        : context(values), m_library(library) {}

    const kainjow::mustache::data* get_partial(const std::string& name) const override {
        auto found = m_pieces.find(name);
        if (found == m_pieces.end()) {
            std::string text;
            try {
                text = m_library.source(QString::fromStdString(name)).toStdString();
            } catch (const PrintError& error) {
                if (m_missing.isEmpty())
                    m_missing = error.message();
            }
            found = m_pieces.emplace(name, kainjow::mustache::data(text)).first;
        }
        return &found->second;
    }

    QString missing() const { return m_missing; }

private:
    const TemplateLibrary& m_library;
    mutable std::map<std::string, kainjow::mustache::data> m_pieces;
    mutable QString m_missing;
};

} // namespace

TemplateLibrary::TemplateLibrary(QString overrideFolder) : m_overrideFolder(std::move(overrideFolder)) {}

QString TemplateLibrary::source(const QString& name) const {
    if (!m_overrideFolder.isEmpty()) {
        if (auto text = readText(QDir(m_overrideFolder).filePath(name + suffix)))
            return *text;
    }
    if (auto text = readText(builtInFolder + QLatin1Char('/') + name + suffix))
        return *text;
    throw PrintError(PrintError::Template, QStringLiteral("找不到打印模板“%1”。").arg(name));
}

QString TemplateLibrary::render(const QString& name, const kainjow::mustache::data& values) const {
    if (name.startsWith(QLatin1Char('_')))
        throw PrintError(PrintError::Template,
                         QStringLiteral("“%1”是模板共用的部分，不能单独打印。").arg(name));
    kainjow::mustache::mustache tmpl(source(name).toStdString());
    const auto faulty = [&] {
        return PrintError(
            PrintError::Template,
            QStringLiteral("打印模板“%1”有错误：%2").arg(name, QString::fromStdString(tmpl.error_message())));
    };
    if (!tmpl.is_valid())
        throw faulty();
    PieceContext context(&values, *this);
    const std::string html = tmpl.render(context);
    if (!tmpl.is_valid())
        throw faulty();
    if (!context.missing().isEmpty())
        throw PrintError(PrintError::Template, context.missing());
    return QString::fromStdString(html);
}

QStringList TemplateLibrary::builtInNames() {
    QStringList names;
    for (const QString& file : QDir(builtInFolder).entryList({QLatin1Char('*') + suffix}, QDir::Files)) {
        if (!file.startsWith(QLatin1Char('_')))
            names << file.chopped(suffix.size());
    }
    names.sort();
    return names;
}
