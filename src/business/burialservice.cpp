#include "business/burialservice.h"

#include "business/plotstatecheck.h"
#include "business/purchaseservice.h"
#include "business/registerrows.h"
#include "foundation/clock.h"
#include "foundation/columntext.h"
#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/guardedupdate.h"
#include "foundation/sqlliteral.h"
#include "graves/plotvocabulary.h"
#include "shared/numberedplace.h"
#include "shared/session.h"

#include <algorithm>

namespace {

const QString duplicateName = QStringLiteral("此人已存在记录中,请重新填写！");
// What the stone lists show for a stone not chosen yet.
const QString undecided = QStringLiteral("未定");

// A field of the registration the window was filled with: the value as stored, as the window showed
// it, and as it holds it now.
struct LoadedField {
    QString column;
    QVariant stored;
    QVariant shown;
    QVariant typed;
    bool touched() const { return !GuardedUpdate::same(shown, typed); }
};

QList<LoadedField> loadedFields(const BurialForm& form) {
    const PlotRegistration& loaded = form.loaded;
    const DeceasedForm& person = form.person;
    const auto text = [](const QString& column, const QString& stored, const QString& typed) {
        return LoadedField{column, stored, stored.trimmed(), typed.trimmed()};
    };
    const auto stone = [](const QString& column, const QString& stored, const QString& typed) {
        return LoadedField{column, stored, stored.isEmpty() ? undecided : stored.trimmed(), typed.trimmed()};
    };
    return {{QStringLiteral("购墓日期"), loaded.boughtOn, loaded.boughtOn, form.boughtOn},
            {QStringLiteral("日期起"), loaded.useFrom, loaded.useFrom, form.useFrom},
            {QStringLiteral("日期止"), loaded.useUntil, loaded.useUntil, form.useUntil},
            stone(QStringLiteral("墓碑类型"), loaded.stoneType, form.stoneType),
            stone(QStringLiteral("主碑材质"), loaded.mainStone, form.mainStone),
            stone(QStringLiteral("底碑材质"), loaded.baseStone, form.baseStone),
            text(QStringLiteral("联系人"), loaded.contact, person.contact),
            text(QStringLiteral("关系"), loaded.relation, person.relation),
            text(QStringLiteral("身份证号"), loaded.idNumber, person.idNumber),
            text(QStringLiteral("工作单位"), loaded.workUnit, person.workUnit),
            text(QStringLiteral("家庭住址"), loaded.address, person.address),
            text(QStringLiteral("联系电话"), loaded.phone, person.phone),
            text(QStringLiteral("手机"), loaded.mobile, person.mobile),
            text(QStringLiteral("证书编号"), loaded.certificate, person.certificate)};
}

// The deceased's own columns, which the window did not load.
QList<Database::Column> deceasedColumns(const DeceasedForm& person, const QList<LoadedField>& loaded) {
    QList<Database::Column> columns = Deceased::columns(person);
    columns.removeIf([&loaded](const Database::Column& column) {
        return std::any_of(loaded.begin(), loaded.end(),
                           [&column](const LoadedField& field) { return field.column == column.name; });
    });
    return columns;
}

} // namespace

BurialService::BurialService(const ServiceContext& context)
    : m_database(context.database), m_session(context.session), m_clock(context.clock) {}

std::optional<PlotRegistration> BurialService::registration(const QString& key) {
    const std::optional<StoredRow> row = RegisterRows::read(
        m_database, key, RegisterRows::Which::First,
        {QStringLiteral("编号"), QStringLiteral("购墓日期"), QStringLiteral("日期起"),
         QStringLiteral("日期止"), QStringLiteral("联系人"), QStringLiteral("身份证号"),
         QStringLiteral("工作单位"), QStringLiteral("家庭住址"), QStringLiteral("联系电话"),
         QStringLiteral("手机"), QStringLiteral("墓碑类型"), QStringLiteral("主碑材质"),
         QStringLiteral("底碑材质"), QStringLiteral("证书编号"), QStringLiteral("关系")},
        QStringLiteral("读取购墓登记"));
    if (!row)
        return std::nullopt;
    const auto text = [&row](const char* column) { return row->text(QString::fromUtf8(column)); };
    const auto date = [&row](const char* column) { return row->date(QString::fromUtf8(column)); };
    return PlotRegistration{text("编号"),     date("购墓日期"), date("日期起"),   date("日期止"),
                            text("联系人"),   text("身份证号"), text("工作单位"), text("家庭住址"),
                            text("联系电话"), text("手机"),     text("墓碑类型"), text("主碑材质"),
                            text("底碑材质"), text("证书编号"), text("关系")};
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
    const QList<LoadedField> loaded = loadedFields(form);
    struct Written {
        std::optional<QString> refusal;
        qint64 row = 0;
    };
    const Written written = m_database.transaction([&]() -> Written {
        if (m_database
                .scalar(QStringLiteral("SELECT 1 FROM gm_dj WHERE 墓碑位置 = ? AND 故者姓名 = ?"),
                        {key, name}, QStringLiteral("查找同名故者"))
                .isValid())
            return {duplicateName};
        // A plot returned since the window opened takes no burial.
        const PlotStateCheck check = checkPlotState(m_database, key, PlotState::sold, QStringLiteral("落葬"));
        if (check.refusal)
            return {check.refusal};

        // The registration as stored now: a renewal at another desk may have moved the use period.
        QSqlQuery first = m_database.exec(
            QStringLiteral(
                "SELECT rid, 故者姓名, 编号, 购墓日期, 日期起, 日期止, 墓碑类型, 主碑材质, 底碑材质, "
                "联系人, 关系, 身份证号, 工作单位, 家庭住址, 联系电话, 手机, 证书编号 FROM gm_dj "
                "WHERE 墓碑位置 = ? ORDER BY rid LIMIT 1"),
            {key}, QStringLiteral("读取购墓登记"));
        const bool hasFirst = first.next();
        qint64 row = 0;
        // The first burial completes the purchase row; every further one has a row of its own.
        if (hasFirst && first.value(QStringLiteral("故者姓名")).isNull()) {
            row = first.value(QStringLiteral("rid")).toLongLong();
            GuardedUpdate update(m_database, QStringLiteral("gm_dj"), QStringLiteral("rid = ?"), {row});
            for (const LoadedField& field : loaded)
                if (field.touched() && field.column != QStringLiteral("购墓日期"))
                    update.edit(field.column, field.stored, field.typed);
            for (const Database::Column& column : deceasedColumns(person, loaded))
                update.set(column.name, column.value);
            if (update.run(QStringLiteral("写入落葬登记")) != GuardedUpdate::Result::Written)
                return {GuardedUpdate::staleText()};
        } else {
            QList<Database::Column> values = {{QStringLiteral("墓碑位置"), key}};
            const auto stored = [&](const QString& column) {
                return hasFirst ? first.value(column) : QVariant();
            };
            values.append({QStringLiteral("编号"), hasFirst ? stored(QStringLiteral("编号"))
                                                            : QVariant(Numbered::wholeNumber(form.number))});
            for (const LoadedField& field : loaded) {
                const QVariant typed = field.typed.typeId() == QMetaType::QDate
                                           ? QVariant(DateText::fromDate(field.typed.toDate()))
                                           : field.typed;
                values.append({field.column, field.touched() || !hasFirst ? typed : stored(field.column)});
            }
            row = m_database.insert(QStringLiteral("gm_dj"), values + deceasedColumns(person, loaded),
                                    QStringLiteral("写入落葬登记"));
        }
        Deceased::addName(m_database, key, name, person.sex.trimmed(), person.buried);
        return {std::nullopt, row};
    });
    if (written.refusal)
        return refused(notice(*written.refusal),
                       *written.refusal == duplicateName ? QStringLiteral("Mask1") : QString());
    return done(congratulation(QStringLiteral("输入成功")),
                Deceased::prints(key, written.row, person.sex.trimmed()));
}

SaveOutcome BurialService::changeUseDates(const QString& key, const QDate& loadedFrom,
                                          const QDate& loadedUntil, const QDate& useFrom,
                                          const QDate& useUntil) {
    if (m_session.flags.modifyDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有修改记录的权限！")));
    if (useFrom > useUntil)
        return refused(notice(QStringLiteral("使用日期起始错误！")));
    const std::optional<QString> refusal = m_database.transaction([&]() -> std::optional<QString> {
        const PlotStateCheck check =
            checkPlotState(m_database, key, PlotState::sold, QStringLiteral("更改使用日期"));
        if (check.refusal)
            return check.refusal;
        const QString doing = QStringLiteral("更改使用日期");
        const std::optional<StoredRow> first =
            RegisterRows::read(m_database, key, RegisterRows::Which::First, {QStringLiteral("rid")}, doing);
        if (!first)
            return std::nullopt;
        const QVariant firstRow = first->value(QStringLiteral("rid"));
        GuardedUpdate update(m_database, QStringLiteral("gm_dj"), QStringLiteral("rid = ?"), {firstRow});
        update.edit(QStringLiteral("日期起"), loadedFrom, useFrom)
            .edit(QStringLiteral("日期止"), loadedUntil, useUntil);
        const GuardedUpdate::Result result = update.run(doing);
        if (result == GuardedUpdate::Result::Stale)
            return GuardedUpdate::staleText();
        if (result != GuardedUpdate::Result::Written)
            return std::nullopt;
        // Every register row of the plot carries the period, as a renewal moves them all.
        QList<Database::Column> changed;
        if (!GuardedUpdate::same(loadedFrom, useFrom))
            changed.append({QStringLiteral("日期起"), DateText::fromDate(useFrom)});
        if (!GuardedUpdate::same(loadedUntil, useUntil))
            changed.append({QStringLiteral("日期止"), DateText::fromDate(useUntil)});
        QSqlQuery others =
            m_database.prepareUpdate(QStringLiteral("gm_dj"), changed,
                                     QStringLiteral("墓碑位置 = ? AND rid <> ?"), {key, firstRow}, doing);
        m_database.run(others, doing);
        return std::nullopt;
    });
    if (refusal)
        return refused(notice(*refusal));
    return done(notice(QStringLiteral("更改成功!")));
}
