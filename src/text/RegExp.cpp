#include "text/RegExp.h"

#include "text/CompiledPattern.h"
#include "text/PatternTranslator.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <exception>
#include <optional>

namespace trouvel::text {

namespace {

// Bounds on one Test, Execute or Replace, so that a pattern that backtracks without end
// (catastrophic backtracking) on a large page fails instead of freezing the wizard.
// JIT code gets through roughly 0.5-0.7e9 units of the match limit a second on a desktop
// core (a lazy "[\s\S]*?" costs one unit a character): the try from one start position is
// held to about 0.15-0.2 s, enough for ten scans of a 10 MiB page. The empty-iteration check
// runs as a callout, which costs several units each: a call is also held to kCalloutLimit of
// them, about the same time. A walk over the page (a global Execute, or a long scan cut into
// windows, see kFirstScanWindow) is held to kTimeBudget by the clock, checked between calls
// and inside callouts.
constexpr uint32_t kMatchLimit = 100'000'000;
constexpr uint64_t kCalloutLimit = 15'000'000;
constexpr uint32_t kDepthLimit = 10'000'000;      // interpreter only (no JIT available)
constexpr uint32_t kHeapLimitKiB = 256 * 1024;    // interpreter only
// Compiling a pattern for the JIT costs about as much as interpreting one scan of a 3-4 Ki
// character page (10-20 us), far more than a field's value or an address, and a one-title
// run uses each pattern once or twice: a pattern is interpreted on texts up to
// kInterpretedTextUpTo characters for its first kInterpretedWalks walks, and held to
// kInterpretedTryLimit there. A match that needs more is run again from the same place by
// the JIT under the limits above, so a pattern that backtracks hard gets the JIT's speed
// and budgets as before; the results are the same either way.
constexpr qsizetype kInterpretedTextUpTo = 4 * 1024;
constexpr unsigned kInterpretedWalks = 16;
constexpr uint32_t kInterpretedTryLimit = 1'000'000;
constexpr PCRE2_SIZE kJitStackMax = 32 * 1024 * 1024;
constexpr auto kTimeBudget = std::chrono::milliseconds(1500);
// How often the caller's keep-going check runs while a match goes on.
constexpr auto kKeepGoingEvery = std::chrono::milliseconds(50);
// PCRE2 counts its match limit afresh at each start position, and a pattern without callouts
// has nowhere else to stop, so one call over a long text could run for minutes unseen
// ("[a]{1,5000}[#!]" over a page of "a": 2 us a position). A text longer than kFirstScanWindow
// is scanned a window of start positions at a time (PCRE2's offset limit), the budgets looked
// at between calls; each call is sized to last about kScanCallTime at the pace of the last,
// growing at most kScanWindowGrowth times a call. An ordinary page takes two or three calls.
constexpr PCRE2_SIZE kFirstScanWindow = 4 * 1024;
constexpr auto kScanCallTime = std::chrono::milliseconds(20); // well within kKeepGoingEvery
constexpr double kScanWindowGrowth = 16;
constexpr PCRE2_SIZE kLargestScanWindow = 1024 * 1024; // so that a page turning costly is seen soon
// Callouts between two looks at the clock.
constexpr uint64_t kCalloutsPerLook = 1024;
// Match data kept for the last few patterns of this object (the programs themselves are
// shared by the process, see CompiledPattern).
constexpr size_t kRecentPrograms = 8;

struct MatchDataFree { void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); } };
struct MatchContextFree { void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); } };
struct JitStackFree { void operator()(pcre2_jit_stack* p) const { pcre2_jit_stack_free(p); } };
using JitStackPtr = std::unique_ptr<pcre2_jit_stack, JitStackFree>;

// JIT stacks kept by each thread between walks: making one maps kJitStackMax of address
// space, and unmapping it stops the other threads for a TLB flush, which cost more than a
// short match when every RegExp made its own. A walk leases a stack for its length; a walk
// started from the keep-going check inside another takes a second one.
constexpr size_t kKeptJitStacks = 2;
thread_local std::vector<JitStackPtr> t_idleJitStacks;

class JitStackLease {
public:
    JitStackLease()
    {
        if (!t_idleJitStacks.empty()) {
            stack_ = std::move(t_idleJitStacks.back());
            t_idleJitStacks.pop_back();
        } else {
            stack_.reset(pcre2_jit_stack_create(32 * 1024, kJitStackMax, nullptr));
        }
    }
    ~JitStackLease()
    {
        if (stack_ && t_idleJitStacks.size() < kKeptJitStacks)
            t_idleJitStacks.push_back(std::move(stack_));
    }
    JitStackLease(const JitStackLease&) = delete;
    JitStackLease& operator=(const JitStackLease&) = delete;
    pcre2_jit_stack* get() const { return stack_.get(); }

private:
    JitStackPtr stack_;
};

PCRE2_SPTR units(const QString& text)
{
    return reinterpret_cast<PCRE2_SPTR>(text.utf16());
}

[[noreturn]] void giveUp(const QString& why)
{
    throw RegExpError(QStringLiteral("Recherche abandonnée : %1").arg(why));
}

[[noreturn]] void matchFailed(int rc)
{
    switch (rc) {
    case PCRE2_ERROR_MATCHLIMIT:
    case PCRE2_ERROR_DEPTHLIMIT:
    case PCRE2_ERROR_HEAPLIMIT:
    case PCRE2_ERROR_JIT_STACKLIMIT:
    case PCRE2_ERROR_NOMEMORY:
        giveUp(QStringLiteral("l'expression régulière demande trop de retours en arrière sur ce texte (%1)")
                   .arg(pcre2ErrorMessage(rc)));
    default:
        throw RegExpError(QStringLiteral("Erreur du moteur d'expressions régulières : %1").arg(pcre2ErrorMessage(rc)));
    }
}

// A coarse clock (a few milliseconds' resolution) costs a few nanoseconds to read, so the
// budgets are checked after every call without slowing short matches down.
struct CoarseClock {
    using duration = std::chrono::nanoseconds;
    using time_point = std::chrono::time_point<CoarseClock>;
    static time_point now()
    {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
        return time_point(std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec));
    }
};

// The windows of one scan (see kFirstScanWindow), each timed from the end of the call before
// by the walk's looks at the coarse clock: its few milliseconds are fine against kScanCallTime.
class ScanWindow {
public:
    PCRE2_SIZE size() const { return size_; }
    bool begun() const { return since_.has_value(); }
    void begin() { since_ = CoarseClock::now(); }

    // After a call over the window (or up to a match found in it), at `now`.
    void paced(CoarseClock::time_point now)
    {
        // Within one tick, the common case: kept cheap, as a global walk comes here after
        // every match.
        if (now == *since_) {
            lastSize_ = size_;
            lastTook_ = 1;
            size_ = std::max(size_, std::min(size_ * PCRE2_SIZE(kScanWindowGrowth), kLargestScanWindow));
            return;
        }
        const double took = double(std::chrono::nanoseconds(now - *since_).count());
        const double target = double(std::chrono::nanoseconds(kScanCallTime).count());
        // A slow call shrinks the window four times at least, so that the next tells whether
        // the time follows the window.
        double scale = took < target ? std::min(kScanWindowGrowth, target / took) : std::min(0.25, target / took);
        double largest = double(kLargestScanWindow);
        const double sizeRatio = lastSize_ > 0 ? double(size_) / double(lastSize_) : 1;
        const double timeRatio2 = std::pow(took / lastTook_, 2);
        // Time that does not follow the window (a quarter of it, not half the time; four times
        // it, not twice) goes where no window helps, such as a first try that reads the rest
        // of the text, which PCRE2 skips within one call only: smaller windows would never end.
        const bool unfollowed =
            (sizeRatio >= 4 && timeRatio2 < sizeRatio) || (sizeRatio <= 0.25 && timeRatio2 > sizeRatio);
        if (took >= target && unfollowed) {
            scale = kScanWindowGrowth;
            largest = 1e18;
        }
        lastSize_ = size_;
        lastTook_ = took;
        size_ = PCRE2_SIZE(std::clamp(double(size_) * scale, 1.0, std::max(largest, double(size_))));
        since_ = now;
    }

private:
    PCRE2_SIZE size_ = kFirstScanWindow;
    PCRE2_SIZE lastSize_ = 0; // none yet
    double lastTook_ = 1;     // ns
    std::optional<CoarseClock::time_point> since_;
};

} // namespace

// The state of one Test, Execute or Replace: its budgets, shared with the callouts.
struct RegExp::Walk {
    enum class Stop { None, TimeUp, TooManyCallouts, Interrupted };

    const std::vector<TranslatedPattern::EmptyCheck>* checks = nullptr;
    const std::function<bool()>* keepGoing = nullptr;
    CoarseClock::time_point deadline;
    CoarseClock::time_point nextKeepGoing;
    uint64_t callouts = 0; // in the current pcre2_match call
    Stop stop = Stop::None;
    // What the keep-going check threw inside a callout, carried past PCRE2's C frames.
    std::exception_ptr thrown;

    CoarseClock::time_point lastLook; // by goesOn

    // false once a budget is spent or the caller said to stop (`stop` tells which).
    bool goesOn()
    {
        const auto now = CoarseClock::now();
        lastLook = now;
        if (now > deadline) {
            stop = Stop::TimeUp;
            return false;
        }
        if (keepGoing && *keepGoing && now >= nextKeepGoing) {
            if (!(*keepGoing)()) {
                stop = Stop::Interrupted;
                return false;
            }
            nextKeepGoing = CoarseClock::now() + kKeepGoingEvery;
        }
        return true;
    }
};

namespace {

// Refuses an iteration that matched the empty string where the dialect refuses it; also
// where long matches look at their budgets.
int emptyIterationCallout(pcre2_callout_block* block, void* data)
{
    auto& walk = *static_cast<RegExp::Walk*>(data);
    if (++walk.callouts % kCalloutsPerLook == 0) {
        if (walk.callouts > kCalloutLimit) {
            walk.stop = RegExp::Walk::Stop::TooManyCallouts;
            return PCRE2_ERROR_CALLOUT;
        }
        try {
            if (!walk.goesOn())
                return PCRE2_ERROR_CALLOUT;
        } catch (...) {
            walk.thrown = std::current_exception();
            return PCRE2_ERROR_CALLOUT;
        }
    }
    const auto& checks = *walk.checks;
    size_t index = block->callout_number;
    if (block->callout_string != nullptr) {
        index = 0;
        for (PCRE2_SIZE i = 0; i < block->callout_string_length; ++i)
            index = index * 10 + size_t(block->callout_string[i] - u'0');
    }
    if (index >= checks.size())
        return 0;
    const TranslatedPattern::EmptyCheck& check = checks[index];
    const PCRE2_SIZE* ov = block->offset_vector;
    if (check.countMin >= 0) {
        // A large count on one character: the characters since the marker are the count.
        const PCRE2_SIZE start = uint32_t(check.marker) < block->capture_top ? ov[2 * check.marker] : PCRE2_UNSET;
        if (start == PCRE2_UNSET)
            return 1;
        const auto count = static_cast<long long>(block->current_position - start);
        return count >= check.countMin && (check.countMax < 0 || count <= check.countMax) ? 0 : 1;
    }
    if (uint32_t(check.marker) >= block->capture_top)
        return 0;
    const PCRE2_SIZE iterationStart = ov[2 * check.marker];
    if (iterationStart == PCRE2_UNSET || block->current_position != iterationStart)
        return 0; // the iteration consumed something
    if (check.neverEmpty)
        return 1;
    // Minimum above zero: empty iterations are allowed while the repetition has not moved
    // from where it began. (PCRE2 itself ends a repetition after an empty iteration, where
    // the dialect would go on with non-empty ones: see the known deviations of the tests.)
    const bool atLoopStart = uint32_t(check.loopStart) < block->capture_top && ov[2 * check.loopStart] == iterationStart;
    return atLoopStart ? 0 : 1;
}

} // namespace

RegExpError::RegExpError(const QString& message, qsizetype position)
    : std::runtime_error(message.toStdString()), position_(position)
{
}

MatchInterrupted::MatchInterrupted()
    : RegExpError(QStringLiteral("Analyse interrompue"))
{
}

const QString& Match::SubMatches(qsizetype j) const
{
    if (j < 0 || j >= groups_.size())
        throw RegExpError(QStringLiteral("SubMatches(%1) : index hors limites (%2 groupes)").arg(j).arg(groups_.size()));
    return groups_[j];
}

struct RegExp::Compiled {
    std::shared_ptr<const CompiledPattern> program; // shared by the process
    std::unique_ptr<pcre2_match_data, MatchDataFree> matchData;
    std::unique_ptr<pcre2_match_context, MatchContextFree> context;
    PCRE2_SIZE offsetLimit = PCRE2_UNSET; // set in `context`
};

RegExp::RegExp() = default;
RegExp::~RegExp() = default;
RegExp::RegExp(RegExp&&) noexcept = default;
RegExp& RegExp::operator=(RegExp&&) noexcept = default;

void RegExp::setAside()
{
    tested_ = TestedMatch{};
    if (!compiled_)
        return;
    recent_.insert(recent_.begin(), std::move(compiled_));
    if (recent_.size() > kRecentPrograms)
        recent_.pop_back();
}

void RegExp::Pattern(const QString& pattern)
{
    if (pattern != pattern_)
        setAside();
    pattern_ = pattern;
}

void RegExp::IgnoreCase(bool on)
{
    if (on != ignoreCase_)
        setAside();
    ignoreCase_ = on;
}

void RegExp::Multiline(bool on)
{
    if (on != multiline_)
        setAside();
    multiline_ = on;
}

int RegExp::groupCount()
{
    compile();
    return compiled_->program->translated.groupCount;
}

void RegExp::compile()
{
    if (compiled_)
        return;
    for (auto it = recent_.begin(); it != recent_.end(); ++it) {
        const CompiledPattern& c = *(*it)->program;
        if (c.pattern == pattern_ && c.ignoreCase == ignoreCase_ && c.multiline == multiline_) {
            compiled_ = std::move(*it);
            recent_.erase(it);
            return;
        }
    }
    auto compiled = std::make_unique<Compiled>();
    compiled->program = compiledPattern(pattern_, ignoreCase_, multiline_);
    compiled->matchData.reset(pcre2_match_data_create_from_pattern(compiled->program->code, nullptr));
    compiled->context.reset(pcre2_match_context_create(nullptr));
    if (!compiled->matchData || !compiled->context)
        throw std::bad_alloc();
    pcre2_match_context* context = compiled->context.get();
    pcre2_set_match_limit(context, kMatchLimit);
    pcre2_set_depth_limit(context, kDepthLimit);
    pcre2_set_heap_limit(context, kHeapLimitKiB);
    compiled_ = std::move(compiled);
}

template <typename Visit>
void RegExp::forEachMatch(const QString& text, bool all, Visit&& visit)
{
    if (matching_)
        throw RegExpError(QStringLiteral("Expression régulière déjà en cours d'utilisation"));
    compile();
    matching_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{matching_};

    Walk walk;
    walk.checks = &compiled_->program->translated.emptyChecks;
    walk.keepGoing = &keepGoing_;
    walk.deadline = CoarseClock::now() + kTimeBudget;
    walk.nextKeepGoing = CoarseClock::now() + kKeepGoingEvery;
    pcre2_match_context* context = compiled_->context.get();
    if (!walk.checks->empty())
        pcre2_set_callout(context, emptyIterationCallout, &walk);
    const CompiledPattern& program = *compiled_->program;
    const pcre2_code* code = program.code;
    // The default 32 KiB JIT stack is too small for alternations repeated over a page.
    std::optional<JitStackLease> jitStack;
    const auto useJit = [&](const pcre2_code* jitted) {
        code = jitted;
        jitStack.emplace();
        pcre2_jit_stack_assign(context, nullptr, jitStack->get());
    };
    bool tryingInterpreter = false;
    if (program.jitPossible) {
        const bool small = text.size() <= kInterpretedTextUpTo;
        if (program.walks.fetch_add(1, std::memory_order_relaxed) < kInterpretedWalks && small)
            tryingInterpreter = true;
        else if (const pcre2_code* jitted = program.jitCode())
            useJit(jitted);
    }
    pcre2_set_match_limit(context, tryingInterpreter ? kInterpretedTryLimit : kMatchLimit);
    const auto stopped = [&walk] {
        switch (walk.stop) {
        case Walk::Stop::Interrupted:
            throw MatchInterrupted();
        case Walk::Stop::TooManyCallouts:
            giveUp(QStringLiteral("l'expression régulière demande trop de retours en arrière sur ce texte "
                                  "(répétition d'un groupe qui peut être vide)"));
        case Walk::Stop::TimeUp:
        case Walk::Stop::None:
            break;
        }
        giveUp(QStringLiteral("l'expression régulière a dépassé le temps permis sur ce texte"));
    };

    ScanWindow window;
    pcre2_match_data* matchData = compiled_->matchData.get();
    const PCRE2_SIZE length = PCRE2_SIZE(text.size());
    PCRE2_SIZE start = 0;
    if (tested_.valid && tested_.text.constData() == text.constData() && tested_.text.size() == text.size()) {
        // Test has already looked for the first match in this very text.
        if (!tested_.found)
            return;
        const PCRE2_SIZE* ovector = tested_.ovector.data();
        visit(ovector, tested_.pairs);
        if (!all)
            return;
        start = ovector[1] > ovector[0] ? ovector[1] : ovector[1] + 1;
    }
    while (start <= length) {
        walk.callouts = 0;
        // An anchored pattern is tried at `start` alone: one call is one try.
        const bool windowed = !program.anchored && length - start > window.size();
        const PCRE2_SIZE limit = windowed ? start + window.size() : PCRE2_UNSET;
        if (limit != compiled_->offsetLimit) {
            pcre2_set_offset_limit(context, limit);
            compiled_->offsetLimit = limit;
        }
        if (windowed && !window.begun())
            window.begin();
        int rc = pcre2_match(code, units(text), length, start, 0, matchData, context);
        if (tryingInterpreter && (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT || rc == PCRE2_ERROR_HEAPLIMIT)) {
            tryingInterpreter = false;
            if (const pcre2_code* jitted = program.jitCode())
                useJit(jitted);
            pcre2_set_match_limit(context, kMatchLimit);
            walk.callouts = 0;
            rc = pcre2_match(code, units(text), length, start, 0, matchData, context);
        }
        if (rc == PCRE2_ERROR_NOMATCH) {
            if (!windowed)
                return;
            start = limit + 1; // no match begins in this window
            if (!walk.goesOn())
                stopped();
            window.paced(walk.lastLook);
            continue;
        }
        if (rc == PCRE2_ERROR_CALLOUT && walk.thrown)
            std::rethrow_exception(walk.thrown);
        if (rc == PCRE2_ERROR_CALLOUT && walk.stop != Walk::Stop::None)
            stopped();
        if (rc < 0)
            matchFailed(rc);
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData);
        visit(ovector, uint32_t(rc));
        if (!all)
            return;
        // After an empty match, step one character on.
        start = ovector[1] > ovector[0] ? ovector[1] : ovector[1] + 1;
        if (!walk.goesOn())
            stopped();
        if (windowed)
            window.paced(walk.lastLook);
    }
}

bool RegExp::Test(const QString& text)
{
    TestedMatch tested;
    forEachMatch(text, false, [&](const PCRE2_SIZE* ov, uint32_t pairs) {
        tested.found = true;
        tested.pairs = pairs;
        tested.ovector.assign(ov, ov + 2 * size_t(pairs));
    });
    tested.valid = true;
    tested.text = text;
    tested_ = std::move(tested);
    return tested_.found;
}

Matches RegExp::Execute(const QString& text)
{
    Matches result;
    forEachMatch(text, global_, [&](const PCRE2_SIZE* ov, uint32_t setPairs) {
        const TranslatedPattern& t = compiled_->program->translated;
        Match m;
        m.FirstIndex = qsizetype(ov[0]);
        m.Length = qsizetype(ov[1] - ov[0]);
        m.Value = text.mid(m.FirstIndex, m.Length);
        m.groups_.reserve(t.groupCount);
        m.starts_.reserve(t.groupCount);
        for (int g = 1; g <= t.groupCount; ++g) {
            const uint32_t slot = uint32_t(t.groupSlot[g]);
            bool set = slot < setPairs && ov[2 * slot] != PCRE2_UNSET;
            // A group last set in an earlier iteration of a repetition around it is
            // forgotten by the dialect when the next iteration begins.
            for (int marker : t.groupMarkers[g]) {
                if (!set)
                    break;
                const PCRE2_SIZE iterationStart = uint32_t(marker) < setPairs ? ov[2 * marker] : PCRE2_UNSET;
                if (iterationStart != PCRE2_UNSET && ov[2 * slot] < iterationStart)
                    set = false;
            }
            m.groups_.append(set ? text.mid(qsizetype(ov[2 * slot]), qsizetype(ov[2 * slot + 1] - ov[2 * slot])) : QString());
            m.starts_.append(set ? qsizetype(ov[2 * slot]) : -1);
        }
        result.push_back(std::move(m));
    });
    return result;
}

QString RegExp::Replace(const QString& text, const QString& replacement)
{
    QString out;
    qsizetype copied = 0;
    forEachMatch(text, global_, [&](const PCRE2_SIZE* ov, uint32_t) {
        out.append(QStringView(text).mid(copied, qsizetype(ov[0]) - copied));
        out.append(replacement);
        copied = qsizetype(ov[1]);
    });
    out.append(QStringView(text).mid(copied));
    return out;
}

} // namespace trouvel::text
