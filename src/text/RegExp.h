// Regular-expression service used by every extraction: the ECMAScript (3rd edition)
// dialect the retrieval scripts are written in, run on PCRE2 with JIT.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace trouvel::text {

// Raised for an invalid pattern, a match that gives up (backtracking limits), or a
// sub-match index beyond the last group.
class RegExpError : public std::runtime_error {
public:
    // position: character offset in the pattern where the problem lies, or -1.
    RegExpError(const QString& message, qsizetype position = -1);
    qsizetype position() const { return position_; }
    QString message() const { return QString::fromUtf8(what()); }

private:
    qsizetype position_;
};

// A match abandoned because the caller's keep-going check said to stop (RegExp::keepGoing).
class MatchInterrupted : public RegExpError {
public:
    MatchInterrupted();
};

class Match {
public:
    qsizetype FirstIndex = 0; // character offset of the match in the subject
    qsizetype Length = 0;
    QString Value;
    // Text of capture group j + 1; "" for a group that took no part in the match.
    // Throws RegExpError when j is beyond the last group.
    const QString& SubMatches(qsizetype j) const;
    qsizetype SubMatchesCount() const { return groups_.size(); }
    // Where group j + 1 begins in the subject; -1 for a group that took no part.
    qsizetype SubMatchIndex(qsizetype j) const { return j >= 0 && j < starts_.size() ? starts_[j] : -1; }

private:
    friend class RegExp;
    QStringList groups_;
    QList<qsizetype> starts_;
};

using Matches = std::vector<Match>;

class RegExp {
public:
    RegExp();
    ~RegExp();
    RegExp(const RegExp&) = delete;
    RegExp& operator=(const RegExp&) = delete;
    RegExp(RegExp&&) noexcept;
    RegExp& operator=(RegExp&&) noexcept;

    void Pattern(const QString& pattern);
    const QString& Pattern() const { return pattern_; }
    void Global(bool on) { global_ = on; }
    bool Global() const { return global_; }
    void IgnoreCase(bool on);
    bool IgnoreCase() const { return ignoreCase_; }
    void Multiline(bool on);
    bool Multiline() const { return multiline_; }

    bool Test(const QString& text);
    Matches Execute(const QString& text);
    // Every match (the first only without Global) replaced by `replacement`, taken literally.
    QString Replace(const QString& text, const QString& replacement);

    // Compiles now and throws RegExpError for an invalid pattern (else done lazily).
    void compile();
    // The pattern's capture groups ((?:…) not counted); compiles, throws as compile does.
    int groupCount();

    // Asked about every 50 ms while a match runs, inside long matches too; false abandons the
    // match with MatchInterrupted. It may run the event loop (so that a Stop button or a
    // Ctrl-C is seen), but must not use this object.
    void keepGoing(std::function<bool()> check) { keepGoing_ = std::move(check); }

    struct Walk; // the budgets of one running match, shared with its callouts

private:
    struct Compiled;
    template <typename Visit>
    void forEachMatch(const QString& text, bool all, Visit&& visit);

    // Sets compiled_ aside in the cache when the pattern or an option changes.
    void setAside();

    QString pattern_;
    std::function<bool()> keepGoing_;
    bool matching_ = false; // a match is running (the keep-going check may re-enter)
    bool global_ = false;
    bool ignoreCase_ = false;
    bool multiline_ = false;
    std::unique_ptr<Compiled> compiled_; // for the current pattern and options, once compiled
    // The last few programs, most recent first: stripTag and the steps switch one object
    // between a handful of patterns, which then compile once.
    std::vector<std::unique_ptr<Compiled>> recent_;
    // The first match found by the last Test, which the steps follow with Execute on the
    // same page. `text` shares the page's buffer: if the caller changes its string, the
    // string detaches and the buffers no longer compare equal.
    struct TestedMatch {
        bool valid = false;
        bool found = false;
        QString text;
        std::vector<size_t> ovector;
        uint32_t pairs = 0;
    } tested_;
};

} // namespace trouvel::text
