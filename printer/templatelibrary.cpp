#include "printer/templatelibrary.h"

#include "foundation/regularfile.h"
#include "printer/printerror.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace {

const QString builtInFolder = QStringLiteral(":/templates");
const QString suffix = QStringLiteral(".html");
// How deep pieces may include pieces; an office's layouts need two or three.
constexpr int deepestInclude = 8;

std::optional<QString> readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.readAll());
}

PrintError templateError(const QString& message) {
    return PrintError(PrintError::Template, message);
}

// Mustache trims a tag's contents by these.
std::string trimmed(const std::string& text) {
    const char* blanks = " \t\n\v\f\r";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The pieces `text` includes, read the way Mustache reads tags with its default marks; nothing when
// it changes the marks, after which an include could no longer be seen here.
std::optional<std::vector<std::string>> includesOf(const std::string& text) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while ((at = text.find("{{", at)) != std::string::npos) {
        const bool triple = at + 2 < text.size() && text[at + 2] == '{';
        const std::size_t start = at + (triple ? 3 : 2);
        const std::size_t end = text.find(triple ? "}}}" : "}}", start);
        if (end == std::string::npos)
            break; // Mustache refuses the unclosed tag itself
        const std::string contents = trimmed(text.substr(start, end - start));
        at = end + (triple ? 3 : 2);
        if (triple || contents.empty())
            continue;
        if (contents.front() == '=')
            return std::nullopt;
        if (contents.front() == '>')
            names.push_back(trimmed(contents.substr(1)));
    }
    return names;
}

// Resolves {{>_piece}} from the texts the include check read, and remembers which piece is missing,
// since Mustache itself would silently print nothing for it.
class PieceContext : public kainjow::mustache::context<std::string> {
public:
    PieceContext(const kainjow::mustache::data* values, const std::map<std::string, std::string>& texts,
                 const std::map<std::string, QString>& missing)
        : context(values), m_missing(missing) {
        for (const auto& [name, text] : texts)
            m_pieces.emplace(name, kainjow::mustache::data(text));
    }

    const kainjow::mustache::data* get_partial(const std::string& name) const override {
        const auto found = m_pieces.find(name);
        if (found != m_pieces.end())
            return &found->second;
        if (m_firstMissing.isEmpty())
            m_firstMissing =
                m_missing.count(name)
                    ? m_missing.at(name)
                    : QStringLiteral("打印模板的部分“%1”没有读到。").arg(QString::fromStdString(name));
        return &m_empty;
    }

    QString missing() const { return m_firstMissing; }

private:
    std::map<std::string, kainjow::mustache::data> m_pieces;
    const std::map<std::string, QString>& m_missing;
    const kainjow::mustache::data m_empty{std::string()};
    mutable QString m_firstMissing;
};

// Reads a template and every piece it includes, once each, before anything is rendered: Mustache
// follows an include that leads back to itself until the stack overflows.
struct Includes {
    const TemplateLibrary& library;
    const QString document;
    std::map<std::string, std::string> texts;
    std::map<std::string, QString> missing;
    // The pieces below a piece already followed, by name: a piece included often is read once.
    std::map<std::string, int> heights;
    std::vector<std::string> path;

    QString chain() const {
        QStringList names;
        for (const std::string& name : path)
            names << QString::fromStdString(name);
        return names.join(QStringLiteral(" → "));
    }

    // How many levels of pieces lie below `name`.
    int follow(const std::string& name) {
        if (std::find(path.begin(), path.end(), name) != path.end()) {
            path.push_back(name);
            throw templateError(QStringLiteral("打印模板“%1”循环包含自己：%2").arg(document, chain()));
        }
        const int depth = int(path.size());
        if (const auto known = heights.find(name); known != heights.end()) {
            if (depth + known->second > deepestInclude)
                throw tooDeep(name);
            return known->second;
        }
        if (depth > deepestInclude)
            throw tooDeep(name);
        const QString qname = QString::fromStdString(name);
        try {
            texts[name] = library.source(qname).toStdString();
        } catch (const PrintError& error) {
            // A piece in a section never shown is no error; one that is shown is named after rendering.
            if (depth == 0)
                throw;
            missing.emplace(name, error.message());
            heights[name] = 0;
            return 0;
        }
        const std::optional<std::vector<std::string>> pieces = includesOf(texts[name]);
        if (!pieces)
            throw templateError((depth == 0
                                     ? QStringLiteral("打印模板“%1”").arg(document)
                                     : QStringLiteral("打印模板“%1”用到的部分“%2”").arg(document, qname)) +
                                QStringLiteral("改变了标记符号（{{=…=}}），不能使用。"));
        path.push_back(name);
        int height = 0;
        for (const std::string& piece : *pieces)
            height = std::max(height, 1 + follow(piece));
        path.pop_back();
        heights[name] = height;
        return height;
    }

    PrintError tooDeep(const std::string& name) {
        path.push_back(name);
        return templateError(QStringLiteral("打印模板“%1”包含的部分超过 %2 层：%3")
                                 .arg(document)
                                 .arg(deepestInclude)
                                 .arg(chain()));
    }
};

} // namespace

TemplateLibrary::TemplateLibrary(QString overrideFolder) : m_overrideFolder(std::move(overrideFolder)) {}

QString TemplateLibrary::source(const QString& name) const {
    if (!m_overrideFolder.isEmpty()) {
        const QString path = QDir(m_overrideFolder).filePath(name + suffix);
        // Reading a pipe would wait for ever.
        if (RegularFile::isOtherThing(path))
            throw templateError(QStringLiteral("打印模板文件不是普通文件（可能是管道或设备），不能读取：%1")
                                    .arg(QDir::toNativeSeparators(path)));
        if (auto text = readText(path))
            return *text;
    }
    if (auto text = readText(builtInFolder + QLatin1Char('/') + name + suffix))
        return *text;
    throw templateError(QStringLiteral("找不到打印模板“%1”。").arg(name));
}

QString TemplateLibrary::render(const QString& name, const kainjow::mustache::data& values) const {
    if (name.startsWith(QLatin1Char('_')))
        throw templateError(QStringLiteral("“%1”是模板共用的部分，不能单独打印。").arg(name));
    Includes includes{*this, name, {}, {}, {}, {}};
    const std::string document = name.toStdString();
    includes.follow(document);
    kainjow::mustache::mustache tmpl(includes.texts.at(document));
    const auto faulty = [&] {
        return templateError(
            QStringLiteral("打印模板“%1”有错误：%2").arg(name, QString::fromStdString(tmpl.error_message())));
    };
    if (!tmpl.is_valid())
        throw faulty();
    PieceContext context(&values, includes.texts, includes.missing);
    const std::string html = tmpl.render(context);
    if (!tmpl.is_valid())
        throw faulty();
    if (!context.missing().isEmpty())
        throw templateError(context.missing());
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
