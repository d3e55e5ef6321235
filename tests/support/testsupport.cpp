#include "support/testsupport.h"

#include "foundation/passwordhash.h"

#include <QSqlRecord>
#include <QTest>

QStringList ScriptedPrompter::texts() const {
    QStringList all;
    for (const auto& message : shown)
        all << message.text;
    return all;
}

void ScriptedPrompter::inform(Icon icon, const QString& caption, const QString& text) {
    shown.append({icon, caption, text});
}

Prompter::Answer ScriptedPrompter::ask(const QString& caption, const QString& text, bool) {
    shown.append({Icon::Question, caption, text});
    if (answers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + text), __FILE__, __LINE__);
        return Answer::No;
    }
    return answers.dequeue();
}

std::optional<QString> ScriptedPrompter::inputText(const QString& caption, const QString& prompt,
                                                   const QString&) {
    shown.append({Icon::None, caption, prompt});
    if (inputs.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected input box: ") + prompt), __FILE__, __LINE__);
        return std::nullopt;
    }
    return inputs.dequeue();
}

QString ScriptedPrompter::openFileName(const QString&, const QString&, const QString&) {
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

QString ScriptedPrompter::saveFileName(const QString&, const QString&, const QString&) {
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

std::optional<Prompter::FontChoice> ScriptedPrompter::pickFont(const FontChoice&) {
    return fonts.isEmpty() ? std::nullopt : fonts.dequeue();
}

void RecordingLauncher::startDetached(const QString& program, const QStringList& arguments) {
    started.append({program, arguments});
}

QStringList RecordingLauncher::tails() const {
    QStringList all;
    for (const auto& start : started)
        all << start.arguments.value(0);
    return all;
}

QStringList handedToPrint(const QList<PrintJob>& jobs) {
    QStringList handed;
    for (const PrintJob& job : jobs)
        handed << QString(job.listName.value_or(QString()) + u'|' + PrintBridge::commandTail(job));
    return handed;
}

TestData::TestData() : m_folder(m_dir.path()) {
    m_folder.prepare();
    PasswordHash::setCost(PasswordHash::Cost::Cheapest);
    m_database = std::make_unique<Database>(m_folder.databaseFile(), Database::Mode::Create);
}

void TestData::sql(const QString& statement, const QVariantList& values) {
    try {
        m_database->exec(statement, values, QStringLiteral("test setup"));
    } catch (const DatabaseError& error) {
        QTest::qFail(qPrintable(error.message()), __FILE__, __LINE__);
    }
}

QVariant TestData::value(const QString& query, const QVariantList& values) {
    return m_database->scalar(query, values, QStringLiteral("test read"));
}

int TestData::count(const QString& table, const QString& where, const QVariantList& values) {
    const QString query = QStringLiteral("SELECT count(*) FROM ") + table +
                          (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where);
    return value(query, values).toInt();
}

QString TestData::dump(const QString& table) {
    QSqlQuery query =
        m_database->exec(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY rowid"), {},
                         QStringLiteral("test dump"));
    QStringList lines;
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < query.record().count(); ++i)
            fields << query.value(i).toString();
        lines << fields.join(QLatin1Char('|'));
    }
    return lines.join(QLatin1Char('\n'));
}

void TestData::addOperator(const QString& name, const QString& password, const QString& level,
                           const QString& permissions, const QString& reports) {
    sql(QStringLiteral("INSERT INTO czy (操作员, 口令, 级别, 权限字符, 打印报表) VALUES (?, ?, ?, ?, ?)"),
        {name, PasswordHash::make(password), level, permissions, reports.isNull() ? QVariant() : reports});
}

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QStringList texts(std::initializer_list<const char*> utf8) {
    QStringList list;
    for (const char* value : utf8)
        list << text(value);
    return list;
}

QDateTime testNow() {
    return QDateTime(QDate(2026, 12, 6), QTime(9, 30, 0));
}
