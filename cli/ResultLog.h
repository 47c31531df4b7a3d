// What trouvel batch came to for each entry it handled, and the list of them a walk keeps
// for its summary, its journal and its report.
#pragma once

#include "wizard/EntryOutcome.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <vector>

namespace trouvel::cli {

// The engine's own kinds of outcome (PictureNotStored: the fields were saved, the picture
// could not be written).
using Outcome = wizard::EntryOutcome::Kind;

struct EntryResult {
    EntryResult() = default;
    // An entry's result decided after its steps (no stage: see reportStage).
    EntryResult(int row, QString title, Outcome outcome, int candidates, QString detail)
        : row(row), title(std::move(title)), outcome(outcome), candidates(candidates), detail(std::move(detail)) {}

    int row = 0; // 0-based
    QString title;
    Outcome outcome = Outcome::Failed;
    int candidates = 0;
    QString detail; // why it failed, or a note on a filled entry
    QString stage;  // where it failed or what the note is about: "recherche", "fiche", "image", "enregistrement"
    QStringList candidateTexts; // of an ambiguous search, as the list shows them
    QString retryNote; // why the entry was not tried again although the site might have answered later

    bool operator==(const EntryResult&) const = default;
};

// Results in the order they were added, each packed into one buffer as UTF-8 and read back
// as an EntryResult copy: a walk over tens of thousands of entries keeps them all, and most
// are a row, an outcome and a title, a few dozen bytes where the struct and its strings
// take a couple of hundred.
class ResultLog {
public:
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = EntryResult;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = EntryResult;

        const_iterator() = default;
        EntryResult operator*() const { return log_->at(index_); }
        const_iterator& operator++()
        {
            ++index_;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++index_;
            return before;
        }
        bool operator==(const const_iterator& other) const { return index_ == other.index_; }

    private:
        friend class ResultLog;
        const_iterator(const ResultLog* log, std::size_t index) : log_(log), index_(index) {}
        const ResultLog* log_ = nullptr;
        std::size_t index_ = 0;
    };

    ResultLog() = default;
    ResultLog(std::initializer_list<EntryResult> results);

    void push_back(const EntryResult& result);
    EntryResult at(std::size_t index) const;
    EntryResult operator[](std::size_t index) const { return at(index); }
    Outcome outcomeAt(std::size_t index) const;
    std::size_t size() const { return starts_.size(); }
    bool empty() const { return starts_.empty(); }
    void clear();
    // Room for so many more results' places (their bytes grow as they come).
    void reserve(std::size_t results) { starts_.reserve(results); }

    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    QByteArray bytes_;
    std::vector<std::uint32_t> starts_; // where each result's bytes begin
};

} // namespace trouvel::cli
