// The keys of a retrieval script (.tvs) and their defaults, in one place:
//
//     [Options]    Methode (0 GET, else POST), HTTP (0 HTTP/1.0, else 1.1), UserAgent,
//                  Charset (how the title is sent; empty: UTF-8)
//     [SearchPage] Url (%1: the title), Pattern, Link, ShortText, LongText (group numbers)
//     [FilmPage]   Url (%1: the candidate's link), Count, Match1..MatchN ("name|pattern"),
//                  MatchN.2..MatchN.9 (patterns tried when MatchN finds nothing), JoinN
//                  (every match of field N, joined by this separator), PatternImg
//     [ImgPage]    Url (%1: what PatternImg captured)
//
// Every accessor reads the file again through the profile reader (which answers from the
// file's bytes while it has not changed), so a script edited while the wizard is open is
// seen at the next step, as it always was.
#pragma once

#include "config/Script.h"

#include <QString>

#include <optional>

namespace trouvel::config {

class ScriptFile {
public:
    // The most field rows a script may have: row 110 would sit beyond the window's 16-bit
    // placement.
    static constexpr int kMaxFieldCount = 110;
    // What a missing MatchN reads as: a field "??" whose pattern matches a "0".
    static inline const QString kAbsentField = QStringLiteral("??|0");

    explicit ScriptFile(QString path);
    const QString& path() const { return path_; }

    QString methodText() const;      // Methode, "0"
    bool usesPost() const;           // Methode is not exactly "0"
    QString httpVersionText() const; // HTTP, "0"
    QString userAgent() const;       // UserAgent, "" (the client's own)
    QString charset() const;         // Charset, "" (UTF-8)

    QString searchUrl(const QString& title) const; // Url of [SearchPage], filled
    QString searchPattern() const;
    // Unescape=json in [SearchPage] / [FilmPage]: the values cut out are JSON strings.
    bool searchUnescapesJson() const;
    bool filmUnescapesJson() const;
    // Link, ShortText and LongText as 0-based sub-match indexes; negative (no group) when
    // missing or not a number.
    int linkGroup() const;
    int shortTextGroup() const;
    int longTextGroup() const;

    QString detailUrl(const QString& link) const; // Url of [FilmPage], filled
    // The link detailUrl would need to give address; nothing when no link does.
    std::optional<QString> filmLinkOf(const QString& address) const;
    // Whether some title put into [SearchPage] Url gives address.
    bool isSearchAddress(const QString& address) const;
    QString fieldCountText() const;               // Count, "0"
    // Count as a number; 0 when it is not a 16-bit number or is negative.
    int fieldCount() const;
    // Match<k>, k from 1, as stored.
    QString fieldText(int k, const QString& absent = kAbsentField) const;
    // Match<number>, the number as a mapping stores it (a text: " 2" names no key).
    QString fieldText(const QString& number, const QString& absent = kAbsentField) const;
    FieldSpec field(int k) const { return splitFieldSpec(fieldText(k)); }
    // The fall-back patterns of field k, in the order they are tried: Match<k>.2, .3, ... up
    // to the first one missing (at most kMaxAlternatives in all, Match<k> counted).
    static constexpr int kMaxAlternatives = 9;
    QStringList fieldFallbacks(int k) const;
    // Join<k>: the separator that joins every match of field k, as written (its blanks kept);
    // nothing when field k keeps its first match only.
    std::optional<QString> joinSeparator(int k) const;
    // The names of fields 1..Count (at most kMaxFieldCount).
    QStringList fieldNames() const;
    QString picturePattern() const;                 // PatternImg
    QString pictureUrl(const QString& found) const; // Url of [ImgPage], filled

private:
    QString read(const QString& section, const QString& key, const QString& absent = {}) const;

    QString path_;
};

} // namespace trouvel::config
