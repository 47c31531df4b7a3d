#include "BatchWalk.h"

#include "AskCandidate.h"
#include "BatchReport.h"
#include "CliText.h"
#include "Progress.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <stdexcept>
#include <unistd.h>

namespace trouvel::cli {

EntryResult entryResultOf(int row, const QString& title, const wizard::EntrySteps& steps, const wizard::SaveResult* save)
{
    const wizard::EntryOutcome outcome = wizard::outcomeOf(steps, save);
    EntryResult r;
    r.row = row;
    r.title = title;
    r.outcome = outcome.kind;
    r.candidates = outcome.candidates;
    r.stage = outcome.stage;
    r.detail = outcome.reason;
    if ((outcome.kind == Outcome::Ambiguous || outcome.kind == Outcome::OtherFilm) && steps.search)
        for (const wizard::Candidate& c : steps.search->candidates)
            r.candidateTexts << candidateText(c);
    return r;
}

void BatchWalk::wait(int ms)
{
    if (ms <= 0 || interrupt_.interrupted())
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    auto previous = interrupt_.onInterrupt;
    interrupt_.onInterrupt = [&](int n) {
        if (previous)
            previous(n);
        loop.quit();
    };
    loop.exec();
    interrupt_.onInterrupt = previous;
}

EntryResult BatchWalk::walkEntry(int row, const QString& title, bool& userStopped)
{
    wizard::WizardEngine& engine = session_.engine();
    const auto search = [&] {
        session_.clearRecord();
        engine.search();
        return entryResultOf(row, title, engine.steps());
    };
    EntryResult result = retryEntry(search(), session_, settings_.retry, search, [&](std::int64_t ms) {
        wait(int(ms));
        return !interrupt_.interrupted();
    });
    // Another film's candidate is asked about as several are: the person may know it is this one.
    // (A year that differs is met after the film page was read: there is nothing to choose.)
    const bool askable = result.outcome == Outcome::Ambiguous || (result.outcome == Outcome::OtherFilm && !engine.steps().detail);
    if (settings_.ask && askable && !interrupt_.interrupted()) {
        const AskAnswer answer = askCandidate(title, row, session_.model().candidates(), interrupt_);
        if (answer.choice > 0) {
            session_.model().setSelectedCandidate(answer.choice - 1);
            engine.fetchDetails();
            result = entryResultOf(row, title, engine.steps());
        } else if (answer.stop) {
            userStopped = true;
        }
    }
    if (interrupt_.count() > 1 && result.outcome == Outcome::Filled)
        return {row, title, Outcome::Failed, result.candidates, QStringLiteral("interrompu")};
    if (result.outcome != Outcome::Filled) {
        engine.next();
        return result;
    }
    // The save moves on to the next entry, which forgets this one's steps: read them first.
    const wizard::EntrySteps steps = engine.steps();
    engine.save();
    const std::optional<wizard::SaveResult>& save = engine.lastSave();
    checkpoints_.entrySaved(save && save->picture == wizard::SaveResult::Picture::Stored && save->pictureIsNew ? save->pictureName
                                                                                                             : QString());
    result = entryResultOf(row, title, steps, save ? &*save : nullptr);
    // A save that could not write everything stays on its entry: the walk goes on past it.
    if (save && !save->movedOn && !engine.isClosed() && session_.state().CurrentItem == row + 1)
        engine.next();
    return result;
}

BatchWalk::End BatchWalk::run(int total)
{
    wizard::WizardEngine& engine = session_.engine();
    // One result per entry: room for all at once, never a copy of them all while they grow.
    summary_.entries.reserve(summary_.entries.size() + std::size_t(total));
    Progress progress(total, ::isatty(STDERR_FILENO) && !settings_.ask);
    int done = 0;
    int sinceCheckpoint = 0;
    bool userStopped = false; // q typed at an --ask question
    QElapsedTimer clock;
    clock.start();
    nextRow_ = session_.state().CurrentItem - 1;
    const int lastRow = nextRow_ + total;
    if (!checkpoints_.checkpoint(summary_, nextRow_))
        throw std::runtime_error(checkpoints_.error().toStdString());
    End end = End::Done;
    while (!engine.isClosed()) {
        if (done > 0)
            wait(settings_.delayMs);
        if (interrupt_.interrupted() || userStopped)
            break;
        const int row = session_.state().CurrentItem - 1;
        const QString title = session_.model().title();
        const int before = session_.state().CurrentItem;
        const EntryResult result = walkEntry(row, title, userStopped);
        summary_.entries.push_back(result);
        nextRow_ = row + 1;
        progress.entryDone(++done, title, outcomeText(result));
        ++sinceCheckpoint;
        if ((settings_.checkpointEntries > 0 && sinceCheckpoint >= settings_.checkpointEntries)
            || (settings_.checkpointSeconds > 0 && clock.elapsed() >= qint64(settings_.checkpointSeconds) * 1000)) {
            if (!checkpoints_.checkpoint(summary_, nextRow_))
                throw std::runtime_error(checkpoints_.error().toStdString());
            sinceCheckpoint = 0;
            clock.restart();
        }
        // The last entry ends the walk: the wizard stays on it.
        if (row + 1 >= lastRow)
            break;
        // A move that failed (it said why) would be met again and again.
        if (!engine.isClosed() && session_.state().CurrentItem == before) {
            if (!session_.ui().lastMessage().isEmpty())
                std::fprintf(stderr, "trouvel batch : %s\n", qPrintable(session_.ui().lastMessage()));
            end = End::Broken;
            break;
        }
    }
    progress.finish();
    if (end == End::Done && (interrupt_.interrupted() || userStopped))
        end = End::Stopped;
    return end;
}

} // namespace trouvel::cli
