#include "graves/plotsetupservice.h"
#include "foundation/naturalorder.h"
#include "foundation/saveoutcome.h"
#include "graves/plotareas.h"
#include "graves/plotvocabulary.h"

#include "foundation/database.h"
#include "foundation/money.h"
#include "foundation/prompter.h"
#include "shared/positionkey.h"
#include "shared/session.h"

namespace {

using Numbered::fourDigits;
using Numbered::isMarker;
using Numbered::wholeNumber;
const QString& isPlot = Numbered::isPosition;
// Marker rows have no state and never block a removal; a plot in any state but free does, 限制 included.
const QString notFree = QStringLiteral("状态 <> ?");

// The six prices as numbers, in the order of their columns.
// The six price fields, in the window's order, with the columns they are kept in.
QList<Database::Column> priceColumns(const PlotSetupInput& input) {
    static const char* const columns[] = {"墓地费", "墓碑费", "工料费", "家族费", "绿化费", "其它"};
    QList<Database::Column> prices;
    for (int i = 0; i < int(std::size(columns)); ++i)
        prices << Database::Column{QString::fromUtf8(columns[i]),
                                   Money::roundCents(Money::parseLeading(input.prices.at(i)))};
    return prices;
}

} // namespace

QString PlotSetupService::Place::where() const {
    return row.isEmpty() ? QStringLiteral("墓区 = ? AND coalesce(排, '') = ''")
                         : QStringLiteral("墓区 = ? AND 排 = ?");
}

QVariantList PlotSetupService::Place::values() const {
    return row.isEmpty() ? QVariantList{area} : QVariantList{area, row};
}

QString PlotSetupService::Place::key(const QString& number) const {
    return PositionKey::plot(area, row, number);
}

NumberedPlace PlotSetupService::Place::in(Database& database) const {
    return NumberedPlace(database, QStringLiteral("mq_wz"), where(), values(),
                         row.isEmpty() ? QStringLiteral("墓区 ") + area
                                       : QStringLiteral("墓区 %1，排 %2").arg(area, row));
}

PlotSetupService::PlotSetupService(Database& database, Session& session, Prompter& prompter)
    : m_database(database), m_session(session), m_prompter(prompter) {}

QStringList PlotSetupService::areas() {
    return PlotAreas::all(m_database);
}

PlotSetupService::AreaView PlotSetupService::chooseArea(const QString& area) {
    AreaView view;
    if (area.isEmpty())
        return view;
    // An empty row name sorts first: then the area was set up without rows.
    const QStringList rows = inNaturalOrder(m_database.texts(
        QStringLiteral("SELECT coalesce(排, '') AS 排名 FROM mq_wz WHERE 墓区 = ? GROUP BY 排名"), {area},
        QStringLiteral("读取排列表")));
    const int plots = count(QStringLiteral("SELECT count(*) FROM mq_wz WHERE 墓区 = ? AND ") + isPlot, {area},
                            QStringLiteral("统计墓位"));
    const QString plotCount = QString::number(plots);
    if (!rows.isEmpty() && !rows.first().isEmpty()) {
        view.rows = rows;
        const QString rowCount = QString::number(rows.size());
        view.status = plots == 0
                          ? QStringLiteral("%1内现有 %2 排,但是现在还没有设置！").arg(area, rowCount)
                          : QStringLiteral("%1内现有 %2 排,可容纳 %3 位").arg(area, rowCount, plotCount);
    } else if (plots > 0) {
        view.status = QStringLiteral("%1,可容纳 %2 位").arg(area, plotCount);
        view.rowGroupEnabled = false;
    } else {
        view.status = area + QStringLiteral(",没有设置号,没有位置可用！");
    }
    return view;
}

QString PlotSetupService::chooseRow(const QString& area, const QString& row) {
    const int plots =
        count(QStringLiteral("SELECT count(*) FROM mq_wz WHERE 墓区 = ? AND 排 = ? AND ") + isPlot,
              {area, row}, QStringLiteral("统计墓位"));
    if (plots > 0)
        return QStringLiteral("%1%2排,共有 %3 个位置可用").arg(area, row, QString::number(plots));
    return QStringLiteral("%1%2排,还没有设置！").arg(area, row);
}

bool PlotSetupService::mayAddArea() {
    return !deniedFor(m_session.flags.addDenied, QStringLiteral("您没有添加记录权限！"));
}

bool PlotSetupService::acceptTypedAreaName(const QString& text) {
    if (!text.contains(QLatin1Char('\'')))
        return true;
    m_prompter.inform(Prompter::Icon::Exclamation, QString(), QStringLiteral("不要输入非法字符！"));
    return false;
}

std::optional<QString> PlotSetupService::addArea(const QString& typedName) {
    const QString name = typedName.trimmed();
    if (name.isEmpty())
        return std::nullopt;
    // Checked where it is written: an area another desk added meanwhile is seen.
    const bool added = m_database.transaction([&] {
        if (count(QStringLiteral("SELECT count(*) FROM mq_wz WHERE 墓区 = ?"), {name},
                  QStringLiteral("查找墓区")) > 0)
            return false;
        m_database.exec(QStringLiteral("INSERT INTO mq_wz (墓区) VALUES (?)"), {name},
                        QStringLiteral("添加墓区"));
        return true;
    });
    if (!added) {
        m_prompter.inform(Prompter::Icon::Exclamation, QString(), name + QStringLiteral("已存在！"));
        return std::nullopt;
    }
    return name;
}

bool PlotSetupService::removeArea(const QString& area) {
    if (deniedFor(m_session.flags.deleteDenied, QStringLiteral("您没有删除记录的权限！")) || area.isEmpty())
        return false;
    const QString inUse = QStringLiteral("您不能注销此墓区，因为墓区内还有位置被使用！");
    NumberedPlace whole(m_database, QStringLiteral("mq_wz"), QStringLiteral("墓区 = ?"), {area},
                        QStringLiteral("墓区 ") + area);
    if (count(QStringLiteral("SELECT count(*) FROM mq_wz WHERE 墓区 = ? AND ") + notFree,
              {area, PlotState::free}, QStringLiteral("检查墓区内的墓位")) > 0) {
        m_prompter.inform(Prompter::Icon::Exclamation, QString(), inUse);
        return false;
    }
    if (!ask(QStringLiteral("注销墓区"),
             QStringLiteral("确定要注销墓区“%1”吗？该墓区的全部墓位将被删除，且无法恢复。").arg(area)))
        return false;
    switch (whole.removeUnless(notFree, {PlotState::free}, QStringLiteral("注销墓区"))) {
    case NumberedPlace::Removal::InUse:
        m_prompter.inform(Prompter::Icon::Exclamation, QString(), inUse);
        return false;
    case NumberedPlace::Removal::Gone:
        return false;
    case NumberedPlace::Removal::Removed:
        break;
    }
    m_database.notifyChange(ChangeNotifier::Subject::Plots, area);
    m_prompter.inform(Prompter::Icon::None, QStringLiteral("提示"), QStringLiteral("注销成功！ "));
    return true;
}

std::optional<QString> PlotSetupService::addRow(const PlotSetupInput& input) {
    if (deniedFor(m_session.flags.addDenied, QStringLiteral("您没有添加记录的权限！")) ||
        input.area.isEmpty())
        return std::nullopt;
    // The limit and the names are counted where the row is written, so another desk's new row counts.
    const Added added = m_database.transaction([&]() -> Added {
        const QStringList groups = m_database.texts(
            QStringLiteral("SELECT coalesce(排, '') AS 排名 FROM mq_wz WHERE 墓区 = ? GROUP BY 排名"),
            {input.area}, QStringLiteral("读取排列表"));
        if (groups.size() >= 99)
            return {std::nullopt, QStringLiteral("对不起，排个数不能超过99个！")};
        // Rows made without a typed name are numbered on from the rows there are.
        const QString typed = input.row.trimmed();
        const QString name =
            typed.isEmpty() ? QString::number(groups.size() - groups.count(QString()) + 1) : typed;
        // An automatic number can meet a typed name too; two list entries for one row would mislead.
        if (groups.contains(name))
            return {std::nullopt, name + QStringLiteral("已存在！")};
        QSqlQuery filled = m_database.exec(
            QStringLiteral("UPDATE mq_wz SET 排 = ? WHERE rid = (SELECT rid FROM mq_wz WHERE 墓区 = ? AND "
                           "coalesce(排, '') = '' AND ") +
                isMarker + QStringLiteral(" LIMIT 1)"),
            {name, input.area}, QStringLiteral("增加排"));
        if (filled.numRowsAffected() == 0)
            m_database.exec(QStringLiteral("INSERT INTO mq_wz (墓区, 排) VALUES (?, ?)"), {input.area, name},
                            QStringLiteral("增加排"));
        return {name, QString()};
    });
    if (!added.name)
        refuse(added.refusal);
    return added.name;
}

std::optional<QString> PlotSetupService::removeRow(const PlotSetupInput& input) {
    if (deniedFor(m_session.flags.deleteDenied, QStringLiteral("您没有删除记录的权限！")) ||
        input.area.isEmpty())
        return std::nullopt;
    // Only the last automatically numbered row can go: the one named after the length of the list.
    const QString name = QString::number(input.rowsListed);
    const Place row{input.area, name};
    NumberedPlace rowPlace = row.in(m_database);
    if (!rowPlace.exists())
        return std::nullopt;
    const QString inUse = QStringLiteral("您不能注销最后一个排，因为还有位置被使用！");
    if (count(QStringLiteral("SELECT count(*) FROM mq_wz WHERE 墓区 = ? AND 排 = ? AND ") + notFree,
              {input.area, name, PlotState::free}, QStringLiteral("检查排内的墓位")) > 0) {
        refuse(inUse, QStringLiteral("提示"));
        return std::nullopt;
    }
    if (!ask(QStringLiteral("注销排"),
             QStringLiteral("确定要注销“%1%2排”吗？该排的全部墓位将被删除，且无法恢复。")
                 .arg(input.area, name)))
        return std::nullopt;
    switch (rowPlace.removeUnless(notFree, {PlotState::free}, QStringLiteral("注销排"))) {
    case NumberedPlace::Removal::InUse:
        refuse(inUse, QStringLiteral("提示"));
        return std::nullopt;
    case NumberedPlace::Removal::Gone:
        return std::nullopt;
    case NumberedPlace::Removal::Removed:
        break;
    }
    m_database.notifyChange(ChangeNotifier::Subject::Plots, input.area);
    m_prompter.inform(Prompter::Icon::None, QStringLiteral("提示"), QStringLiteral("注销成功！ "));
    return name;
}

bool PlotSetupService::createRun(const PlotSetupInput& input, PlotSetupView& view) {
    if (deniedFor(m_session.flags.addDenied, QStringLiteral("您没有添加记录的权限！")))
        return false;
    if (input.area.isEmpty()) {
        refuse(QStringLiteral("请选择墓区！"), QStringLiteral("墓区"));
        return false;
    }
    if (input.rowsListed == 0 && m_askAboutRows) {
        if (!ask(QStringLiteral("排"), QStringLiteral("您确信忽略排吗?\n\n选择'是',墓区排列为'某区某号'\n"
                                                      "选择'否',请选择要设置的排")))
            return false;
        m_askAboutRows = false;
        view.setRowGroupEnabled(false);
    }
    const std::optional<NumberRun> run = checkedRun(input);
    if (!run)
        return false;
    if (input.style.isEmpty()) {
        refuse(QStringLiteral("请选择样式！"), QStringLiteral("样式"));
        return false;
    }
    view.showStartNumber(fourDigits(run->start));
    const std::optional<Place> place = chosenPlace(input, QStringLiteral("提示"));
    if (!place)
        return false;

    // The first pass shows the operator what stops the run; the write checks again in its own transaction,
    // where no other desk's run can come in between.
    std::optional<Message> blocked;
    view.runLong(PlotSetupView::Pass::DuplicateCheck,
                 [&](const PlotSetupView::Breathe&) { blocked = blockedRun(*place, *run); });
    WrittenRun written{blocked, {}};
    if (!blocked)
        view.runLong(PlotSetupView::Pass::Write, [&](const PlotSetupView::Breathe& breathe) {
            written = writeRun(*place, *run, input, breathe);
        });
    if (written.refusal) {
        m_prompter.inform(written.refusal->icon, written.refusal->caption, written.refusal->text);
        return false;
    }
    view.showResults(written.lines);
    view.showStatus(place->row.isEmpty() ? chooseArea(place->area).status
                                         : chooseRow(place->area, place->row));
    m_prompter.inform(Prompter::Icon::None, QStringLiteral("恭喜"), QStringLiteral("OK,设置完毕！"));
    m_askAboutRows = true;
    return true;
}

void PlotSetupService::changeStyle(const PlotSetupInput& input, PlotSetupView& view) {
    change(Change::Style, input, view);
}

void PlotSetupService::changePrices(const PlotSetupInput& input, PlotSetupView& view) {
    change(Change::Prices, input, view);
}

void PlotSetupService::change(Change what, const PlotSetupInput& input, PlotSetupView& view) {
    const bool style = what == Change::Style;
    if (deniedFor(m_session.flags.modifyDenied, QStringLiteral("您没有修改记录的权限！")))
        return;
    if (!ask(style ? QStringLiteral("修改样式") : QStringLiteral("修改收费标准"),
             style ? QStringLiteral("您确信要修改墓地样式吗？")
                   : QStringLiteral("您确信要修改墓地收费标准吗？")))
        return;
    const std::optional<Place> place = chosenPlace(input, QStringLiteral("排"));
    if (!place)
        return;
    const std::optional<NumberRun> run = checkedRun(input);
    if (!run || (style && input.style.isEmpty()))
        return;
    view.showStatus(QStringLiteral("正在运行修改记录命令，请等待……"));
    view.showResults({});

    // The plot's state does not matter: sold and reserved plots take the new style or prices too.
    struct Changed {
        QStringList lines;
        int count = 0;
    };
    Changed changed;
    const QString doing = style ? QStringLiteral("修改墓位样式") : QStringLiteral("修改墓位收费");
    const QList<Database::Column> newValues =
        style ? QList<Database::Column>{{QStringLiteral("样式"), input.style}} : priceColumns(input);
    view.runLong(PlotSetupView::Pass::Busy, [&](const PlotSetupView::Breathe& breathe) {
        changed = m_database.transaction([&] {
            Changed done;
            QSqlQuery update = m_database.prepareUpdate(QStringLiteral("mq_wz"), newValues,
                                                        QStringLiteral("墓碑位置 = ?"), {QVariant()}, doing);
            for (qint64 i = 0; i < run->count; ++i) {
                const QString key = place->key(run->number(i));
                update.bindValue(newValues.size(), key);
                m_database.run(update, doing);
                if (update.numRowsAffected() > 0) {
                    ++done.count;
                    done.lines << (style ? QString(key + QStringLiteral("，样式已修改为： ") + input.style)
                                         : QString(key + QStringLiteral("，已调整了收费标准！")));
                } else {
                    done.lines << QStringLiteral("未发现 ") + key + QStringLiteral("！");
                }
                breathe();
            }
            if (done.count > 0)
                m_database.notifyChange(ChangeNotifier::Subject::Plots, place->area);
            return done;
        });
    });
    view.showResults(changed.lines);
    view.showStatus(QStringLiteral("共有 %1 记录被修改！").arg(changed.count));
}

void PlotSetupService::deleteRun(const PlotSetupInput& input, PlotSetupView& view) {
    if (deniedFor(m_session.flags.deleteDenied, QStringLiteral("您没有删除记录的权限！")))
        return;
    const std::optional<Place> place = chosenPlace(input, QStringLiteral("排"));
    if (!place)
        return;
    const qint64 first = wholeNumber(input.deleteFrom);
    const qint64 last = wholeNumber(input.deleteTo);
    if (first < 0) {
        m_prompter.inform(Prompter::Icon::Critical, QStringLiteral("错误"),
                          QStringLiteral("起始号不能为负！"));
        return;
    }
    if (first > last) {
        m_prompter.inform(Prompter::Icon::Critical, QStringLiteral("错误"),
                          QStringLiteral("起始号不能大于终止号！"));
        return;
    }
    if (!ask(QStringLiteral("删除"), QStringLiteral("您真的要删除这些记录吗?")))
        return;
    const auto key = [&](const QString& number) { return place->key(number); };
    const auto kept = [](const QString& shown, const QString& state) {
        if (state == PlotState::sold)
            return QString(shown + QStringLiteral("，正在使用中，不能删除！"));
        if (state == PlotState::reserved)
            return QString(shown + QStringLiteral("，已被预订，不能删除！"));
        return QString();
    };
    if (place->in(m_database)
            .showDeleteFree(view, fourDigits(first), fourDigits(last), PlotState::free, key, kept,
                            QStringLiteral("删除墓位")) > 0)
        m_database.notifyChange(ChangeNotifier::Subject::Plots, place->area);
}

void PlotSetupService::listMissingNumbers(const PlotSetupInput& input, PlotSetupView& view) {
    if (!ask(QStringLiteral("问题"), QStringLiteral("您确信要检测吗？")))
        return;
    view.showStatus(QStringLiteral("正在检测未设置号，可能需要几分钟，请等待……"));
    view.showResults({});
    const std::optional<Place> place = chosenPlace(input, QStringLiteral("排"));
    if (!place)
        return;

    place->in(m_database).showMissingNumbers(view, [&](const QString& number) { return place->key(number); });
}

void PlotSetupService::refuse(const QString& text, const QString& caption) {
    m_prompter.inform(Prompter::Icon::None, caption, text);
}

bool PlotSetupService::deniedFor(bool denied, const QString& message) {
    if (denied) {
        const Message refusal = lacksRight(m_session.operatorName, message);
        m_prompter.inform(refusal.icon, refusal.caption, refusal.text);
    }
    return denied;
}

bool PlotSetupService::ask(const QString& caption, const QString& text) {
    return m_prompter.ask(caption, text) == Prompter::Answer::Yes;
}

std::optional<PlotSetupService::Place> PlotSetupService::chosenPlace(const PlotSetupInput& input,
                                                                     const QString& rowCaption) {
    if (input.area.isEmpty()) {
        refuse(QStringLiteral("请选择墓区！"), QStringLiteral("墓区"));
        return std::nullopt;
    }
    if (input.rowsListed == 0)
        return Place{input.area, QString()};
    const QString row = input.row.trimmed();
    if (row.isEmpty()) {
        refuse(QStringLiteral("请选择排！"), rowCaption);
        return std::nullopt;
    }
    return Place{input.area, row};
}

std::optional<NumberRun> PlotSetupService::checkedRun(const PlotSetupInput& input) {
    const NumberRun run{wholeNumber(input.start), 1, wholeNumber(input.count)};
    if (run.start < 0) {
        refuse(QStringLiteral("起始号只能为0-9的字符，不能为空，小于零或其它字符！"),
               QStringLiteral("起始号"));
        return std::nullopt;
    }
    // A negative count would make an empty run; it is refused like a zero one.
    if (run.count <= 0) {
        refuse(QStringLiteral("墓碑个数只能为0-9的字符，不能为空，零或其它字符！"), QStringLiteral("跨步"));
        return std::nullopt;
    }
    return run;
}

std::optional<Message> PlotSetupService::blockedRun(const Place& place, const NumberRun& run) {
    NumberedPlace numbered = place.in(m_database);
    // A typed row that was never added is refused as an empty choice is.
    if (!numbered.exists())
        return place.row.isEmpty()
                   ? Message{Prompter::Icon::None, QStringLiteral("墓区"), QStringLiteral("请选择墓区！")}
                   : Message{Prompter::Icon::None, QStringLiteral("提示"), QStringLiteral("请选择排！")};
    if (const std::optional<QString> taken = numbered.firstTaken(run))
        return Message{Prompter::Icon::Information, QStringLiteral("检测"),
                       QStringLiteral("经检测，") + place.key(*taken) +
                           QStringLiteral(",已经存在,请重新设置！")};
    return std::nullopt;
}

PlotSetupService::WrittenRun PlotSetupService::writeRun(const Place& place, const NumberRun& run,
                                                        const PlotSetupInput& input,
                                                        const PlotSetupView::Breathe& breathe) {
    // What every plot of the run gets besides its place and number.
    const QList<Database::Column> plotValues =
        QList<Database::Column>{{QStringLiteral("样式"), input.style}} + priceColumns(input) +
        QList<Database::Column>{{QStringLiteral("状态"), PlotState::free}};
    const QVariant row = place.row.isEmpty() ? QVariant() : QVariant(place.row);
    const QString linePrefix = place.row.isEmpty()
                                   ? QString(place.area + QStringLiteral(",新增了"))
                                   : QString(place.area + place.row + QStringLiteral("排,新增了"));
    return m_database.transaction([&] {
        WrittenRun written;
        written.refusal = blockedRun(place, run);
        if (written.refusal)
            return written;
        const QStringList numbers =
            place.in(m_database)
                .write(
                    {{QStringLiteral("墓区"), place.area}, {QStringLiteral("排"), row}}, plotValues, run,
                    [&](const QString& number) { return place.key(number); }, breathe,
                    QStringLiteral("写入墓位"));
        m_database.notifyChange(ChangeNotifier::Subject::Plots, place.area);
        written.lines.reserve(numbers.size());
        for (const QString& number : numbers)
            written.lines << linePrefix + number + QStringLiteral("号");
        return written;
    });
}

int PlotSetupService::count(const QString& sql, const QVariantList& values, const QString& doing) {
    return m_database.scalar(sql, values, doing).toInt();
}
