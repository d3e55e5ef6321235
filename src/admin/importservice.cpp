#include "admin/importservice.h"

#include "admin/backupservice.h"

#include "business/deceased.h"
#include "business/purchaseservice.h"
#include "columbarium/nichevocabulary.h"

#include "foundation/bulkkeys.h"
#include "foundation/clock.h"
#include "foundation/csvtable.h"
#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/datetext.h"
#include "foundation/money.h"
#include "graves/plotvocabulary.h"
#include "shared/numberedplace.h"
#include "shared/positionkey.h"
#include "shared/session.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <functional>

namespace {

// What a column of a file holds, which decides how its text is checked and stored.
// Place: the position key of a plot or niche, as it is stored.
enum class Holds {
    Text,
    Whole,
    Number,
    Money,
    Flag,
    State,
    Style,
    Date,
    Place,
    Sex,
    NicheState,
    NicheStyle,
    Year
};

struct Column {
    QString name;
    Holds holds = Holds::Text;
    bool required = false;
};

const QStringList& plotStates() {
    static const QStringList states = {PlotState::free, PlotState::reserved, PlotState::sold,
                                       PlotState::restricted};
    return states;
}

const QStringList& plotStyles() {
    static const QStringList styles = {PlotStyle::single, PlotStyle::twin, PlotStyle::family,
                                       PlotStyle::multiple, PlotStyle::artistic};
    return styles;
}

// Whether `text` is plain digits 0-9 (never full-width ones, which a number would not read).
bool isDigits(QStringView text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// What a spreadsheet makes of a long number it was not told is text: 3.3010219800315E+17.
bool isScientific(const QString& text) {
    // Most texts are names: a look at their first character and at an E rules them out.
    if (text.isEmpty() || !(isDigits(text.first(1)) || text.startsWith(u'+') || text.startsWith(u'-')) ||
        !text.contains(u'E', Qt::CaseInsensitive))
        return false;
    static const QRegularExpression scientific(QStringLiteral("^[+-]?[0-9]+(\\.[0-9]+)?[Ee][+-]?[0-9]+$"));
    return scientific.match(text).hasMatch();
}

// The reason an amount's text is refused; empty when it is an amount to the cent.
QString amountProblem(const QString& text) {
    static const QRegularExpression amount(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    if (isScientific(text))
        return QStringLiteral("金额“%1”是科学记数法，请改为普通数字").arg(text);
    if (!amount.match(text).hasMatch())
        return QStringLiteral("“%1”不是金额").arg(text);
    if (text.startsWith(QLatin1Char('-')))
        return QStringLiteral("金额不能为负数：%1").arg(text);
    if (const qsizetype point = text.indexOf(QLatin1Char('.')); point >= 0 && text.size() - point - 1 > 2)
        return QStringLiteral("金额最多到分（两位小数）：%1").arg(text);
    return QString();
}

// The reason a plot's number is refused; empty when it has the four digits the set-up gives it.
QString numberProblem(const QString& text) {
    if (text.size() == 4 && isDigits(text))
        return QString();
    if (text.size() < 4 && isDigits(text))
        return QStringLiteral("号“%1”前面的零已丢失，应为“%2”").arg(text, PositionKey::fourDigitNumber(text));
    return QStringLiteral("号“%1”应为四位数字").arg(text);
}

// A date as stored (2020-03-15) or as a spreadsheet writes it back (2020/3/15, 2020-3-15); invalid when
// it is none, or no day of the calendar (a 13th month, 2月30日).
QDate dateOf(const QString& text) {
    static const QRegularExpression date(QStringLiteral("^([0-9]{4})([-/])([0-9]{1,2})\\2([0-9]{1,2})$"));
    const QRegularExpressionMatch match = date.match(text);
    if (!match.hasMatch())
        return QDate();
    return QDate(match.captured(1).toInt(), match.captured(3).toInt(), match.captured(4).toInt());
}

// The moment a fee row of the day `text` names is dated on.
QString startOf(const QString& text) {
    return DateText::fromDate(dateOf(text)) + QStringLiteral(" 00:00:00");
}

// The reason a column's text is refused, by what the column holds; empty when it is fine.
QString valueProblem(Holds holds, const QString& value) {
    switch (holds) {
    case Holds::Text:
    case Holds::Place:
        if (isScientific(value))
            return QStringLiteral("“%1”已被电子表格改为科学记数法，原来的数字已丢失").arg(value);
        return QString();
    case Holds::Whole:
        if (isScientific(value))
            return QStringLiteral("“%1”已被电子表格改为科学记数法，原来的数字已丢失").arg(value);
        if (!isDigits(value) || value.size() > 12)
            return QStringLiteral("“%1”应为整数").arg(value);
        return QString();
    case Holds::Number:
        return numberProblem(value);
    case Holds::Money:
        return amountProblem(value);
    case Holds::Flag:
        if (value != QLatin1String("0") && value != QLatin1String("1"))
            return QStringLiteral("应为 0 或 1：%1").arg(value);
        return QString();
    case Holds::State:
        if (!plotStates().contains(value))
            return QStringLiteral("未知的状态“%1”（可用：%2）")
                .arg(value, plotStates().join(QStringLiteral("、")));
        return QString();
    case Holds::Style:
        if (!plotStyles().contains(value))
            return QStringLiteral("未知的样式“%1”（可用：%2）")
                .arg(value, plotStyles().join(QStringLiteral("、")));
        return QString();
    case Holds::Date:
        if (!dateOf(value).isValid())
            return QStringLiteral("“%1”不是日期（应写成 2020-03-15）").arg(value);
        return QString();
    case Holds::NicheState:
        if (value != NicheState::free && value != NicheState::used)
            return QStringLiteral("未知的状态“%1”（可用：%2、%3）")
                .arg(value, NicheState::free, NicheState::used);
        return QString();
    case Holds::NicheStyle:
        if (value != NicheStyle::single && value != NicheStyle::twin)
            return QStringLiteral("未知的样式“%1”（可用：%2、%3）")
                .arg(value, NicheStyle::single, NicheStyle::twin);
        return QString();
    case Holds::Year:
        if (!DateText::parseYear(value))
            return QStringLiteral("“%1”不是年份（应为四位数字）").arg(value);
        return QString();
    case Holds::Sex:
        if (value != QStringLiteral("男") && value != QStringLiteral("女"))
            return QStringLiteral("应为“男”或“女”：%1").arg(value);
        return QString();
    }
    return QString();
}

// A column's text as it is stored: amounts to the cent, dates in the stored form, an empty amount or
// number as nothing.
QVariant storedValue(Holds holds, const QString& value) {
    switch (holds) {
    case Holds::Money:
        return value.isEmpty() ? QVariant(QMetaType(QMetaType::Double))
                               : QVariant(Money::roundCents(value.toDouble()));
    case Holds::Whole:
        return value.isEmpty() ? QVariant(QMetaType(QMetaType::LongLong)) : QVariant(value.toLongLong());
    case Holds::Flag:
        return value == QLatin1String("1") ? 1 : 0;
    case Holds::Date:
        return value.isEmpty() ? QString() : DateText::fromDate(dateOf(value));
    default:
        return value;
    }
}

// A stored value as a file writes it, so that it reads back as the same value.
QString fileValue(Holds holds, const StoredRow& row, const QString& column) {
    switch (holds) {
    case Holds::Money:
        return row.isNull(column) ? QString() : Money::format(row.number(column));
    case Holds::Flag:
        return QString::number(row.whole(column));
    case Holds::Date: {
        const QDate date = row.date(column);
        return date.isValid() ? DateText::fromDate(date) : row.text(column);
    }
    default:
        return row.text(column);
    }
}

QString sha256(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

std::chrono::milliseconds since(const QElapsedTimer& timer) {
    return std::chrono::milliseconds(timer.elapsed());
}

} // namespace

struct ImportService::Row {
    int line = 0;
    QStringList values; // in the order of the kind's columns, trimmed; empty for an absent column
    QString derived;    // the kind's column made from others, as the file gives it
};

struct ImportService::File {
    QString path;
    QString name;
    QString table;
    QString checksum;
    QList<Row> rows;
};

// What the checks know of the office and of the rows of the run checked so far, so that a purchase
// finds a plot of the same run's plot file, and a plot is not sold twice in one run.
struct ImportService::Known {
    struct Plot {
        QString area;
        QString state;
        int line = 0; // the line of the run's file that adds it; 0 for a plot of the office
        bool operator==(const Plot&) const = default;
    };
    QDate today;
    QHash<QString, Plot> plots;
    QHash<QString, int> registered; // plot key -> line of the run's registration; 0 in the office
    QHash<QString, int> buried;     // plot key + "/" + name -> line of the run's burial; 0 in the office
    QHash<QString, int> reserved;   // plot key -> line of the run's reservation; 0 in the office
    QHash<QString, int> lamps;      // plot key/payment date/first year/last year -> line; 0 in the office
    QHash<QString, Plot> niches;    // the same for niches, by niche key, the hall as the area
    QHash<QString, int> stored;     // niche key -> line of the run's storage; 0 in the office
    bool operator==(const Known&) const = default;
};

// One kind of file: its columns, the checks of a row beyond each column's own, and its write.
struct ImportService::Kind {
    // A row's values by column name.
    struct Fields {
        const Kind& kind;
        const Row& row;
        QString operator[](const QString& name) const {
            for (qsizetype at = 0; at < kind.columns.size(); ++at)
                if (kind.columns.at(at).name == name)
                    return row.values.at(at);
            return QString();
        }
    };
    using Complain = std::function<void(const QString& column, const QString& text)>;

    QString table;
    QString title;
    QList<Column> columns;
    QString derived; // a column made from others that a file may carry: checked, never written
    QString examples;
    QString exportSql; // the office's rows, a column of each of the kind's names
    // `wrong` holds the columns whose own check failed; what depends on them is not checked further.
    std::function<void(const Fields&, const QSet<QString>& wrong, Known&, const Complain&)> check;
    // The history's lines for a file, its rows written after them.
    std::function<QList<Database::BulkChange>(const File&, const QString& selection)> changes;
    std::function<void(Database&, const Session&, const File&, const Known&)> write;

    // An insert of every column of the kind into `into`, then the `extra` columns with their values.
    QSqlQuery prepareInsert(Database& database, const QString& into, const QList<Database::Column>& extra,
                            const QString& doing) const {
        QList<Database::Column> all;
        for (const Column& column : columns)
            all.append({column.name, QVariant()});
        return database.prepareInsert(into, all + extra, doing);
    }
    // Runs `insert` with the row's values as stored.
    void insertRow(Database& database, QSqlQuery& insert, const Row& row, const QString& doing) const {
        for (qsizetype at = 0; at < columns.size(); ++at)
            insert.bindValue(static_cast<int>(at), storedValue(columns.at(at).holds, row.values.at(at)));
        database.run(insert, doing);
    }

    qsizetype index(const QString& name) const {
        for (qsizetype at = 0; at < columns.size(); ++at)
            if (columns.at(at).name == name)
                return at;
        return -1;
    }
};

namespace {

const QString plotKeyColumn = QStringLiteral("墓碑位置");
const QString nicheKeyColumn = QStringLiteral("存放位置");

// The plot a registration names, as the file gives its key; its absence told, with the key it was
// probably meant to be when a spreadsheet dropped the number's leading zeros.
template <typename Known, typename Complain>
const typename Known::Plot* namedPlot(Known& known, const QString& key, const Complain& complain) {
    if (const auto found = known.plots.constFind(key); found != known.plots.cend())
        return &*found;
    static const QRegularExpression shortNumber(QStringLiteral("^(.*[^0-9])([0-9]{1,3})号$"));
    if (const QRegularExpressionMatch match = shortNumber.match(key); match.hasMatch()) {
        const QString meant =
            match.captured(1) + PositionKey::fourDigitNumber(match.captured(2)) + QStringLiteral("号");
        if (known.plots.contains(meant)) {
            complain(plotKeyColumn, QStringLiteral("墓位“%1”的号前面的零已丢失，应为“%2”").arg(key, meant));
            return nullptr;
        }
    }
    complain(plotKeyColumn, QStringLiteral("没有墓位 %1").arg(key));
    return nullptr;
}

// A numbered place a file adds (a plot or a niche) under `key`, the key the set-up makes of its
// `parts`: the key column a file may carry agrees with it, and the place is new to the office and to
// the run, where it is then known.
template <typename Places, typename Complain>
void checkNewPlace(Places& places, const QString& key, typename Places::mapped_type place,
                   const QString& derived, const QString& keyColumn, const QString& parts,
                   const QString& noun, const Complain& complain) {
    const QString number = QStringLiteral("号");
    if (!derived.isEmpty() && derived != key)
        complain(keyColumn, QStringLiteral("“%1”与%2不符（应为“%3”）").arg(derived, parts, key));
    if (const auto first = places.constFind(key); first == places.cend())
        places.insert(key, place);
    else if (first->line > 0)
        complain(number, QStringLiteral("%1 %2 在本文件第 %3 行已有").arg(noun, key).arg(first->line));
    else
        complain(number, QStringLiteral("%1 %2 已经存在").arg(noun, key));
}

} // namespace

const QList<ImportService::Kind>& ImportService::kinds() {
    using Fields = Kind::Fields;
    using Complain = Kind::Complain;
    // The history's line for a file of new places, each keyed by `keyOf` its row.
    const auto addedPlaces = [](QString (*keyOf)(const Row&)) {
        return [keyOf](const File& file, const QString& selection) {
            QStringList keys;
            for (const Row& row : file.rows)
                keys << keyOf(row);
            return QList<Database::BulkChange>{
                {file.table, QStringLiteral("批量添加"), selection, file.rows.size(), keys}};
        };
    };
    // Writes a file of new places as they are, and tells each area or hall (the first column) of its own.
    const auto writePlaces = [](const QString& doing, ChangeNotifier::Subject subject) {
        return [doing, subject](Database& database, const Session&, const File& file, const Known&) {
            const Kind& kind = *ImportService::kind(file.table);
            QSqlQuery insert = kind.prepareInsert(database, file.table, {}, doing);
            QSet<QString> places;
            for (const Row& row : file.rows) {
                kind.insertRow(database, insert, row, doing);
                places.insert(row.values.at(0));
            }
            for (const QString& place : std::as_const(places))
                database.notifyChange(subject, place);
        };
    };
    // The history's lines for a file of registrations in `table`, each with its row in `feeTable`, that
    // change the state of their places in `placeTable` as `changed` says.
    const auto registrations = [](const QString& table, const QString& feeTable, const QString& placeTable,
                                  const QString& keyColumn, const QString& changed) {
        return [=](const File& file, const QString& selection) {
            const qsizetype keyAt = ImportService::kind(file.table)->index(keyColumn);
            QStringList keys;
            for (const Row& row : file.rows)
                keys << row.values.at(keyAt);
            const qint64 rows = file.rows.size();
            return QList<Database::BulkChange>{
                {table, QStringLiteral("批量添加"), selection, rows, keys},
                {feeTable, QStringLiteral("批量添加"), selection, rows, keys},
                {placeTable, QStringLiteral("批量修改"), selection + changed, rows, keys}};
        };
    };
    static const QList<Kind> all = {
        Kind{QStringLiteral("mq_wz"),
             QStringLiteral("墓位"),
             {{QStringLiteral("墓区"), Holds::Text, true},
              {QStringLiteral("排"), Holds::Text},
              {QStringLiteral("号"), Holds::Number, true},
              {QStringLiteral("样式"), Holds::Style},
              {QStringLiteral("墓地费"), Holds::Money},
              {QStringLiteral("墓碑费"), Holds::Money},
              {QStringLiteral("工料费"), Holds::Money},
              {QStringLiteral("家族费"), Holds::Money},
              {QStringLiteral("绿化费"), Holds::Money},
              {QStringLiteral("其它"), Holds::Money},
              {QStringLiteral("状态"), Holds::State, true},
              {QStringLiteral("寿穴"), Holds::Flag}},
             plotKeyColumn,
             QStringLiteral("东区,1,0001,单人墓,12000,3000,800.50,0,200,100,未使用,0\r\n"
                            "东区,1,0002,双人墓,24000,5000,1200,0,300,150.25,已购,1\r\n"),
             QStringLiteral("SELECT * FROM mq_wz WHERE %1 ORDER BY 墓区, 排, 号").arg(Numbered::isPosition),
             [](const Fields& row, const QSet<QString>& wrong, Known& known, const Complain& complain) {
                 const QString area = QStringLiteral("墓区"), number = QStringLiteral("号");
                 if (wrong.contains(area) || wrong.contains(number))
                     return;
                 checkNewPlace(
                     known.plots, PositionKey::plot(row[area], row[QStringLiteral("排")], row[number]),
                     {row[area], row[QStringLiteral("状态")], row.row.line}, row.row.derived, plotKeyColumn,
                     QStringLiteral("墓区、排、号"), QStringLiteral("墓位"), complain);
             },
             addedPlaces([](const Row& row) {
                 return PositionKey::plot(row.values.at(0), row.values.at(1), row.values.at(2));
             }),
             writePlaces(QStringLiteral("导入墓位"), ChangeNotifier::Subject::Plots)},
        // A purchase: the plot's registration, its "购墓" fee row, and the plot sold.
        Kind{
            QStringLiteral("gm_dj"),
            QStringLiteral("购墓登记"),
            {{QStringLiteral("编号"), Holds::Whole},          {plotKeyColumn, Holds::Place, true},
             {QStringLiteral("购墓日期"), Holds::Date, true}, {QStringLiteral("日期起"), Holds::Date, true},
             {QStringLiteral("日期止"), Holds::Date, true},   {QStringLiteral("联系人"), Holds::Text, true},
             {QStringLiteral("身份证号"), Holds::Text},       {QStringLiteral("工作单位"), Holds::Text},
             {QStringLiteral("家庭住址"), Holds::Text},       {QStringLiteral("联系电话"), Holds::Text},
             {QStringLiteral("手机"), Holds::Text},           {QStringLiteral("业务员"), Holds::Text},
             {QStringLiteral("墓碑类型"), Holds::Text},       {QStringLiteral("主碑材质"), Holds::Text},
             {QStringLiteral("底碑材质"), Holds::Text},       {QStringLiteral("证书编号"), Holds::Text},
             {QStringLiteral("墓地费"), Holds::Money},        {QStringLiteral("墓碑费"), Holds::Money},
             {QStringLiteral("家庭墓费"), Holds::Money},      {QStringLiteral("工料费"), Holds::Money},
             {QStringLiteral("管理费"), Holds::Money},        {QStringLiteral("绿化费"), Holds::Money},
             {QStringLiteral("其它费"), Holds::Money},        {QStringLiteral("qt"), Holds::Text},
             {QStringLiteral("qtf"), Holds::Money},           {QStringLiteral("备注"), Holds::Text}},
            QString(),
            QStringLiteral(
                "1,东区1排0001号,2019-04-05,2019-04-05,2039-04-04,张伟,330102198003150025,,"
                "杭州市西湖区文三路 1 号,0571-88001234,13800138000,,花岗岩墓碑,山西黑,芝麻白,,"
                "12000,3000,0,800.50,360,200,100,,0,无\r\n"
                "2,东区1排0002号,2020-10-01,2020-10-01,2040-09-30,李娜,33010219850601002X,杭州丝绸厂,"
                "杭州市上城区解放路 8 号,0571-87005678,13900139000,,艺术墓碑,印度红,芝麻白,A-0002,"
                "24000,5000,1000,1200,720,300,150.25,刻字费,50,家属自选碑文\r\n"),
            QStringLiteral(
                "SELECT d.编号, d.墓碑位置, d.购墓日期, d.日期起, d.日期止, d.联系人, d.身份证号, d.工作单位, "
                "d.家庭住址, d.联系电话, d.手机, d.业务员, d.墓碑类型, d.主碑材质, d.底碑材质, d.证书编号, "
                "f.墓地费, f.墓碑费, f.家庭墓费, f.工料费, f.管理费, f.绿化费, f.其它费, f.qt, f.qtf, f.备注 "
                "FROM gm_dj d LEFT JOIN gm_xf1 f ON f.id = (SELECT MIN(x.id) FROM gm_xf1 x "
                "WHERE x.墓碑位置 = d.墓碑位置 AND x.操作方式 = '购墓') "
                "WHERE d.rid = (SELECT MIN(r.rid) FROM gm_dj r WHERE r.墓碑位置 = d.墓碑位置) "
                "ORDER BY d.墓碑位置"),
            [](const Fields& row, const QSet<QString>& wrong, Known& known, const Complain& complain) {
                const QString from = QStringLiteral("日期起"), until = QStringLiteral("日期止");
                if (!wrong.contains(from) && !wrong.contains(until) &&
                    dateOf(row[from]) >= dateOf(row[until]))
                    complain(until, QStringLiteral("使用日期起止时间错误：日期止应晚于日期起"));
                if (wrong.contains(plotKeyColumn))
                    return;
                const QString key = row[plotKeyColumn];
                const Known::Plot* plot = namedPlot(known, key, complain);
                if (!plot)
                    return;
                if (const auto earlier = known.registered.constFind(key); earlier != known.registered.cend())
                    complain(plotKeyColumn,
                             *earlier > 0
                                 ? QStringLiteral("墓位 %1 在本文件第 %2 行已购").arg(key).arg(*earlier)
                                 : QStringLiteral("墓位 %1 已售出，已有购墓登记").arg(key));
                else if (plot->state == PlotState::reserved || plot->state == PlotState::restricted)
                    complain(plotKeyColumn, QStringLiteral("墓位 %1 %2，不能购墓").arg(key, plot->state));
                else
                    known.registered.insert(key, row.row.line);
            },
            registrations(QStringLiteral("gm_dj"), QStringLiteral("gm_xf1"), QStringLiteral("mq_wz"),
                          plotKeyColumn, QStringLiteral("：墓位改为") + PlotState::sold),
            [](Database& database, const Session& session, const File& file, const Known& known) {
                const Kind& kind = *ImportService::kind(QStringLiteral("gm_dj"));
                // The registration takes the columns before the fees, the fee row the fees and the
                // columns both share.
                const qsizetype firstFee = kind.index(QStringLiteral("墓地费"));
                QList<Database::Column> registration;
                for (qsizetype at = 0; at < firstFee; ++at)
                    registration.append({kind.columns.at(at).name, QVariant()});
                registration.append({QStringLiteral("操作员"), session.operatorName});
                const QStringList shared = {
                    QStringLiteral("编号"),     QStringLiteral("墓碑位置"), QStringLiteral("购墓日期"),
                    QStringLiteral("日期起"),   QStringLiteral("日期止"),   QStringLiteral("联系人"),
                    QStringLiteral("联系电话"), QStringLiteral("手机"),     QStringLiteral("工作单位")};
                QList<qsizetype> feeSources;
                QList<Database::Column> fee;
                for (const QString& name : shared) {
                    fee.append({name, QVariant()});
                    feeSources << kind.index(name);
                }
                for (qsizetype at = firstFee; at < kind.columns.size(); ++at) {
                    fee.append({kind.columns.at(at).name, QVariant()});
                    feeSources << at;
                }
                const int subtotal = static_cast<int>(fee.size());
                fee += QList<Database::Column>{{QStringLiteral("小计"), QVariant()},
                                               {QStringLiteral("合计"), QVariant()},
                                               {QStringLiteral("操作日期"), QVariant()},
                                               {QStringLiteral("安葬日期"), QStringLiteral("")},
                                               {QStringLiteral("操作方式"), QStringLiteral("购墓")},
                                               {QStringLiteral("操作员"), session.operatorName},
                                               {QStringLiteral("预交金额"), 0.0},
                                               {QStringLiteral("余额"), 0.0}};
                // The fees the totals are added up from, as a sale adds them up.
                QList<qsizetype> fees;
                for (const char* name :
                     {"墓地费", "墓碑费", "家庭墓费", "工料费", "绿化费", "其它费", "qtf", "管理费"})
                    fees << kind.index(QString::fromUtf8(name));
                const QString doing = QStringLiteral("导入购墓登记");
                QSqlQuery insertRegistration =
                    database.prepareInsert(QStringLiteral("gm_dj"), registration, doing);
                QSqlQuery insertFee = database.prepareInsert(QStringLiteral("gm_xf1"), fee, doing);
                QSqlQuery sell = database.prepareUpdate(QStringLiteral("mq_wz"),
                                                        {{QStringLiteral("状态"), PlotState::sold}},
                                                        QStringLiteral("墓碑位置 = ?"), {QString()}, doing);
                QSet<QString> areas;
                for (const Row& row : file.rows) {
                    const auto stored = [&](qsizetype at) {
                        return storedValue(kind.columns.at(at).holds, row.values.at(at));
                    };
                    for (qsizetype at = 0; at < firstFee; ++at)
                        insertRegistration.bindValue(static_cast<int>(at), stored(at));
                    database.run(insertRegistration, doing);

                    for (qsizetype at = 0; at < feeSources.size(); ++at)
                        insertFee.bindValue(static_cast<int>(at), stored(feeSources.at(at)));
                    const auto fee = [&](int at) { return row.values.at(fees.at(at)); };
                    const FeeTotals totals = PurchaseService::totalsWith(
                        {fee(0), fee(1), fee(2), fee(3), fee(4), fee(5), QString(), fee(6)}, fee(7));
                    insertFee.bindValue(subtotal, Money::roundCents(totals.subtotal));
                    insertFee.bindValue(subtotal + 1, Money::roundCents(totals.total));
                    // The row is dated on the day of the purchase.
                    insertFee.bindValue(subtotal + 2, startOf(row.values.at(2)));
                    database.run(insertFee, doing);

                    const QString key = row.values.at(1);
                    sell.bindValue(1, key);
                    database.run(sell, doing);
                    areas.insert(known.plots.value(key).area);
                }
                for (const QString& area : std::as_const(areas))
                    database.notifyChange(ChangeNotifier::Subject::Plots, area);
            }},
        // The deceased on a sold plot: the first completes the plot's registration, each further one
        // has a register row of its own that repeats the registration.
        Kind{
            QStringLiteral("gm_xr"),
            QStringLiteral("故者"),
            {{plotKeyColumn, Holds::Place, true},
             {QStringLiteral("故者姓名"), Holds::Text, true},
             {QStringLiteral("性别"), Holds::Sex, true},
             {QStringLiteral("籍贯"), Holds::Text},
             {QStringLiteral("生前单位"), Holds::Text},
             {QStringLiteral("出生日期"), Holds::Date},
             {QStringLiteral("逝世日期"), Holds::Date, true},
             {QStringLiteral("落葬日期"), Holds::Date, true},
             {QStringLiteral("备注"), Holds::Text},
             {QStringLiteral("联系人"), Holds::Text, true},
             {QStringLiteral("关系"), Holds::Text},
             {QStringLiteral("身份证号"), Holds::Text},
             {QStringLiteral("工作单位"), Holds::Text},
             {QStringLiteral("家庭住址"), Holds::Text},
             {QStringLiteral("联系电话"), Holds::Text},
             {QStringLiteral("手机"), Holds::Text},
             {QStringLiteral("证书编号"), Holds::Text}},
            QString(),
            QStringLiteral(
                "东区1排0001号,张建国,男,浙江杭州,杭州电厂,1940-05-12,2019-04-01,2019-04-05,,张伟,父子,"
                "330102198003150025,,杭州市西湖区文三路 1 号,0571-88001234,13800138000,\r\n"
                "东区1排0002号,王秀英,女,浙江绍兴,,1945-11-03,2020-09-20,2020-10-01,合葬,李娜,母女,"
                "33010219850601002X,杭州丝绸厂,杭州市上城区解放路 8 号,0571-87005678,13900139000,A-0002\r\n"),
            QStringLiteral(
                "SELECT 墓碑位置, 故者姓名, 性别, 籍贯, 生前单位, 出生日期, 逝世日期, 落葬日期, 备注, 联系人, "
                "关系, 身份证号, 工作单位, 家庭住址, 联系电话, 手机, 证书编号 FROM gm_dj "
                "WHERE 故者姓名 IS NOT NULL ORDER BY 墓碑位置, rid"),
            [](const Fields& row, const QSet<QString>& wrong, Known& known, const Complain& complain) {
                const QString born = QStringLiteral("出生日期"), died = QStringLiteral("逝世日期"),
                              buried = QStringLiteral("落葬日期");
                const auto date = [&](const QString& column) {
                    return wrong.contains(column) ? QDate() : dateOf(row[column]);
                };
                // As the burial window checks them; a burial still to come is fine.
                if (date(born).isValid() && date(born) > known.today)
                    complain(born, QStringLiteral("出生日期晚于今天"));
                if (date(died).isValid() && date(died) > known.today)
                    complain(died, QStringLiteral("逝世日期晚于今天"));
                if (date(born).isValid() && date(died).isValid() && date(born) > date(died))
                    complain(died, QStringLiteral("逝世日期早于出生日期"));
                if (date(died).isValid() && date(buried).isValid() && date(died) > date(buried))
                    complain(buried, QStringLiteral("落葬日期早于逝世日期"));
                const QString name = QStringLiteral("故者姓名");
                if (wrong.contains(plotKeyColumn))
                    return;
                const QString key = row[plotKeyColumn];
                const Known::Plot* plot = namedPlot(known, key, complain);
                if (!plot)
                    return;
                if (plot->state != PlotState::sold && !known.registered.contains(key)) {
                    complain(plotKeyColumn,
                             QStringLiteral("墓位 %1 %2，没有售出，不能落葬")
                                 .arg(key, plot->state.isEmpty() ? PlotState::free : plot->state));
                    return;
                }
                if (wrong.contains(name))
                    return;
                const QString person = key + QLatin1Char('/') + row[name];
                if (const auto earlier = known.buried.constFind(person); earlier == known.buried.cend())
                    known.buried.insert(person, row.row.line);
                else if (*earlier > 0)
                    complain(name, QStringLiteral("%1 在本文件第 %2 行已落葬于 %3")
                                       .arg(row[name])
                                       .arg(*earlier)
                                       .arg(key));
                else
                    complain(name, QStringLiteral("墓位 %1 已有故者 %2").arg(key, row[name]));
            },
            [](const File& file, const QString& selection) {
                QStringList keys;
                for (const Row& row : file.rows)
                    keys << row.values.at(0);
                const qint64 rows = file.rows.size();
                const QString what = selection + QStringLiteral("：登记故者");
                return QList<Database::BulkChange>{
                    {QStringLiteral("gm_dj"), QStringLiteral("批量修改"), what, rows, keys},
                    {QStringLiteral("gm_xr"), QStringLiteral("批量修改"), what, rows, keys},
                    {QStringLiteral("gm_xf1"), QStringLiteral("批量修改"), what, rows, keys}};
            },
            [](Database& database, const Session&, const File& file, const Known&) {
                const Kind& kind = *ImportService::kind(QStringLiteral("gm_xr"));
                // The deceased's own columns are the file's; the registration's the file's where it gives
                // them, else as the plot's first register row has them.
                const QStringList own = {QStringLiteral("故者姓名"), QStringLiteral("性别"),
                                         QStringLiteral("籍贯"),     QStringLiteral("生前单位"),
                                         QStringLiteral("出生日期"), QStringLiteral("逝世日期"),
                                         QStringLiteral("落葬日期"), QStringLiteral("备注")};
                const QStringList repeated = {
                    QStringLiteral("编号"),     QStringLiteral("购墓日期"), QStringLiteral("日期起"),
                    QStringLiteral("日期止"),   QStringLiteral("墓碑类型"), QStringLiteral("主碑材质"),
                    QStringLiteral("底碑材质"), QStringLiteral("操作员"),   QStringLiteral("业务员")};
                const QString doing = QStringLiteral("导入故者");
                for (const Row& row : file.rows) {
                    const QString key = row.values.at(0);
                    const std::optional<StoredRow> first = database.row(
                        QStringLiteral("SELECT * FROM gm_dj WHERE 墓碑位置 = ? ORDER BY rid LIMIT 1"), {key},
                        doing);
                    const bool completes = first && first->isNull(QStringLiteral("故者姓名"));
                    QList<Database::Column> values;
                    for (qsizetype at = 1; at < kind.columns.size(); ++at) {
                        const Column& column = kind.columns.at(at);
                        const QString& value = row.values.at(at);
                        if (own.contains(column.name) || !value.isEmpty())
                            values.append({column.name, storedValue(column.holds, value)});
                        else if (first && !completes)
                            values.append({column.name, first->value(column.name)});
                    }
                    if (completes) {
                        QSqlQuery update =
                            database.prepareUpdate(QStringLiteral("gm_dj"), values, QStringLiteral("rid = ?"),
                                                   {first->value(QStringLiteral("rid"))}, doing);
                        database.run(update, doing);
                    } else {
                        values.prepend({plotKeyColumn, key});
                        if (first)
                            for (const QString& column : repeated)
                                values.append({column, first->value(column)});
                        database.insert(QStringLiteral("gm_dj"), values, doing);
                    }
                    Deceased::addName(database, key, row.values.at(1), row.values.at(2),
                                      dateOf(row.values.at(7)));
                }
            }},
        // A reservation: the plot reserved, its prepaid amount kept.
        Kind{QStringLiteral("ydmd"),
             QStringLiteral("预订"),
             {{QStringLiteral("编号"), Holds::Whole},
              {plotKeyColumn, Holds::Place, true},
              {QStringLiteral("联系人"), Holds::Text, true},
              {QStringLiteral("身份证号"), Holds::Text},
              {QStringLiteral("家庭住址"), Holds::Text},
              {QStringLiteral("联系电话"), Holds::Text},
              {QStringLiteral("工作单位"), Holds::Text},
              {QStringLiteral("预交金额"), Holds::Money, true},
              {QStringLiteral("成交金额"), Holds::Money, true},
              {QStringLiteral("补交金额"), Holds::Money},
              {QStringLiteral("余额"), Holds::Money},
              {QStringLiteral("操作时间"), Holds::Date, true},
              {QStringLiteral("提醒日期"), Holds::Date},
              {QStringLiteral("需要提醒"), Holds::Flag}},
             QString(),
             QStringLiteral(
                 "3,西区1排0001号,赵敏,330102197507070033,杭州市拱墅区湖墅路 5 号,0571-85001111,杭州钢厂,"
                 "2000,12000,0,10000,2024-03-01,2024-09-01,1\r\n"
                 "4,西区1排0002号,钱进,,杭州市滨江区江南大道 9 号,13700137000,,5000.50,24000,500,18499.50,"
                 "2024-05-20,,0\r\n"),
             QStringLiteral("SELECT * FROM ydmd ORDER BY 墓碑位置, id"),
             [](const Fields& row, const QSet<QString>& wrong, Known& known, const Complain& complain) {
                 const QString agreed = QStringLiteral("成交金额");
                 if (!wrong.contains(agreed) && row[agreed].toDouble() <= 0)
                     complain(agreed, QStringLiteral("成交金额不能为零"));
                 if (wrong.contains(plotKeyColumn))
                     return;
                 const QString key = row[plotKeyColumn];
                 const Known::Plot* plot = namedPlot(known, key, complain);
                 if (!plot)
                     return;
                 if (const auto earlier = known.reserved.constFind(key); earlier != known.reserved.cend())
                     complain(plotKeyColumn,
                              *earlier > 0
                                  ? QStringLiteral("墓位 %1 在本文件第 %2 行已预订").arg(key).arg(*earlier)
                                  : QStringLiteral("墓位 %1 已有预订记录").arg(key));
                 else if (known.registered.contains(key) || plot->state == PlotState::sold ||
                          plot->state == PlotState::restricted)
                     complain(
                         plotKeyColumn,
                         QStringLiteral("墓位 %1 %2，不能预订")
                             .arg(key, plot->state == PlotState::restricted ? plot->state : PlotState::sold));
                 else
                     known.reserved.insert(key, row.row.line);
             },
             [](const File& file, const QString& selection) {
                 QStringList keys;
                 for (const Row& row : file.rows)
                     keys << row.values.at(1);
                 const qint64 rows = file.rows.size();
                 return QList<Database::BulkChange>{
                     {QStringLiteral("ydmd"), QStringLiteral("批量添加"), selection, rows, keys},
                     {QStringLiteral("mq_wz"), QStringLiteral("批量修改"),
                      selection + QStringLiteral("：墓位改为") + PlotState::reserved, rows, keys}};
             },
             [](Database& database, const Session& session, const File& file, const Known& known) {
                 const Kind& kind = *ImportService::kind(QStringLiteral("ydmd"));
                 const QString doing = QStringLiteral("导入预订记录");
                 QSqlQuery insert =
                     kind.prepareInsert(database, QStringLiteral("ydmd"),
                                        {{QStringLiteral("操作员"), session.operatorName}}, doing);
                 QSqlQuery reserve = database.prepareUpdate(
                     QStringLiteral("mq_wz"), {{QStringLiteral("状态"), PlotState::reserved}},
                     QStringLiteral("墓碑位置 = ?"), {QString()}, doing);
                 QSet<QString> areas;
                 for (const Row& row : file.rows) {
                     kind.insertRow(database, insert, row, doing);
                     reserve.bindValue(1, row.values.at(1));
                     database.run(reserve, doing);
                     areas.insert(known.plots.value(row.values.at(1)).area);
                 }
                 for (const QString& area : std::as_const(areas))
                     database.notifyChange(ChangeNotifier::Subject::Plots, area);
                 database.notifyChange(ChangeNotifier::Subject::Reservations);
             }},
        Kind{QStringLiteral("ghjc_wz"),
             QStringLiteral("寄存位"),
             {{QStringLiteral("厅"), Holds::Text, true},
              {QStringLiteral("室"), Holds::Text, true},
              {QStringLiteral("层"), Holds::Text, true},
              {QStringLiteral("号"), Holds::Number, true},
              {QStringLiteral("样式"), Holds::NicheStyle, true},
              {QStringLiteral("价位"), Holds::Money, true},
              {QStringLiteral("状态"), Holds::NicheState, true}},
             nicheKeyColumn,
             QStringLiteral("东厅,1,1,0001,单人框,1200,未使用\r\n"
                            "东厅,1,2,0002,双人框,2400.50,已使用\r\n"),
             QStringLiteral("SELECT * FROM ghjc_wz WHERE %1 ORDER BY 厅, 室, 号").arg(Numbered::isPosition),
             [](const Fields& row, const QSet<QString>& wrong, Known& known, const Complain& complain) {
                 const QString hall = QStringLiteral("厅"), room = QStringLiteral("室"),
                               number = QStringLiteral("号"), price = QStringLiteral("价位");
                 if (!wrong.contains(price) && row[price].toDouble() == 0)
                     complain(price, QStringLiteral("价位不能为零"));
                 if (wrong.contains(hall) || wrong.contains(room) || wrong.contains(number))
                     return;
                 checkNewPlace(known.niches, PositionKey::niche(row[hall], row[room], row[number]),
                               {row[hall], row[QStringLiteral("状态")], row.row.line}, row.row.derived,
                               nicheKeyColumn, QStringLiteral("厅、室、号"), QStringLiteral("寄存位"),
                               complain);
             },
             addedPlaces([](const Row& row) {
                 return PositionKey::niche(row.values.at(0), row.values.at(1), row.values.at(3));
             }),
             writePlaces(QStringLiteral("导入寄存位"), ChangeNotifier::Subject::Niches)},
        // A storage: the urn's registration, its "存入" fee row, and the niche in use.
        Kind{
            QStringLiteral("ghjc_dj"),
            QStringLiteral("寄存登记"),
            {{nicheKeyColumn, Holds::Place, true},
             {QStringLiteral("骨灰盒型"), Holds::Text, true},
             {QStringLiteral("故者姓名"), Holds::Text, true},
             {QStringLiteral("性别"), Holds::Sex, true},
             {QStringLiteral("出生日期"), Holds::Date},
             {QStringLiteral("逝世日期"), Holds::Date},
             {QStringLiteral("籍贯"), Holds::Text},
             {QStringLiteral("生前单位"), Holds::Text},
             {QStringLiteral("日期起"), Holds::Date, true},
             {QStringLiteral("日期止"), Holds::Date, true},
             {QStringLiteral("联系人"), Holds::Text, true},
             {QStringLiteral("关系"), Holds::Text},
             {QStringLiteral("工作单位"), Holds::Text},
             {QStringLiteral("身份证号"), Holds::Text},
             {QStringLiteral("家庭住址"), Holds::Text},
             {QStringLiteral("联系电话"), Holds::Text},
             {QStringLiteral("电子信箱"), Holds::Text},
             {QStringLiteral("备注"), Holds::Text},
             {QStringLiteral("应收费"), Holds::Money, true},
             {QStringLiteral("实收费"), Holds::Money, true}},
            QString(),
            QStringLiteral(
                "东厅1室0001号,红木,张建国,男,1940-05-12,2019-04-01,浙江杭州,杭州电厂,2019-04-05,2029-04-04,"
                "张伟,父子,,330102198003150025,杭州市西湖区文三路 1 号,0571-88001234,无,无,1200,1200\r\n"
                "东厅1室0002号,汉白玉,王秀英,女,1945-11-03,2020-09-20,浙江绍兴,,2020-10-01,2030-09-30,"
                "李娜,母女,杭州丝绸厂,33010219850601002X,杭州市上城区解放路 8 号,0571-87005678,,,2400.50,"
                "2000\r\n"),
            QStringLiteral(
                "SELECT d.存放位置, d.骨灰盒型, d.故者姓名, d.性别, d.出生日期, d.逝世日期, d.籍贯, d.生前单位, "
                "d.日期起, d.日期止, d.联系人, d.关系, d.工作单位, d.身份证号, d.家庭住址, d.联系电话, d.电子信箱, "
                "d.备注, f.应收费, f.实收费 FROM ghjc_dj d LEFT JOIN ghjc_xf1 f ON f.id = (SELECT MIN(x.id) "
                "FROM ghjc_xf1 x WHERE x.存放位置 = d.存放位置 AND x.操作方式 = '存入') ORDER BY d.存放位置, d.id"),
            [](const Fields& row, const QSet<QString>& wrong, Known& known, const Complain& complain) {
                const QString born = QStringLiteral("出生日期"), died = QStringLiteral("逝世日期"),
                              from = QStringLiteral("日期起"), until = QStringLiteral("日期止");
                const auto date = [&](const QString& column) {
                    return wrong.contains(column) ? QDate() : dateOf(row[column]);
                };
                if (date(born).isValid() && date(died).isValid() && date(born) > date(died))
                    complain(died, QStringLiteral("逝世日期早于出生日期"));
                if (date(from).isValid() && date(until).isValid() && date(from) > date(until))
                    complain(until, QStringLiteral("使用日期起止错误：日期止早于日期起"));
                for (const QString& amount : {QStringLiteral("应收费"), QStringLiteral("实收费")})
                    if (!wrong.contains(amount) && row[amount].toDouble() == 0)
                        complain(amount, QStringLiteral("应收费与实收费不能为零"));
                if (wrong.contains(nicheKeyColumn))
                    return;
                const QString key = row[nicheKeyColumn];
                if (!known.niches.contains(key)) {
                    complain(nicheKeyColumn, QStringLiteral("没有寄存位 %1").arg(key));
                    return;
                }
                if (const auto earlier = known.stored.constFind(key); earlier == known.stored.cend())
                    known.stored.insert(key, row.row.line);
                else if (*earlier > 0)
                    complain(nicheKeyColumn,
                             QStringLiteral("寄存位 %1 在本文件第 %2 行已寄存").arg(key).arg(*earlier));
                else
                    complain(nicheKeyColumn, QStringLiteral("寄存位 %1 已有寄存登记").arg(key));
            },
            registrations(QStringLiteral("ghjc_dj"), QStringLiteral("ghjc_xf1"), QStringLiteral("ghjc_wz"),
                          nicheKeyColumn, QStringLiteral("：寄存位改为") + NicheState::used),
            [](Database& database, const Session& session, const File& file, const Known& known) {
                const Kind& kind = *ImportService::kind(QStringLiteral("ghjc_dj"));
                const qsizetype firstFee = kind.index(QStringLiteral("应收费"));
                QList<Database::Column> registration;
                for (qsizetype at = 0; at < firstFee; ++at)
                    registration.append({kind.columns.at(at).name, QVariant()});
                const QStringList shared = {nicheKeyColumn,           QStringLiteral("故者姓名"),
                                            QStringLiteral("联系人"), QStringLiteral("日期起"),
                                            QStringLiteral("日期止"), QStringLiteral("应收费"),
                                            QStringLiteral("实收费")};
                QList<Database::Column> fee;
                for (const QString& name : shared)
                    fee.append({name, QVariant()});
                fee += QList<Database::Column>{{QStringLiteral("操作日期"), QVariant()},
                                               {QStringLiteral("操作方式"), QStringLiteral("存入")},
                                               {QStringLiteral("操作员"), session.operatorName}};
                const QString doing = QStringLiteral("导入寄存登记");
                QSqlQuery insertRegistration =
                    database.prepareInsert(QStringLiteral("ghjc_dj"), registration, doing);
                QSqlQuery insertFee = database.prepareInsert(QStringLiteral("ghjc_xf1"), fee, doing);
                QSqlQuery use = database.prepareUpdate(QStringLiteral("ghjc_wz"),
                                                       {{QStringLiteral("状态"), NicheState::used}},
                                                       QStringLiteral("存放位置 = ?"), {QString()}, doing);
                QSet<QString> halls;
                for (const Row& row : file.rows) {
                    const auto stored = [&](qsizetype at) {
                        return storedValue(kind.columns.at(at).holds, row.values.at(at));
                    };
                    for (qsizetype at = 0; at < firstFee; ++at)
                        insertRegistration.bindValue(static_cast<int>(at), stored(at));
                    database.run(insertRegistration, doing);
                    for (qsizetype at = 0; at < shared.size(); ++at)
                        insertFee.bindValue(static_cast<int>(at), stored(kind.index(shared.at(at))));
                    // The payment is dated on the day the storage begins.
                    insertFee.bindValue(static_cast<int>(shared.size()),
                                        startOf(row.values.at(kind.index(QStringLiteral("日期起")))));
                    database.run(insertFee, doing);
                    use.bindValue(1, row.values.at(0));
                    database.run(use, doing);
                    halls.insert(known.niches.value(row.values.at(0)).area);
                }
                for (const QString& hall : std::as_const(halls))
                    database.notifyChange(ChangeNotifier::Subject::Niches, hall);
            }},
        // A lamp payment for the deceased of a sold plot.
        Kind{QStringLiteral("cjdd"),
             QStringLiteral("点灯缴费"),
             {{plotKeyColumn, Holds::Place, true},
              {QStringLiteral("故者姓名"), Holds::Text, true},
              {QStringLiteral("联系人"), Holds::Text, true},
              {QStringLiteral("联系电话"), Holds::Text, true},
              {QStringLiteral("落葬日期"), Holds::Date},
              {QStringLiteral("交款金额"), Holds::Money, true},
              {QStringLiteral("交款日期"), Holds::Date, true},
              {QStringLiteral("起始年份"), Holds::Year, true},
              {QStringLiteral("终止年份"), Holds::Year, true},
              {QStringLiteral("点灯标志"), Holds::Flag}},
             QString(),
             QStringLiteral(
                 "东区1排0001号,张建国,张伟,0571-88001234,2019-04-05,200,2024-01-20,2024,2024,1\r\n"
                 "东区1排0002号,王秀英,李娜,13900139000,2020-10-01,550.50,2024-01-25,2024,2026,1\r\n"),
             QStringLiteral("SELECT * FROM cjdd ORDER BY 墓碑位置, 交款日期, rid"),
             [](const Fields& row, const QSet<QString>& wrong, Known& known, const Complain& complain) {
                 const QString from = QStringLiteral("起始年份"), to = QStringLiteral("终止年份");
                 if (!wrong.contains(from) && !wrong.contains(to) && row[to].toInt() < row[from].toInt())
                     complain(to, QStringLiteral("点灯期限错误：终止年份早于起始年份"));
                 if (wrong.contains(plotKeyColumn))
                     return;
                 const QString key = row[plotKeyColumn];
                 const Known::Plot* plot = namedPlot(known, key, complain);
                 if (!plot)
                     return;
                 if (plot->state != PlotState::sold && !known.registered.contains(key)) {
                     complain(plotKeyColumn,
                              QStringLiteral("墓位 %1 %2，没有售出，不能点灯")
                                  .arg(key, plot->state.isEmpty() ? PlotState::free : plot->state));
                     return;
                 }
                 const QString paidOn = QStringLiteral("交款日期");
                 if (wrong.contains(paidOn) || wrong.contains(from) || wrong.contains(to))
                     return;
                 const QString payment =
                     QStringList{key, DateText::fromDate(dateOf(row[paidOn])), row[from], row[to]}.join(
                         QLatin1Char('/'));
                 if (const auto earlier = known.lamps.constFind(payment); earlier == known.lamps.cend())
                     known.lamps.insert(payment, row.row.line);
                 else if (*earlier > 0)
                     complain(paidOn, QStringLiteral("与本文件第 %1 行是同一笔缴费").arg(*earlier));
                 else
                     complain(paidOn, QStringLiteral("墓位 %1 这一笔缴费已经登记").arg(key));
             },
             [](const File& file, const QString& selection) {
                 QStringList keys;
                 for (const Row& row : file.rows)
                     keys << row.values.at(0);
                 return QList<Database::BulkChange>{
                     {QStringLiteral("cjdd"), QStringLiteral("批量添加"), selection, file.rows.size(), keys}};
             },
             [](Database& database, const Session& session, const File& file, const Known&) {
                 const Kind& kind = *ImportService::kind(QStringLiteral("cjdd"));
                 const QString doing = QStringLiteral("导入点灯缴费");
                 QSqlQuery insert =
                     kind.prepareInsert(database, QStringLiteral("cjdd"),
                                        {{QStringLiteral("操作人"), session.operatorName}}, doing);
                 for (const Row& row : file.rows) {
                     kind.insertRow(database, insert, row, doing);
                 }
             }},
    };
    return all;
}

const ImportService::Kind* ImportService::kind(const QString& table) {
    for (const Kind& kind : kinds())
        if (kind.table == table)
            return &kind;
    return nullptr;
}

ImportService::ImportService(Database& database, const Session& session, const DataFolder& folder,
                             const Clock& clock)
    : m_database(database), m_session(session), m_folder(folder), m_clock(clock) {}

QStringList ImportService::tables() {
    QStringList names;
    for (const Kind& kind : kinds())
        names << kind.table;
    return names;
}

QStringList ImportService::columns(const QString& table) {
    QStringList names;
    if (const Kind* found = kind(table))
        for (const Column& column : found->columns)
            names << column.name;
    return names;
}

QByteArray ImportService::templateFile(const QString& table) {
    QString text = CsvTable::line(columns(table)) + QStringLiteral("\r\n");
    if (const Kind* found = kind(table))
        text += found->examples;
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

QByteArray ImportService::exportFile(const QString& table) {
    QString text = CsvTable::line(columns(table)) + QStringLiteral("\r\n");
    if (const Kind* found = kind(table)) {
        const QList<StoredRow> rows =
            m_database.rows(found->exportSql, {}, QStringLiteral("导出") + found->title);
        for (const StoredRow& row : rows) {
            QStringList fields;
            for (const Column& column : found->columns)
                fields << fileValue(column.holds, row, column.name).trimmed();
            text += CsvTable::line(fields) + QStringLiteral("\r\n");
        }
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

BoundQuery ImportService::reportQuery(const Report& report, int shown) {
    // Bound values, a row of four a problem; the column types stated for a server.
    QStringList rows;
    QVariantList values;
    for (const Problem& problem : report.problems.mid(0, shown)) {
        rows << QStringLiteral("(CAST(? AS TEXT), CAST(? AS INTEGER), CAST(? AS TEXT), CAST(? AS TEXT))");
        values << problem.file << problem.line << problem.column << problem.text;
    }
    if (rows.isEmpty())
        return {QStringLiteral(
                    "SELECT * FROM (SELECT CAST(NULL AS TEXT) AS 文件, CAST(NULL AS INTEGER) AS 行, "
                    "CAST(NULL AS TEXT) AS 列, CAST(NULL AS TEXT) AS 问题) AS 问题表 WHERE 文件 IS NOT NULL"),
                {}};
    return {QStringLiteral("WITH 问题表 (文件, 行, 列, 问题) AS (VALUES %1) SELECT * FROM 问题表")
                .arg(rows.join(QStringLiteral(", "))),
            values};
}

QString ImportService::kindTitle(const QString& table) {
    if (const Kind* found = kind(table))
        return QStringLiteral("%1（%2.csv）").arg(found->title, table);
    return table + QStringLiteral(".csv");
}

QList<ImportService::File> ImportService::read(const QStringList& paths, Report& report) {
    QList<File> files;
    QSet<QString> seen;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        File file{path, info.fileName(), info.completeBaseName(), {}, {}};
        const auto problem = [&](int line, const QString& column, const QString& text) {
            report.problems.append({file.name, line, column, text});
        };
        const Kind* found = kind(file.table);
        if (!found) {
            problem(0, QString(),
                    QStringLiteral("文件名应为要导入的表名：%1")
                        .arg(tables().join(QStringLiteral(".csv、")) + QStringLiteral(".csv")));
            continue;
        }
        if (seen.contains(file.table)) {
            problem(0, QString(), QStringLiteral("同一种数据只能有一个文件"));
            continue;
        }
        seen.insert(file.table);
        QFile opened(path);
        if (!opened.open(QIODevice::ReadOnly)) {
            problem(0, QString(), QStringLiteral("无法读取文件：") + opened.errorString());
            continue;
        }
        const QByteArray bytes = opened.readAll();
        file.checksum = sha256(bytes);
        const CsvTable::Table table = CsvTable::read(bytes);
        if (!table.error.isEmpty()) {
            problem(0, QString(), table.error);
            continue;
        }
        if (table.records.isEmpty()) {
            problem(0, QString(), QStringLiteral("文件是空的，没有标题行"));
            continue;
        }
        // The header names the columns; their order is the file's own.
        const CsvTable::Record& header = table.records.first();
        const QList<Column>& known = found->columns;
        QList<qsizetype> places(known.size(), -1);
        qsizetype derivedPlace = -1;
        bool headerClean = true;
        for (qsizetype at = 0; at < header.fields.size(); ++at) {
            const QString name = header.fields.at(at).trimmed();
            if (const qsizetype index = found->index(name); index >= 0) {
                if (places.at(index) >= 0) {
                    problem(header.line, name, QStringLiteral("列名重复"));
                    headerClean = false;
                }
                places[index] = at;
            } else if (!found->derived.isEmpty() && name == found->derived) {
                derivedPlace = at;
            } else if (!name.isEmpty()) {
                problem(header.line, name, QStringLiteral("没有这一列"));
                headerClean = false;
            }
        }
        for (qsizetype index = 0; index < known.size(); ++index)
            if (places.at(index) < 0 && known.at(index).required) {
                problem(header.line, known.at(index).name, QStringLiteral("缺少这一列"));
                headerClean = false;
            }
        if (!headerClean)
            continue;
        for (qsizetype at = 1; at < table.records.size(); ++at) {
            const CsvTable::Record& record = table.records.at(at);
            Row row{record.line, {}, {}};
            for (const qsizetype place : std::as_const(places))
                row.values << (place >= 0 ? record.fields.value(place).trimmed() : QString());
            if (derivedPlace >= 0)
                row.derived = record.fields.value(derivedPlace).trimmed();
            file.rows << row;
        }
        report.rows += file.rows.size();
        files << file;
    }
    // Whatever order the files were given in, each kind goes after those it builds on.
    const QStringList order = tables();
    std::stable_sort(files.begin(), files.end(), [&order](const File& a, const File& b) {
        return order.indexOf(a.table) < order.indexOf(b.table);
    });
    return files;
}

ImportService::Known ImportService::office(const QList<File>& files) {
    Known known;
    known.today = m_clock.today();
    // The office's plots and registrations, read once.
    for (const StoredRow& plot : m_database.rows(
             QStringLiteral("SELECT 墓碑位置, 墓区, 状态 FROM mq_wz WHERE ") + Numbered::isPosition, {},
             QStringLiteral("读取墓位")))
        known.plots.insert(plot.text(plotKeyColumn),
                           {plot.text(QStringLiteral("墓区")), plot.text(QStringLiteral("状态")), 0});
    const auto present = [&files](const QString& table) {
        return std::any_of(files.begin(), files.end(),
                           [&table](const File& file) { return file.table == table; });
    };
    const bool burials = present(QStringLiteral("gm_xr"));
    const bool reservations = present(QStringLiteral("ydmd"));
    if (reservations)
        for (const QString& key :
             m_database.texts(QStringLiteral("SELECT DISTINCT 墓碑位置 FROM ydmd WHERE 墓碑位置 IS NOT NULL"),
                              {}, QStringLiteral("读取预订记录")))
            known.reserved.insert(key, 0);
    const bool lamps = present(QStringLiteral("cjdd"));
    if (lamps)
        for (const StoredRow& payment :
             m_database.rows(QStringLiteral("SELECT 墓碑位置, 交款日期, 起始年份, 终止年份 FROM cjdd"), {},
                             QStringLiteral("读取点灯缴费")))
            known.lamps.insert(QStringList{payment.text(plotKeyColumn),
                                           DateText::fromDate(payment.date(QStringLiteral("交款日期"))),
                                           payment.text(QStringLiteral("起始年份")),
                                           payment.text(QStringLiteral("终止年份"))}
                                   .join(QLatin1Char('/')),
                               0);
    if (burials || reservations || lamps || present(QStringLiteral("gm_dj")))
        for (const QString& key : m_database.texts(
                 QStringLiteral("SELECT DISTINCT 墓碑位置 FROM gm_dj WHERE 墓碑位置 IS NOT NULL"), {},
                 QStringLiteral("读取购墓登记")))
            known.registered.insert(key, 0);
    if (present(QStringLiteral("ghjc_wz")) || present(QStringLiteral("ghjc_dj"))) {
        for (const StoredRow& niche : m_database.rows(
                 QStringLiteral("SELECT 存放位置, 厅, 状态 FROM ghjc_wz WHERE ") + Numbered::isPosition, {},
                 QStringLiteral("读取寄存位")))
            known.niches.insert(niche.text(nicheKeyColumn),
                                {niche.text(QStringLiteral("厅")), niche.text(QStringLiteral("状态")), 0});
        for (const QString& key : m_database.texts(
                 QStringLiteral("SELECT DISTINCT 存放位置 FROM ghjc_dj WHERE 存放位置 IS NOT NULL"), {},
                 QStringLiteral("读取寄存登记")))
            known.stored.insert(key, 0);
    }
    if (burials)
        for (const StoredRow& person : m_database.rows(
                 QStringLiteral("SELECT 墓碑位置, 故者姓名 FROM gm_dj WHERE 故者姓名 IS NOT NULL"), {},
                 QStringLiteral("读取故者")))
            known.buried.insert(
                person.text(plotKeyColumn) + QLatin1Char('/') + person.text(QStringLiteral("故者姓名")), 0);
    return known;
}

void ImportService::checkRows(const QList<File>& files, Known& known, Report& report) {
    for (const File& file : files) {
        const Kind& fileKind = *kind(file.table);
        for (const Row& row : file.rows) {
            const Kind::Complain complain = [&](const QString& column, const QString& text) {
                report.problems.append({file.name, row.line, column, text});
            };
            QSet<QString> wrong;
            for (qsizetype at = 0; at < fileKind.columns.size(); ++at) {
                const Column& column = fileKind.columns.at(at);
                const QString& value = row.values.at(at);
                QString problem;
                if (value.isEmpty()) {
                    if (column.required)
                        problem = QStringLiteral("不能为空");
                } else {
                    problem = valueProblem(column.holds, value);
                }
                if (!problem.isEmpty()) {
                    complain(column.name, problem);
                    wrong.insert(column.name);
                }
            }
            fileKind.check({fileKind, row}, wrong, known, complain);
        }
    }
}

QString ImportService::Report::refusal() const {
    return QStringLiteral("检查出 %1 个问题，没有导入任何数据。").arg(problems.size());
}

ImportService::Report ImportService::check(const QStringList& paths) {
    Report report;
    const QList<File> files = read(paths, report);
    Known known = office(files);
    checkRows(files, known, report);
    return report;
}

ImportService::Outcome ImportService::import(const QStringList& paths) {
    Outcome outcome;
    if (!m_session.isAdmin()) {
        outcome.message = QStringLiteral("只有系统管理员才能导入数据！");
        return outcome;
    }
    QElapsedTimer timer;
    timer.start();
    const QList<File> files = read(paths, outcome.report);
    const Known checkedAgainst = office(files);
    Known checked = checkedAgainst;
    checkRows(files, checked, outcome.report);
    m_timings.check = since(timer);
    if (!outcome.report.clean()) {
        outcome.message = outcome.report.refusal();
        return outcome;
    }

    // Whatever goes wrong, the office as it was stays in a verified copy.
    timer.restart();
    try {
        outcome.backup =
            BackupService(m_database, m_folder, m_clock).backupBefore(QStringLiteral("导入数据"));
    } catch (const DatabaseError& error) {
        outcome.message = QStringLiteral("导入前备份数据失败，没有导入任何数据。\n") + error.message();
        return outcome;
    }
    m_timings.backup = since(timer);

    timer.restart();
    const Database::LongWork longWork(m_database);
    const Report written = m_database.transaction([&]() -> Report {
        // Another desk may have changed the office since the rows were checked: what the checks read of it
        // is read again where the rows go in, and the rows checked again when it differs. The checks read
        // nothing else of the office.
        Report report;
        report.rows = outcome.report.rows;
        Known now = office(files);
        const bool changed = now != checkedAgainst;
        if (changed) {
            checkRows(files, now, report);
            if (!report.clean())
                return report;
        }
        const Known& known = changed ? now : checked;
        QList<Database::BulkChange> changes;
        for (const File& file : files)
            changes +=
                kind(file.table)
                    ->changes(file,
                              QStringLiteral("导入文件 %1（SHA-256 %2）").arg(file.name, file.checksum));
        m_database.inBulk(changes, [&] {
            for (const File& file : files)
                kind(file.table)->write(m_database, m_session, file, known);
        });
        return report;
    });
    m_timings.writing = since(timer);
    outcome.report = written;
    if (!written.clean()) {
        outcome.message = written.refusal();
        return outcome;
    }
    outcome.imported = true;
    outcome.message = QStringLiteral("导入完毕！共导入 %1 条记录。\n导入前的数据已备份到：%2")
                          .arg(written.rows)
                          .arg(outcome.backup);
    return outcome;
}
