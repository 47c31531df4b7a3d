// The keys of a script the workbench lets its author edit, and the edits made to them: the
// search page's Pattern and its three group numbers, each field MatchN (its name and its
// pattern apart) and PatternImg. Values are read as the profile reader reads them; the
// edits reach the file through the profile writer, which changes those lines only and keeps
// the comments, the order and the file's encoding.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace trouvel::atelier {

enum class PatternRole { Search, Link, ShortText, LongText, Field, Picture };

struct PatternKey {
    PatternRole role = PatternRole::Search;
    QString section; // "SearchPage" or "FilmPage"
    QString key;     // "Pattern", "Link", "Match3", "PatternImg", ...
    int field = 0;   // N of MatchN, from 1
    QString stored;  // the value read (a missing MatchN reads as the wizard reads it, "??|0")
};

// The editable keys of the script at path, in the order above, fields 1..Count.
std::vector<PatternKey> patternKeys(const QString& path);

// A MatchN value cut for its two editors: the name before the first "|", and everything
// after it (a second "|" included, so that nothing is lost; the wizard stops reading there).
struct FieldParts {
    QString name;
    QString pattern;
    bool bar = false; // the value holds a "|"
};
FieldParts fieldParts(const QString& value);
// The value the two editors give back: "name|pattern", or the name alone when the value had
// no "|" and no pattern was typed.
QString fieldValue(const QString& name, const QString& pattern, bool bar);

class ScriptEdits {
public:
    explicit ScriptEdits(std::vector<PatternKey> keys = {});

    const std::vector<PatternKey>& keys() const { return keys_; }
    int size() const { return int(keys_.size()); }
    const QString& value(int i) const { return values_.at(std::size_t(i)); }
    void setValue(int i, const QString& value) { values_.at(std::size_t(i)) = value; }
    bool changed(int i) const { return values_.at(std::size_t(i)) != keys_.at(std::size_t(i)).stored; }
    int changedCount() const;
    // The key of a role (the first for Field: use indexOfField).
    int indexOf(PatternRole role) const;
    int indexOfField(int field) const;

    // content with every changed key written in, as the profile writer writes it.
    QByteArray applyTo(const QByteArray& content) const;
    // After a save: the values written are the stored ones now.
    void markSaved();

private:
    std::vector<PatternKey> keys_;
    std::vector<QString> values_;
};

// Writes the changed keys into the file at path, all of them in one write (or none), over the
// file as it is now: what someone else changed in its other lines stays. "" when stored (or
// nothing changed), else why not, in French. The edits are marked saved when stored.
QString saveEdits(const QString& path, ScriptEdits& edits);

} // namespace trouvel::atelier
