#include "columbarium/storagerecord.h"

#include "columbarium/nichevocabulary.h"
#include "foundation/datetext.h"

namespace {

// A field left empty is stored as `empty`.
QString orElse(const QString& typed, const QString& empty) {
    const QString text = typed.trimmed();
    return text.isEmpty() ? empty : text;
}

} // namespace

namespace StorageRecord {

QDate storedUntilFor(const QDate& from) {
    return from.addYears(20);
}

QStringList relations(Database& database) {
    return database.texts(QStringLiteral("SELECT gx FROM gx ORDER BY rid"), {},
                          QStringLiteral("读取关系列表"));
}

QList<Database::Column> editableColumns(const StorageForm& form) {
    return {{QStringLiteral("骨灰盒型"), form.urnType.trimmed()},
            {QStringLiteral("性别"), form.sex},
            {QStringLiteral("出生日期"), DateText::fromDate(form.born)},
            {QStringLiteral("逝世日期"), DateText::fromDate(form.died)},
            {QStringLiteral("籍贯"), orElse(form.nativePlace, QStringLiteral(" "))},
            {QStringLiteral("生前单位"), form.formerUnit.trimmed()},
            {QStringLiteral("联系人"), form.contact.trimmed()},
            {QStringLiteral("关系"), form.relation},
            {QStringLiteral("工作单位"), form.workUnit.trimmed()},
            {QStringLiteral("身份证号"), orElse(form.idNumber, QStringLiteral(" "))},
            {QStringLiteral("家庭住址"), form.address.trimmed()},
            {QStringLiteral("联系电话"), form.phone.trimmed()},
            {QStringLiteral("电子信箱"), orElse(form.email, QStringLiteral("无"))},
            {QStringLiteral("备注"), orElse(form.remark, QStringLiteral("无"))}};
}

std::optional<QString> nicheTakenMeanwhile(Database& database, const QString& key,
                                           const QString& expectedState) {
    const QVariant state =
        database.scalar(QStringLiteral("SELECT 状态 FROM ghjc_wz WHERE 存放位置 = ? LIMIT 1"), {key},
                        QStringLiteral("读取寄存位的状态"));
    if (!state.isValid())
        return QStringLiteral("该寄存位刚被其他操作员删除");
    const QString now = state.toString();
    if (now == expectedState)
        return std::nullopt;
    if (now == NicheState::used)
        return QStringLiteral("该寄存位刚被其他操作员占用");
    return QStringLiteral("该寄存位刚被其他操作员改为“%1”").arg(now);
}

NicheStateCheck checkNicheState(Database& database, const QString& key, const QString& expectedState,
                                const QString& action) {
    NicheStateCheck check;
    QSqlQuery niche =
        database.exec(QStringLiteral("SELECT rid, 状态, 厅 FROM ghjc_wz WHERE 存放位置 = ? LIMIT 1"), {key},
                      QStringLiteral("读取寄存位的状态"));
    if (!niche.next()) {
        check.refusal = QStringLiteral("找不到寄存位“%1”，不能%2！").arg(key, action);
        return check;
    }
    if (niche.value(QStringLiteral("状态")).toString() != expectedState) {
        check.refusal = QStringLiteral("寄存位“%1”现在是“%2”，不能%3！")
                            .arg(key, niche.value(QStringLiteral("状态")).toString(), action);
        return check;
    }
    check.nicheRow = niche.value(QStringLiteral("rid")).toLongLong();
    check.hall = niche.value(QStringLiteral("厅")).toString();
    return check;
}

qint64 writePayment(Database& database, const StoragePayment& payment, const QString& operatorName,
                    const QDateTime& moment) {
    return database.insert(QStringLiteral("ghjc_xf1"),
                           {{QStringLiteral("存放位置"), payment.key},
                            {QStringLiteral("故者姓名"), payment.deceased},
                            {QStringLiteral("联系人"), payment.contact},
                            {QStringLiteral("日期起"), DateText::fromDate(payment.from)},
                            {QStringLiteral("日期止"), DateText::fromDate(payment.until)},
                            {QStringLiteral("应收费"), payment.due},
                            {QStringLiteral("实收费"), payment.received},
                            {QStringLiteral("操作方式"), payment.kind},
                            {QStringLiteral("操作员"), operatorName},
                            {QStringLiteral("操作日期"), DateText::fromDateTime(moment)}},
                           QStringLiteral("写入寄存收费记录"));
}

QList<PrintJob> registerPapers(qint64 id, const QStringList& names, bool hideBirthDate) {
    QList<PrintJob> papers;
    for (const QString& name : names) {
        const bool withoutBirth =
            hideBirthDate && (name == QStringLiteral("gz_jc") || name == QStringLiteral("jc_dj"));
        papers.append(
            {name, name,
             (withoutBirth ? QStringLiteral("select *, 1 as 不显示出生日期 from ghjc_dj where id=%1")
                           : QStringLiteral("select * from ghjc_dj where id=%1"))
                 .arg(id),
             std::nullopt});
    }
    return papers;
}

QList<PrintJob> paymentPapers(qint64 id, const QDate& from, const QDate& until) {
    const QString paid = QStringLiteral("select * from ghjc_xf1 where id=%1").arg(id);
    const int years = until.year() - from.year();
    const QString term =
        (years >= 0 ? QStringLiteral(" ") : QString()) + QString::number(years) + QStringLiteral("年");
    return {{QStringLiteral("jc_xc"), QStringLiteral("jc_xc"), paid, term},
            {QStringLiteral("jc_xf1"), QStringLiteral("jc_xf1"), paid, std::nullopt}};
}

} // namespace StorageRecord
