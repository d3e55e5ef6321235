#include "printer/printvalues.h"

#include "foundation/columncatalogue.h"
#include "foundation/columntext.h"
#include "foundation/datetext.h"
#include "foundation/money.h"
#include "printer/reportquery.h"

using ColumnCatalogue::Kind;
using ColumnCatalogue::kindOf;
using kainjow::mustache::data;

namespace {

// A numeric value, also when SQLite hands back a number stored as text.
std::optional<double> numberOf(const QVariant& value) {
    if (value.isNull())
        return std::nullopt;
    if (ColumnText::holdsNumber(value))
        return value.toDouble();
    return Money::parseStrict(value.toString());
}

std::string utf8(const QString& text) {
    return text.toStdString();
}

} // namespace

namespace PrintValues {

QString display(const QString& column, const QVariant& value) {
    const Kind kind = kindOf(column);
    if (value.isNull() || ColumnText::holdsNumber(value) || kind == Kind::Money || kind == Kind::Share ||
        kind == Kind::Date)
        return ColumnText::shown(kind, value);
    // Texts lose the blanks the windows pad some of them with ("刻字  ").
    QString text = value.toString().trimmed();
    // The purchase stores the further charge's name with a colon after it ("花篮："); the
    // receipts print their own label, and an unnamed charge gets a name of its own.
    if (column.compare(QLatin1String("qt"), Qt::CaseInsensitive) == 0 && text.endsWith(QStringLiteral("：")))
        text.chop(1);
    return text;
}

data collect(ReportRows& query, const Context& context) {
    const QStringList queried = query.columns();
    // The shown columns: names[i] is the query's column columns[i].
    QStringList names;
    QList<int> columns;
    QList<int> summed; // indexes into names of the columns that get a total
    for (int column = 0; column < queried.size(); ++column) {
        if (ColumnCatalogue::isHidden(queried.at(column)))
            continue;
        // A server names unquoted columns in lower case (QTF comes back as qtf): the templates use the
        // lower-case names on both engines.
        names << queried.at(column).toLower();
        columns << column;
        const Kind kind = kindOf(names.last());
        if (kind == Kind::Money || kind == Kind::Count)
            summed << int(names.size()) - 1;
    }
    std::vector<std::string> keys;
    for (const QString& name : names)
        keys.push_back(utf8(name));

    const bool numbered = !names.contains(QStringLiteral("序号"));

    data root;
    data rows{data::type::list};
    data fields{data::type::list};
    QList<double> sums(summed.size(), 0.0);
    int count = 0;
    qint64 bytes = 0;
    while (query.next()) {
        ++count;
        data row;
        data nonzero; // the money columns that hold an amount, for lines shown only then
        for (int i = 0; i < names.size(); ++i) {
            const QVariant value = query.value(columns.at(i));
            const std::string text = utf8(display(names.at(i), value));
            bytes += qint64(text.size());
            const data shown = text.empty() ? data(false) : data(text);
            if (kindOf(names.at(i)) == Kind::Money)
                nonzero.set(keys[i], data(numberOf(value).value_or(0.0) != 0.0));
            if (count == 1) {
                root.set(keys[i], shown);
                data field;
                field.set("name", keys[i]);
                field.set("value", shown);
                fields << field;
            }
            row.set(keys[i], shown);
        }
        if (bytes > context.byteLimit)
            throw ReportQuery::tooLarge(context.byteLimit);
        if (count > context.rowLimit)
            throw ReportQuery::tooLong(context.rowLimit);
        for (int s = 0; s < summed.size(); ++s)
            sums[s] += numberOf(query.value(columns.at(summed.at(s)))).value_or(0.0);
        if (numbered)
            row.set("序号", std::to_string(count));
        if (count == 1)
            root.set("nonzero", nonzero);
        row.set("nonzero", std::move(nonzero));
        rows << row;
    }

    data sumValues;
    for (int s = 0; s < summed.size(); ++s) {
        const QString& name = names.at(summed.at(s));
        const QString total = kindOf(name) == Kind::Money
                                  ? Money::formatTwoDecimals(sums.at(s))
                                  : QString::number(sums.at(s), 'f', QLocale::FloatingPointShortest);
        sumValues.set(keys[summed.at(s)], utf8(total));
    }

    // The document's own values win over a column of the same name.
    root["rows"] = std::move(rows); // moved, not copied: a list may hold ten thousand rows
    root["fields"] = std::move(fields);
    root.set("count", std::to_string(count));
    root.set("sums", sumValues);
    // {{#大写}}{{合计}}{{/大写}}: the amount shown inside, in the capital numerals of receipts.
    root.set("大写", data(kainjow::mustache::lambda2(
                         [](const std::string& inside, const kainjow::mustache::renderer& render) {
                             const auto amount = Money::parseStrict(QString::fromStdString(render(inside)));
                             return amount ? utf8(Money::capitals(*amount)) : std::string();
                         })));
    root.set("today", utf8(DateText::fromDate(context.today)));
    root.set("unit", utf8(context.unit));
    if (context.heading && !context.heading->isEmpty())
        root.set("heading", utf8(*context.heading));
    return root;
}

} // namespace PrintValues
