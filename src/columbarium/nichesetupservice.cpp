#include "columbarium/nichesetupservice.h"

#include "columbarium/nichehalls.h"
#include "columbarium/nichevocabulary.h"
#include "foundation/database.h"
#include "foundation/money.h"
#include "foundation/saveoutcome.h"
#include "shared/positionkey.h"
#include "shared/session.h"

namespace {

using Numbered::fourDigits;
using Numbered::wholeNumber;

const QString addRight = QStringLiteral("您没有添加记录权限！");
const QString deleteRight = QStringLiteral("您没有删除记录权限！");
const QString removed = QStringLiteral("注销成功！  ");
// Only a niche with an urn in it keeps its hall or room.
const QString used = QStringLiteral("状态 = ?");

bool onlyDigits(const QString& text, bool pointToo) {
    for (const QChar c : text)
        if (!(c >= u'0' && c <= u'9') && !(pointToo && c == u'.'))
            return false;
    return true;
}

} // namespace

NumberedPlace NicheSetupService::Room::in(Database& database) const {
    return NumberedPlace(database, QStringLiteral("ghjc_wz"), QStringLiteral("厅 = ? AND 室 = ?"),
                         {hall, name}, QStringLiteral("厅 %1，室 %2").arg(hall, name));
}

QString NicheSetupService::Room::key(const QString& number) const {
    return PositionKey::niche(hall, name, number);
}

NicheSetupService::NicheSetupService(Database& database, Session& session, Prompter& prompter)
    : m_database(database), m_session(session), m_prompter(prompter) {}

QStringList NicheSetupService::halls() {
    return NicheHalls::all(m_database);
}

NicheSetupService::HallView NicheSetupService::chooseHall(const QString& hall) {
    HallView view;
    if (hall.isEmpty())
        return view;
    view.rooms = NicheHalls::rooms(m_database, hall);
    const QString rooms = QString::number(view.rooms.size());
    if (view.rooms.isEmpty()) {
        view.status = hall + QStringLiteral("内现有 0 室,可容纳 0 位");
    } else if (count(QStringLiteral("SELECT count(*) FROM ghjc_wz WHERE 厅 = ? AND ") + Numbered::isMarker,
                     {hall}, QStringLiteral("查找未设置的室")) > 0) {
        view.status = QStringLiteral("%1内现有 %2 室,有未设置室！").arg(hall, rooms);
    } else {
        const qint64 niches =
            count(QStringLiteral("SELECT count(*) FROM ghjc_wz WHERE 厅 = ? AND ") + Numbered::isPosition,
                  {hall}, QStringLiteral("统计寄存位"));
        view.status = QStringLiteral("%1内现有 %2 室,可容纳 %3 位").arg(hall, rooms, QString::number(niches));
    }
    return view;
}

QString NicheSetupService::chooseRoom(const QString& hall, const QString& room) {
    const qint64 niches = count(QStringLiteral("SELECT count(*) FROM ghjc_wz WHERE 厅 = ? AND 室 = ? AND ") +
                                    Numbered::isPosition,
                                {hall, room}, QStringLiteral("统计寄存位"));
    if (niches > 0)
        return QStringLiteral("%1%2室,共有 %3 个位置可用").arg(hall, room, QString::number(niches));
    return QStringLiteral("%1%2室,还没有设置！").arg(hall, room);
}

bool NicheSetupService::acceptTyped(Field field, const QString& text) {
    if (onlyDigits(text, field == Field::Price))
        return true;
    switch (field) {
    case Field::Start:
        tell(Prompter::Icon::Information, QStringLiteral("起始号"),
             QStringLiteral("起始号只能为0-9的字符！"));
        break;
    case Field::Step:
        tell(Prompter::Icon::Information, QStringLiteral("跨步"), QStringLiteral("跨步只能为0-9的字符！"));
        break;
    case Field::Count:
        tell(Prompter::Icon::Information, QStringLiteral("框个数"),
             QStringLiteral("框个数只能为0-9的字符！"));
        break;
    case Field::Price:
        tell(Prompter::Icon::Information, QStringLiteral("价位"),
             QStringLiteral("价位只能为0-9的字符或'.'！"));
        break;
    }
    return false;
}

bool NicheSetupService::acceptTypedHallName(const QString& text) {
    if (!text.contains(QLatin1Char('\'')))
        return true;
    tell(Prompter::Icon::Exclamation, QString(), QStringLiteral("不要输入非法字符！"));
    return false;
}

bool NicheSetupService::mayAddHall() {
    return !denied(m_session.flags.addDenied, addRight);
}

std::optional<QString> NicheSetupService::addHall(const QString& typedName) {
    const QString name = typedName.trimmed();
    if (name.isEmpty())
        return std::nullopt;
    // Checked where it is written: a hall another desk added meanwhile is seen.
    const bool added = m_database.transaction([&] {
        if (count(QStringLiteral("SELECT count(*) FROM ghjc_wz WHERE 厅 = ?"), {name},
                  QStringLiteral("查找厅")) > 0)
            return false;
        m_database.exec(QStringLiteral("INSERT INTO ghjc_wz (厅) VALUES (?)"), {name},
                        QStringLiteral("添加厅"));
        return true;
    });
    if (!added) {
        tell(Prompter::Icon::Exclamation, QString(), name + QStringLiteral("已存在！"));
        return std::nullopt;
    }
    return name;
}

bool NicheSetupService::removeHall(const QString& hall) {
    if (denied(m_session.flags.deleteDenied, deleteRight) || hall.isEmpty())
        return false;
    const QString inUse = QStringLiteral("您不能注销此厅，因为厅内还有位置被使用！");
    if (count(QStringLiteral("SELECT count(*) FROM ghjc_wz WHERE 厅 = ? AND ") + used,
              {hall, NicheState::used}, QStringLiteral("检查厅内的寄存位")) > 0) {
        tell(Prompter::Icon::Exclamation, QString(), inUse);
        return false;
    }
    if (!ask(QStringLiteral("注销厅"),
             QStringLiteral("确定要注销厅“%1”吗？该厅的全部寄存位将被删除，且无法恢复。").arg(hall)))
        return false;
    NumberedPlace whole(m_database, QStringLiteral("ghjc_wz"), QStringLiteral("厅 = ?"), {hall},
                        QStringLiteral("厅 ") + hall);
    switch (whole.removeUnless(used, {NicheState::used}, QStringLiteral("注销厅"))) {
    case NumberedPlace::Removal::InUse:
        tell(Prompter::Icon::Exclamation, QString(), inUse);
        return false;
    case NumberedPlace::Removal::Gone:
        return false;
    case NumberedPlace::Removal::Removed:
        break;
    }
    m_database.notifyChange(ChangeNotifier::Subject::Niches, hall);
    tell(Prompter::Icon::Information, QStringLiteral("提示"), removed);
    return true;
}

std::optional<QString> NicheSetupService::addRoom(const NicheSetupInput& input) {
    if (denied(m_session.flags.addDenied, addRight) || input.hall.isEmpty())
        return std::nullopt;
    // The limit and the names are counted where the room is written, so another desk's new room counts.
    const Added added = m_database.transaction([&]() -> Added {
        // The hall's marker counts as one group, as it did in the office's count.
        const QStringList groups = m_database.texts(
            QStringLiteral("SELECT coalesce(室, '') AS 室名 FROM ghjc_wz WHERE 厅 = ? GROUP BY 室名"),
            {input.hall}, QStringLiteral("读取室列表"));
        if (groups.size() >= 9)
            return {std::nullopt, QStringLiteral("对不起，室个数不能超过9个！")};
        const QString typed = input.room.trimmed();
        const QString name =
            typed.isEmpty() ? QString::number(groups.size() - groups.count(QString()) + 1) : typed;
        // An automatic number can meet a typed name too; two list entries for one room would mislead.
        if (groups.contains(name))
            return {std::nullopt, name + QStringLiteral("已存在！")};
        QSqlQuery filled = m_database.exec(
            QStringLiteral("UPDATE ghjc_wz SET 室 = ? WHERE rid = (SELECT rid FROM ghjc_wz WHERE 厅 = ? AND "
                           "coalesce(室, '') = '' AND ") +
                Numbered::isMarker + QStringLiteral(" LIMIT 1)"),
            {name, input.hall}, QStringLiteral("增加室"));
        if (filled.numRowsAffected() == 0)
            m_database.exec(QStringLiteral("INSERT INTO ghjc_wz (厅, 室) VALUES (?, ?)"), {input.hall, name},
                            QStringLiteral("增加室"));
        return {name, QString()};
    });
    if (!added.name)
        tell(Prompter::Icon::Exclamation, QString(), added.refusal);
    return added.name;
}

std::optional<QString> NicheSetupService::removeRoom(const NicheSetupInput& input) {
    if (denied(m_session.flags.deleteDenied, deleteRight) || input.hall.isEmpty())
        return std::nullopt;
    // Only the last automatically numbered room can go: the one named after the length of the list.
    // A room of that name that is not there removes nothing and says nothing.
    const QString name = QString::number(input.roomsListed);
    NumberedPlace room = Room{input.hall, name}.in(m_database);
    if (!room.exists())
        return std::nullopt;
    const QString inUse = QStringLiteral("您不能注销最后一个室，因为室内还有位置被使用！");
    if (count(QStringLiteral("SELECT count(*) FROM ghjc_wz WHERE 厅 = ? AND 室 = ? AND ") + used,
              {input.hall, name, NicheState::used}, QStringLiteral("检查室内的寄存位")) > 0) {
        tell(Prompter::Icon::Exclamation, QString(), inUse);
        return std::nullopt;
    }
    if (!ask(QStringLiteral("注销室"),
             QStringLiteral("确定要注销“%1%2室”吗？该室的全部寄存位将被删除，且无法恢复。")
                 .arg(input.hall, name)))
        return std::nullopt;
    switch (room.removeUnless(used, {NicheState::used}, QStringLiteral("注销室"))) {
    case NumberedPlace::Removal::InUse:
        tell(Prompter::Icon::Exclamation, QString(), inUse);
        return std::nullopt;
    case NumberedPlace::Removal::Gone:
        return std::nullopt;
    case NumberedPlace::Removal::Removed:
        break;
    }
    m_database.notifyChange(ChangeNotifier::Subject::Niches, input.hall);
    tell(Prompter::Icon::Information, QStringLiteral("提示"), removed);
    return name;
}

bool NicheSetupService::createRun(const NicheSetupInput& input, SetupView& view) {
    if (denied(m_session.flags.addDenied, addRight))
        return false;
    const std::optional<Room> room = chosenRoom(input);
    if (!room)
        return false;
    const NumberRun run{wholeNumber(input.start), wholeNumber(input.step), wholeNumber(input.count)};
    const QString refusal = QStringLiteral("只能为0-9的字符，不能为空，零或其它字符！");
    const std::pair<qint64, QString> numbers[] = {{run.start, QStringLiteral("起始号")},
                                                  {run.step, QStringLiteral("跨步")},
                                                  {run.count, QStringLiteral("框个数")}};
    for (const auto& [value, name] : numbers)
        if (value <= 0) {
            tell(Prompter::Icon::Information, name, name + refusal);
            return false;
        }
    if (!acceptsNicheValues(input))
        return false;
    view.showStartNumber(fourDigits(run.start));

    // The first pass shows the operator what stops the run; the write checks again in its own transaction,
    // where no other desk's run can come in between.
    std::optional<Message> blocked;
    view.runLong(SetupView::Pass::DuplicateCheck,
                 [&](const SetupView::Breathe&) { blocked = blockedRun(*room, run, Taken::Run); });
    Written written{blocked, {}};
    if (!blocked)
        view.runLong(SetupView::Pass::Write, [&](const SetupView::Breathe& breathe) {
            written = write(*room, run, input, Taken::Run, breathe);
        });
    if (written.refusal) {
        tell(written.refusal->icon, written.refusal->caption, written.refusal->text);
        return false;
    }
    view.showResults(written.lines);
    view.showStatus(chooseRoom(room->hall, room->name));
    tell(Prompter::Icon::None, QStringLiteral("恭喜"), QStringLiteral("OK,设置完毕！"));
    return true;
}

bool NicheSetupService::createSingle(const NicheSetupInput& input, SetupView& view) {
    if (denied(m_session.flags.addDenied, addRight))
        return false;
    const std::optional<Room> room = chosenRoom(input);
    if (!room)
        return false;
    const NumberRun run{wholeNumber(input.start), 1, 1};
    if (run.start <= 0) {
        tell(Prompter::Icon::Information, QStringLiteral("起始号"),
             QStringLiteral("标签号只能为0-9的字符，不能为空，零或其它字符！"));
        return false;
    }
    if (!acceptsNicheValues(input))
        return false;
    view.showStartNumber(run.number(0));
    const Written written = write(*room, run, input, Taken::Single, [] {});
    if (written.refusal) {
        tell(written.refusal->icon, written.refusal->caption, written.refusal->text);
        return false;
    }
    view.showResults(written.lines);
    view.showStatus(chooseRoom(room->hall, room->name));
    tell(Prompter::Icon::None, QStringLiteral("恭喜"), QStringLiteral("设置成功！"));
    return true;
}

void NicheSetupService::deleteRun(const NicheSetupInput& input, SetupView& view) {
    if (denied(m_session.flags.deleteDenied, deleteRight))
        return;
    const std::optional<Room> room = chosenRoom(input);
    if (!room)
        return;
    const qint64 first = wholeNumber(input.deleteFrom);
    const qint64 last = wholeNumber(input.deleteTo);
    const QString wrong = first <= 0                  ? QStringLiteral("起始号不能为空！")
                          : last != 0 && last < first ? QStringLiteral("起始号不能大于终止号！")
                                                      : QString();
    if (!wrong.isEmpty()) {
        tell(Prompter::Icon::Critical, QStringLiteral("错误"), wrong);
        view.showDeleteRange(QString(), input.deleteTo);
        return;
    }
    if (last == 0 || !ask(QStringLiteral("删除"), QStringLiteral("您真的要删除这些记录吗?")))
        return;
    const auto key = [&](const QString& number) { return room->key(number); };
    const auto inUse = [](const QString& shown, const QString&) -> QString {
        return shown + QStringLiteral("，正在使用中，不能删除！");
    };
    if (room->in(m_database)
            .showDeleteFree(view, fourDigits(first), fourDigits(last), NicheState::free, key, inUse,
                            QStringLiteral("删除寄存位")) > 0)
        m_database.notifyChange(ChangeNotifier::Subject::Niches, room->hall);
}

void NicheSetupService::listMissingNumbers(const NicheSetupInput& input, SetupView& view) {
    if (!ask(QStringLiteral("问题"), QStringLiteral("您确信要检测吗？")))
        return;
    view.showStatus(QStringLiteral("正在检测未设置号，可能需要几分钟至十几分钟，请耐心等待……"));
    view.showResults({});
    const std::optional<Room> room = chosenRoom(input);
    if (!room) {
        view.showStatus(NumberedPlace::missingSummary(0));
        return;
    }
    room->in(m_database).showMissingNumbers(view, [&](const QString& number) { return room->key(number); });
}

void NicheSetupService::tell(Prompter::Icon icon, const QString& caption, const QString& text) {
    m_prompter.inform(icon, caption, text);
}

bool NicheSetupService::denied(bool isDenied, const QString& message) {
    if (isDenied) {
        const Message refusal = lacksRight(m_session.operatorName, message);
        tell(refusal.icon, refusal.caption, refusal.text);
    }
    return isDenied;
}

bool NicheSetupService::ask(const QString& caption, const QString& text) {
    return m_prompter.ask(caption, text) == Prompter::Answer::Yes;
}

std::optional<NicheSetupService::Room> NicheSetupService::chosenRoom(const NicheSetupInput& input) {
    if (input.hall.isEmpty()) {
        tell(Prompter::Icon::Information, QStringLiteral("厅"), QStringLiteral("请选择厅！"));
        return std::nullopt;
    }
    const QString room = input.room.trimmed();
    if (room.isEmpty()) {
        tell(Prompter::Icon::Information, QStringLiteral("室"), QStringLiteral("请选择室！"));
        return std::nullopt;
    }
    return Room{input.hall, room};
}

bool NicheSetupService::acceptsNicheValues(const NicheSetupInput& input) {
    if (input.style.isEmpty())
        tell(Prompter::Icon::Information, QStringLiteral("样式"), QStringLiteral("请选择样式！"));
    else if (input.layer.isEmpty())
        tell(Prompter::Icon::Information, QStringLiteral("层"), QStringLiteral("请选层！"));
    else if (Money::parseLeading(input.price) <= 0)
        tell(Prompter::Icon::Information, QStringLiteral("价位"),
             QStringLiteral("价位只能为0-9的字符或'.'，不能为空，零或其它字符！"));
    else
        return true;
    return false;
}

std::optional<Message> NicheSetupService::blockedRun(const Room& room, const NumberRun& run, Taken taken) {
    NumberedPlace numbered = room.in(m_database);
    // A typed room that was never added is refused as an empty choice is; it would also pass the room limit.
    if (!numbered.exists())
        return Message{Prompter::Icon::Information, QStringLiteral("室"), QStringLiteral("请选择室！")};
    const std::optional<QString> number = numbered.firstTaken(run);
    if (!number)
        return std::nullopt;
    if (taken == Taken::Single)
        return plain(QStringLiteral("此号已存在！"));
    return Message{Prompter::Icon::Information, QStringLiteral("检测"),
                   QStringLiteral("经检测，") + room.key(*number) + QStringLiteral(",已经存在,请重新设置！")};
}

NicheSetupService::Written NicheSetupService::write(const Room& room, const NumberRun& run,
                                                    const NicheSetupInput& input, Taken taken,
                                                    const SetupView::Breathe& breathe) {
    // Prices are doubles rounded to cents: 123456.78 stays 123456.78.
    const QList<Database::Column> values = {
        {QStringLiteral("样式"), input.style},
        {QStringLiteral("层"), input.layer},
        {QStringLiteral("价位"), Money::roundCents(Money::parseLeading(input.price))},
        {QStringLiteral("状态"), NicheState::free}};
    return m_database.transaction([&] {
        Written written;
        written.refusal = blockedRun(room, run, taken);
        if (written.refusal)
            return written;
        const QStringList numbers =
            room.in(m_database)
                .write(
                    {{QStringLiteral("厅"), room.hall}, {QStringLiteral("室"), room.name}}, values, run,
                    [&](const QString& number) { return room.key(number); }, breathe,
                    QStringLiteral("写入寄存位"));
        m_database.notifyChange(ChangeNotifier::Subject::Niches, room.hall);
        const QString prefix = room.hall + room.name + QStringLiteral("室,新增了");
        written.lines.reserve(numbers.size());
        for (const QString& number : numbers)
            written.lines << prefix + number + QStringLiteral("号");
        return written;
    });
}

qint64 NicheSetupService::count(const QString& sql, const QVariantList& values, const QString& doing) {
    return m_database.scalar(sql, values, doing).toLongLong();
}
