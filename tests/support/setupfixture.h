#pragma once

#include "shared/setupview.h"
#include "support/testsupport.h"

// Stands in for a set-up window: keeps what the rules showed and runs long work at once. `View` is the
// window's own view when it shows more than every set-up window does.
template <typename View = SetupView> struct RecordingSetupView : View {
    QStringList statuses;
    QStringList results;
    QString startNumber;
    QString deleteRange;
    QList<SetupView::Pass> passes;

    void showStatus(const QString& status) override { statuses << status; }
    void showResults(const QStringList& shown) override { results = shown; }
    void showStartNumber(const QString& number) override { startNumber = number; }
    void showDeleteRange(const QString& first, const QString& last) override {
        deleteRange = first + u'-' + last;
    }
    void runLong(SetupView::Pass pass, const SetupView::Work& work) override {
        passes << pass;
        work([] {});
    }
};

// A set-up service on a fresh database, with the operator's answers scripted and its view recorded.
template <typename Service, typename View, typename Input> struct SetupFixture {
    TestData data;
    Session session;
    ScriptedPrompter prompter;
    View view;
    Service service{data.db(), session, prompter};

    // The caption and text of the last message, as "caption|text".
    QString said() { return prompter.shown.last().caption + u'|' + prompter.shown.last().text; }
    // 删除 of the numbers `from` to `to` of the place `input` names.
    void removeFrom(Input input, const char* from, const char* to) {
        input.deleteFrom = text(from);
        input.deleteTo = text(to);
        service.deleteRun(input, view);
    }
};
