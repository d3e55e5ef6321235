#include "support/twodesks.h"

#include <QTest>

TwoDesks::TwoDesks() {
    session.operatorName = QStringLiteral("Admin");
    if (available())
        m_deskB = std::make_unique<Database>(data.db().target(), Database::Mode::Open);
}

bool TwoDesks::available() {
    return qEnvironmentVariable("PELU_TEST_ENGINE").compare(QLatin1String("QPSQL"), Qt::CaseInsensitive) == 0;
}

TwoDesks::Outcomes TwoDesks::race(const std::function<SaveOutcome()>& actionOfA,
                                  const std::function<SaveOutcome()>& actionOfB) {
    Outcomes outcomes;
    deskA().beforeNthWrite(1, [&] {
        outcomes.bRan = true;
        outcomes.byB = actionOfB();
    });
    outcomes.byA = actionOfA();
    // A refused before writing anything leaves the hook unspent: it must not strike the test's own writes.
    deskA().beforeNthWrite(0, {});
    return outcomes;
}

namespace {

QString said(const SaveOutcome& outcome) {
    return outcome.message ? outcome.message->text : QStringLiteral("(nothing said)");
}

} // namespace

bool oneSaved(const TwoDesks::Outcomes& outcomes, const QString& refusal, const char* file, int line) {
    if (!outcomes.bRan) {
        QTest::qFail("desk A refused before its first write: no race took place", file, line);
        return false;
    }
    if (outcomes.byA.saved == outcomes.byB.saved) {
        const QString both =
            QStringLiteral("both desks %1: A said \"%2\", B said \"%3\"")
                .arg(outcomes.byA.saved ? QStringLiteral("saved") : QStringLiteral("refused"),
                     said(outcomes.byA), said(outcomes.byB));
        QTest::qFail(qPrintable(both), file, line);
        return false;
    }
    const SaveOutcome& loser = outcomes.byA.saved ? outcomes.byB : outcomes.byA;
    return QTest::qCompare(said(loser), refusal, "the refused desk's message", "its own refusal", file, line);
}

bool bothSaved(const TwoDesks::Outcomes& outcomes, const char* file, int line) {
    if (!outcomes.bRan) {
        QTest::qFail("desk A saved without a write: no race took place", file, line);
        return false;
    }
    return QTest::qVerify(outcomes.byA.saved, "desk A saved", qPrintable(said(outcomes.byA)), file, line) &&
           QTest::qVerify(outcomes.byB.saved, "desk B saved", qPrintable(said(outcomes.byB)), file, line);
}
