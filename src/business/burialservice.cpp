#include "business/burialservice.h"

#include "business/plotstatecheck.h"
#include "business/purchaseservice.h"
#include "foundation/clock.h"
#include "foundation/columntext.h"
#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/session.h"
#include "foundation/sqlliteral.h"
#include "graves/plotvocabulary.h"

namespace {

const QString duplicateName = QStringLiteral("此人已存在记录中,请重新填写！");

} // namespace

BurialService::BurialService(Database& database, const Session& session, const Clock& clock)
    : m_database(database), m_session(session), m_clock(clock) {}

std::optional<PlotRegistration> BurialService::registration(const QString& key) {
    QSqlQuery row = m_database.exec(
        QStringLiteral(
            "SELECT 编号, 购墓日期, 日期起, 日期止, 联系人, 身份证号, 工作单位, 家庭住址, 联系电话, "
            "手机, 墓碑类型, 主碑材质, 底碑材质, 证书编号, 关系 FROM gm_dj WHERE 墓碑位置 = ? "
            "ORDER BY rid LIMIT 1"),
        {key}, QStringLiteral("读取购墓登记"));
    if (!row.next())
        return std::nullopt;
    const auto text = [&row](int column) { return ColumnText::plain(row.value(column)); };
    const auto date = [&row](int column) { return DateText::toDate(row.value(column).toString()); };
    return PlotRegistration{text(0), date(1), date(2),  date(3),  text(4),  text(5),  text(6), text(7),
                            text(8), text(9), text(10), text(11), text(12), text(13), text(14)};
}

SaveOutcome BurialService::save(const BurialForm& form) {
    const DeceasedForm& person = form.person;
    if (m_session.flags.addDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有添加记录的权限！")));
    if (form.useFrom > form.useUntil)
        return refused(notice(QStringLiteral("使用日期起始错误！")));
    if (person.name.trimmed().isEmpty() || person.sex.trimmed().isEmpty())
        return refused(notice(QStringLiteral("故者姓名、性别每项不能为空！")));
    if (Deceased::datesWrong(person, m_clock.today()))
        return refused(notice(QStringLiteral("故者情况日期错误！")));
    if (person.contact.trimmed().isEmpty())
        return refused(notice(QStringLiteral("联系人姓名每项不能为空！")));

    const QString key = form.plotKey.trimmed();
    const QString name = person.name.trimmed();
    std::optional<QString> refusal;
    qint64 written = 0;
    m_database.transaction([&] {
        if (m_database
                .scalar(QStringLiteral("SELECT 1 FROM gm_dj WHERE 墓碑位置 = ? AND 故者姓名 = ?"),
                        {key, name}, QStringLiteral("查找同名故者"))
                .isValid()) {
            refusal = duplicateName;
            return;
        }
        // A plot returned since the window opened takes no burial.
        const PlotStateCheck check = checkPlotState(m_database, key, PlotState::sold, QStringLiteral("落葬"));
        if (check.refusal) {
            refusal = check.refusal;
            return;
        }
        Deceased::addName(m_database, key, name, person.sex.trimmed(), person.buried);

        const QList<Database::Column> values =
            QList<Database::Column>{{QStringLiteral("编号"), PurchaseService::wholeNumber(form.number)},
                                    {QStringLiteral("日期起"), DateText::fromDate(form.useFrom)},
                                    {QStringLiteral("日期止"), DateText::fromDate(form.useUntil)},
                                    {QStringLiteral("墓碑类型"), form.stoneType.trimmed()},
                                    {QStringLiteral("主碑材质"), form.mainStone.trimmed()},
                                    {QStringLiteral("底碑材质"), form.baseStone.trimmed()}} +
            Deceased::columns(person);
        // The first burial completes the purchase row; every further one has a row of its own.
        QSqlQuery first = m_database.exec(
            QStringLiteral("SELECT rid, 故者姓名 FROM gm_dj WHERE 墓碑位置 = ? ORDER BY rid LIMIT 1"), {key},
            QStringLiteral("读取购墓登记"));
        if (first.next() && first.value(1).isNull()) {
            written = first.value(0).toLongLong();
            QSqlQuery update =
                m_database.prepareUpdate(QStringLiteral("gm_dj"), values, QStringLiteral("rid = ?"),
                                         {written}, QStringLiteral("写入落葬登记"));
            m_database.run(update, QStringLiteral("写入落葬登记"));
        } else {
            written = m_database
                          .insert(QStringLiteral("gm_dj"),
                                  QList<Database::Column>{
                                      {QStringLiteral("墓碑位置"), key},
                                      {QStringLiteral("购墓日期"), DateText::fromDate(form.boughtOn)}} +
                                      values,
                                  QStringLiteral("写入落葬登记"));
        }
    });
    if (refusal)
        return refused(notice(*refusal), *refusal == duplicateName ? QStringLiteral("Mask1") : QString());
    return done(congratulation(QStringLiteral("输入成功")),
                Deceased::prints(key, written, person.sex.trimmed()));
}

SaveOutcome BurialService::changeUseDates(const QString& key, const QDate& useFrom, const QDate& useUntil) {
    if (m_session.flags.modifyDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有修改记录的权限！")));
    if (useFrom > useUntil)
        return refused(notice(QStringLiteral("使用日期起始错误！")));
    std::optional<QString> refusal;
    m_database.transaction([&] {
        const PlotStateCheck check =
            checkPlotState(m_database, key, PlotState::sold, QStringLiteral("更改使用日期"));
        if (check.refusal) {
            refusal = check.refusal;
            return;
        }
        // Every register row of the plot carries the period, as a renewal moves them all.
        m_database.exec(QStringLiteral("UPDATE gm_dj SET 日期起 = ?, 日期止 = ? WHERE 墓碑位置 = ?"),
                        {DateText::fromDate(useFrom), DateText::fromDate(useUntil), key},
                        QStringLiteral("更改使用日期"));
    });
    if (refusal)
        return refused(notice(*refusal));
    return done(notice(QStringLiteral("更改成功!")));
}
