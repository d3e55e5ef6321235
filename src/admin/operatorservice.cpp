#include "admin/operatorservice.h"

#include "admin/rightseditor.h"
#include "foundation/database.h"
#include "foundation/passwordhash.h"
#include "foundation/prompter.h"
#include "shared/rights.h"
#include "shared/session.h"

namespace {

const QString admin = QStringLiteral("Admin");

Message onlyAdmin() {
    return notice(QStringLiteral("系统管理员Admin才有此权限！"));
}

// The mark columns in the order of RightMarks.
const QStringList markColumns = {QStringLiteral("系统管理"), QStringLiteral("记录添加"),
                                 QStringLiteral("记录修改"), QStringLiteral("记录删除"),
                                 QStringLiteral("记录打印")};

} // namespace

OperatorService::OperatorService(Database& database, const Session& session, Prompter& prompter)
    : m_database(database), m_session(session), m_prompter(prompter) {}

QStringList OperatorService::operators() {
    return allOperators(m_database);
}

RightMarks OperatorService::marks(const QString& name) {
    QSqlQuery query = m_database.exec(
        QStringLiteral("SELECT %1 FROM czy WHERE 操作员 = ?").arg(markColumns.join(QStringLiteral(", "))),
        {name}, QStringLiteral("读取操作员权限标记"));
    RightMarks marks;
    if (query.next()) {
        const auto allowed = [&query](int column) { return query.value(column).toInt() == 0; };
        marks = {allowed(0), allowed(1), allowed(2), allowed(3), allowed(4)};
    }
    return marks;
}

SaveOutcome OperatorService::saveMarks(const QString& picked, const RightMarks& loaded,
                                       const RightMarks& marks) {
    if (picked.trimmed().isEmpty())
        return {};
    if (picked == admin)
        return refused(notice(QStringLiteral("Admin为系统管理员，拥有所有权限！")));
    if (!m_session.isAdmin())
        return refused(onlyAdmin());
    const auto ticks = [](const RightMarks& shown) {
        return QList<bool>{shown.system, shown.add, shown.modify, shown.remove, shown.print};
    };
    const GuardedUpdate::Result result = m_database.transaction([&] {
        GuardedUpdate update(m_database, QStringLiteral("czy"), QStringLiteral("操作员 = ?"), {picked});
        // A tick means allowed, stored as 0.
        for (int i = 0; i < markColumns.size(); ++i)
            update.edit(markColumns.at(i), ticks(loaded).at(i) ? 0 : 1, ticks(marks).at(i) ? 0 : 1);
        return update.run(QStringLiteral("保存权限标记"));
    });
    if (result == GuardedUpdate::Result::Gone)
        return refused(operatorGone());
    if (result == GuardedUpdate::Result::Stale)
        return refused(rightsChanged());
    return done(notice(QStringLiteral("修改权限完成！")));
}

std::optional<Message> OperatorService::refuseAdding() const {
    if (m_session.isAdmin())
        return std::nullopt;
    return onlyAdmin();
}

SaveOutcome OperatorService::checkNewCode(const QString& code) {
    const bool taken = m_database
                           .scalar(QStringLiteral("SELECT count(*) FROM czy WHERE 操作员 = ?"),
                                   {code.trimmed()}, QStringLiteral("检查操作员代码"))
                           .toInt() > 0;
    if (taken)
        return refused({Prompter::Icon::Exclamation, QString(), QStringLiteral("此管理员已存在！")},
                       QStringLiteral("Text1"), QStringLiteral("Text1"));
    return done();
}

SaveOutcome OperatorService::add(const NewOperator& input) {
    if (const auto refusal = refuseAdding())
        return refused(*refusal);
    const QString code = input.code.trimmed();
    const QString password = input.password.trimmed();
    if (code.isEmpty() || password.isEmpty() || input.confirmation.isEmpty() ||
        password != input.confirmation.trimmed())
        return {};
    return m_database.transaction([&] {
        // Another desk may have taken the code since the box was left.
        SaveOutcome outcome = checkNewCode(code);
        if (!outcome.saved)
            return outcome;
        m_database.insert(QStringLiteral("czy"),
                          {{QStringLiteral("操作员"), code},
                           {QStringLiteral("口令"), PasswordHash::make(password)},
                           {QStringLiteral("级别"), input.level.trimmed()},
                           {QStringLiteral("权限字符"), QString(Item::Count, QLatin1Char('0'))},
                           {QStringLiteral("打印报表"), QStringLiteral("")}},
                          QStringLiteral("添加操作员"));
        return outcome;
    });
}

SaveOutcome OperatorService::remove(const QString& picked, int listed) {
    if (listed <= 1 || picked.isEmpty())
        return {};
    if (picked == admin)
        return refused(notice(QStringLiteral("Admin为系统管理员，不能注销！")));
    if (!m_session.isAdmin())
        return refused(onlyAdmin());
    if (m_prompter.ask(QStringLiteral("提示"), QStringLiteral("真的要注销吗？  ")) != Prompter::Answer::Yes)
        return {};
    m_database.transaction([&] {
        m_database.exec(QStringLiteral("DELETE FROM czy WHERE 操作员 = ?"), {picked},
                        QStringLiteral("注销操作员"));
    });
    return done();
}

std::optional<Message> OperatorService::refusePasswordChange(const QString& picked) const {
    if (picked == m_session.operatorName)
        return std::nullopt;
    return notice(QStringLiteral("您只能修改自己的密码！"));
}

SaveOutcome OperatorService::changePassword(const QString& picked, const QString& password,
                                            const QString& confirmation) {
    if (const auto refusal = refusePasswordChange(picked))
        return refused(*refusal);
    const QString typed = password.trimmed();
    if (picked.isEmpty() || typed.isEmpty())
        return {};
    if (typed != confirmation.trimmed())
        return refused({Prompter::Icon::Exclamation, QStringLiteral("修改密码"),
                        QStringLiteral("两次输入的密码不一致！")},
                       QStringLiteral("Text_mm1"), QStringLiteral("Text_mm2"));
    m_database.transaction([&] {
        m_database.exec(QStringLiteral("UPDATE czy SET 口令 = ? WHERE 操作员 = ?"),
                        {PasswordHash::make(typed), picked}, QStringLiteral("修改密码"));
    });
    return done(
        Message{Prompter::Icon::Information, QStringLiteral("修改密码"), QStringLiteral("密码修改成功！")});
}
