#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The parts of a set-up window (plots, niches) its rules write to while an action runs.
class SetupView {
public:
    enum class Pass { DuplicateCheck, Write, Busy };
    using Breathe = std::function<void()>;
    using Work = std::function<void(const Breathe& breathe)>;

    virtual ~SetupView() = default;
    virtual void showStatus(const QString& text) = 0;
    virtual void showResults(const QStringList& lines) = 0;
    virtual void showStartNumber(const QString& number) = 0;
    virtual void showDeleteRange(const QString& first, const QString& last) = 0;
    // Runs long work: the two passes of a run behind the progress window, other work under the
    // busy pointer. The work calls `breathe` now and then so the screen can repaint.
    virtual void runLong(Pass pass, const Work& work) = 0;
};
