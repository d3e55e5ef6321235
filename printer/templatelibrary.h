#pragma once

#include <QString>
#include <QStringList>

#include <kainjow/mustache.hpp>

// The HTML + Mustache templates of the printed documents. Each built-in template is a resource
// :/templates/NAME.html; a file NAME.html in the data folder's templates/ replaces it, so the office can
// change a layout without a new program. Names starting with "_" are pieces that templates include
// with {{>_name}}; they can be replaced the same way.
class TemplateLibrary {
public:
    explicit TemplateLibrary(QString overrideFolder);

    // The template's text, from the override folder or built in. Throws PrintError when neither exists.
    QString source(const QString& name) const;
    // Fills the template with `values` and returns the HTML. Throws PrintError on a faulty template
    // and for a piece, which is no document of its own.
    QString render(const QString& name, const kainjow::mustache::data& values) const;

    // The names of the built-in templates, pieces left out, sorted.
    static QStringList builtInNames();

private:
    QString m_overrideFolder;
};
