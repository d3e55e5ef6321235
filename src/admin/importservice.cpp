#include "admin/importservice.h"

#include "admin/backupservice.h"

#include "foundation/bulkkeys.h"
#include "foundation/clock.h"
#include "foundation/csvtable.h"
#include "foundation/database.h"
#include "foundation/datafolder.h"
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

namespace {

const QString plots = QStringLiteral("mq_wz");

// What a column of a file holds, which decides how its text is checked and stored.
enum class Holds { Text, Key, Money, Flag, State, Style };

struct Column {
    QString name;
    Holds holds = Holds::Text;
    bool required = false;
};

const QList<Column>& plotColumns() {
    static const QList<Column> columns = {
        {QStringLiteral("墓区"), Holds::Text, true},  {QStringLiteral("排"), Holds::Text},
        {QStringLiteral("号"), Holds::Key, true},     {QStringLiteral("样式"), Holds::Style},
        {QStringLiteral("墓地费"), Holds::Money},     {QStringLiteral("墓碑费"), Holds::Money},
        {QStringLiteral("工料费"), Holds::Money},     {QStringLiteral("家族费"), Holds::Money},
        {QStringLiteral("绿化费"), Holds::Money},     {QStringLiteral("其它"), Holds::Money},
        {QStringLiteral("状态"), Holds::State, true}, {QStringLiteral("寿穴"), Holds::Flag},
    };
    return columns;
}

// Columns a file may carry that are made from others: checked, never written.
const QString plotKeyColumn = QStringLiteral("墓碑位置");

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

// What a spreadsheet makes of a long number it was not told is text: 3.3010219800315E+17.
bool isScientific(const QString& text) {
    static const QRegularExpression scientific(QStringLiteral("^[+-]?\\d+(\\.\\d+)?[Ee][+-]?\\d+$"));
    return scientific.match(text).hasMatch();
}

// The reason an amount's text is refused; empty when it is an amount to the cent.
QString amountProblem(const QString& text) {
    static const QRegularExpression amount(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
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
    static const QRegularExpression digits(QStringLiteral("^\\d+$"));
    if (text.size() == 4 && digits.match(text).hasMatch())
        return QString();
    if (text.size() < 4 && digits.match(text).hasMatch())
        return QStringLiteral("号“%1”前面的零已丢失，应为“%2”").arg(text, PositionKey::fourDigitNumber(text));
    return QStringLiteral("号“%1”应为四位数字").arg(text);
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
};

struct ImportService::File {
    QString path;
    QString name;
    QString table;
    QString checksum;
    QList<Row> rows;
};

ImportService::ImportService(Database& database, const Session& session, const DataFolder& folder,
                             const Clock& clock)
    : m_database(database), m_session(session), m_folder(folder), m_clock(clock) {}

QStringList ImportService::tables() {
    return {plots};
}

QStringList ImportService::columns(const QString& table) {
    QStringList names;
    if (table == plots)
        for (const Column& column : plotColumns())
            names << column.name;
    return names;
}

QByteArray ImportService::templateFile(const QString& table) {
    QString text = CsvTable::line(columns(table)) + QStringLiteral("\r\n");
    if (table == plots)
        text += QStringLiteral("东区,1,0001,单人墓,12000,3000,800.50,0,200,100,未使用,0\r\n"
                               "东区,1,0002,双人墓,24000,5000,1200,0,300,150.25,已购,1\r\n");
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

QByteArray ImportService::exportFile(const QString& table) {
    const QStringList names = columns(table);
    QString text = CsvTable::line(names) + QStringLiteral("\r\n");
    if (table == plots) {
        const QList<StoredRow> rows = m_database.rows(
            QStringLiteral("SELECT * FROM mq_wz WHERE %1 ORDER BY 墓区, 排, 号").arg(Numbered::isPosition),
            {}, QStringLiteral("导出墓位"));
        for (const StoredRow& row : rows) {
            QStringList fields;
            for (const Column& column : plotColumns()) {
                if (column.holds == Holds::Money)
                    fields << (row.isNull(column.name) ? QString() : Money::format(row.number(column.name)));
                else if (column.holds == Holds::Flag)
                    fields << QString::number(row.whole(column.name));
                else
                    fields << row.text(column.name);
            }
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
    if (table == plots)
        return QStringLiteral("墓位（%1.csv）").arg(table);
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
        if (!tables().contains(file.table)) {
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
        const QStringList known = columns(file.table);
        QList<qsizetype> places(known.size(), -1);
        qsizetype keyPlace = -1;
        bool headerClean = true;
        for (qsizetype at = 0; at < header.fields.size(); ++at) {
            const QString name = header.fields.at(at).trimmed();
            if (const qsizetype index = known.indexOf(name); index >= 0) {
                if (places.at(index) >= 0) {
                    problem(header.line, name, QStringLiteral("列名重复"));
                    headerClean = false;
                }
                places[index] = at;
            } else if (file.table == plots && name == plotKeyColumn) {
                keyPlace = at;
            } else if (!name.isEmpty()) {
                problem(header.line, name, QStringLiteral("没有这一列"));
                headerClean = false;
            }
        }
        for (qsizetype index = 0; index < known.size(); ++index)
            if (places.at(index) < 0 && plotColumns().at(index).required) {
                problem(header.line, known.at(index), QStringLiteral("缺少这一列"));
                headerClean = false;
            }
        if (!headerClean)
            continue;
        for (qsizetype at = 1; at < table.records.size(); ++at) {
            const CsvTable::Record& record = table.records.at(at);
            Row row{record.line, {}};
            for (const qsizetype place : std::as_const(places))
                row.values << (place >= 0 ? record.fields.value(place).trimmed() : QString());
            if (keyPlace >= 0)
                row.values << record.fields.value(keyPlace).trimmed();
            file.rows << row;
        }
        report.rows += file.rows.size();
        files << file;
    }
    return files;
}

void ImportService::checkRows(QList<File>& files, Report& report) {
    for (File& file : files) {
        if (file.table != plots)
            continue;
        // Every plot of the office, read once.
        QSet<QString> existing;
        for (const QString& key :
             m_database.texts(QStringLiteral("SELECT 墓碑位置 FROM mq_wz WHERE ") + Numbered::isPosition, {},
                              QStringLiteral("读取墓位")))
            existing.insert(key);
        QHash<QString, int> inFile;
        const QList<Column>& kind = plotColumns();
        for (const Row& row : std::as_const(file.rows)) {
            const auto problem = [&](const QString& column, const QString& text) {
                report.problems.append({file.name, row.line, column, text});
            };
            bool keyWhole = true;
            for (qsizetype at = 0; at < kind.size(); ++at) {
                const Column& column = kind.at(at);
                const QString& value = row.values.at(at);
                if (value.isEmpty()) {
                    if (column.required) {
                        problem(column.name, QStringLiteral("不能为空"));
                        if (at <= 2)
                            keyWhole = false; // 墓区 or 号: no key to compare
                    }
                    continue;
                }
                QString wrong;
                switch (column.holds) {
                case Holds::Text:
                    if (isScientific(value))
                        wrong = QStringLiteral("“%1”已被电子表格改为科学记数法，原来的数字已丢失").arg(value);
                    break;
                case Holds::Key:
                    wrong = numberProblem(value);
                    keyWhole = keyWhole && wrong.isEmpty();
                    break;
                case Holds::Money:
                    wrong = amountProblem(value);
                    break;
                case Holds::Flag:
                    if (value != QLatin1String("0") && value != QLatin1String("1"))
                        wrong = QStringLiteral("应为 0 或 1：%1").arg(value);
                    break;
                case Holds::State:
                    if (!plotStates().contains(value))
                        wrong = QStringLiteral("未知的状态“%1”（可用：%2）")
                                    .arg(value, plotStates().join(QStringLiteral("、")));
                    break;
                case Holds::Style:
                    if (!plotStyles().contains(value))
                        wrong = QStringLiteral("未知的样式“%1”（可用：%2）")
                                    .arg(value, plotStyles().join(QStringLiteral("、")));
                    break;
                }
                if (!wrong.isEmpty())
                    problem(column.name, wrong);
            }
            if (!keyWhole)
                continue;
            const QString key = PositionKey::plot(row.values.at(0), row.values.at(1), row.values.at(2));
            if (row.values.size() > kind.size() && !row.values.last().isEmpty() && row.values.last() != key)
                problem(plotKeyColumn,
                        QStringLiteral("“%1”与墓区、排、号不符（应为“%2”）").arg(row.values.last(), key));
            if (const auto first = inFile.constFind(key); first != inFile.cend())
                problem(QStringLiteral("号"),
                        QStringLiteral("墓位 %1 在本文件第 %2 行已有").arg(key).arg(*first));
            else
                inFile.insert(key, row.line);
            if (existing.contains(key))
                problem(QStringLiteral("号"), QStringLiteral("墓位 %1 已经存在").arg(key));
        }
    }
}

QString ImportService::Report::refusal() const {
    return QStringLiteral("检查出 %1 个问题，没有导入任何数据。").arg(problems.size());
}

ImportService::Report ImportService::check(const QStringList& paths) {
    Report report;
    QList<File> files = read(paths, report);
    checkRows(files, report);
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
    QList<File> files = read(paths, outcome.report);
    checkRows(files, outcome.report);
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
        // Another desk may have added a plot since the dry run: checked again where the rows go in.
        Report report;
        report.rows = outcome.report.rows;
        checkRows(files, report);
        if (!report.clean())
            return report;
        QList<Database::BulkChange> changes;
        for (const File& file : std::as_const(files)) {
            QStringList keys;
            for (const Row& row : file.rows)
                keys << PositionKey::plot(row.values.at(0), row.values.at(1), row.values.at(2));
            changes.append({file.table, QStringLiteral("批量添加"),
                            QStringLiteral("导入文件 %1（SHA-256 %2）").arg(file.name, file.checksum),
                            file.rows.size(), keys});
        }
        m_database.inBulk(changes, [&] {
            for (const File& file : std::as_const(files)) {
                QList<Database::Column> columns;
                for (const Column& column : plotColumns())
                    columns.append({column.name, QVariant()});
                QSqlQuery insert = m_database.prepareInsert(file.table, columns, QStringLiteral("导入墓位"));
                QSet<QString> areas;
                for (const Row& row : file.rows) {
                    for (qsizetype at = 0; at < plotColumns().size(); ++at) {
                        const Column& column = plotColumns().at(at);
                        const QString& value = row.values.at(at);
                        QVariant stored = value;
                        if (column.holds == Holds::Money)
                            stored = value.isEmpty() ? QVariant(QMetaType(QMetaType::Double))
                                                     : QVariant(Money::roundCents(value.toDouble()));
                        else if (column.holds == Holds::Flag)
                            stored = value == QLatin1String("1") ? 1 : 0;
                        insert.bindValue(static_cast<int>(at), stored);
                    }
                    m_database.run(insert, QStringLiteral("导入墓位"));
                    areas.insert(row.values.at(0));
                }
                for (const QString& area : std::as_const(areas))
                    m_database.notifyChange(ChangeNotifier::Subject::Plots, area);
            }
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
