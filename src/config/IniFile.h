// Profile (INI) files: the retrieval scripts, Trouvel.ini and the host's profile file.
// Files written on Windows read the same here (CR LF, byte-order mark, Windows-1252).
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace trouvel::config {

// Longest value a read returns; longer stored values are cut.
constexpr int kMaxIniValueLength = 1023;

// The value of key in section of file, without the blanks around it (and without one pair
// of enclosing double quotes), cut to 1023 characters; defaultValue when the file, the
// section or the key is missing or the file cannot be read. Names match regardless of case;
// where a section or key appears twice, the first counts.
QString ReadIniString(const QString& file, const QString& section, const QString& key, const QString& defaultValue);

// false only for the exact text "0".
bool IniFlag(const QString& text);

// Stores key=value in section of file, creating the file, section or key as needed. Only
// that key's line changes; the file is replaced atomically. false when the write failed
// (the old file is then untouched).
bool WriteIniString(const QString& file, const QString& section, const QString& key, const QString& value);
// WriteIniString saying why it failed: "" when stored, else the reason in French.
QString writeIniValue(const QString& file, const QString& section, const QString& key, const QString& value);
// Several keys of one section in a single write of the file: afterwards the file holds all of
// them or none. "" when stored, else the reason in French.
QString writeIniValues(const QString& file, const QString& section, const std::vector<std::pair<QString, QString>>& values);

// The same two operations as pure functions over a file's bytes.
QString iniLookup(const QByteArray& content, const QString& section, const QString& key, const QString& defaultValue);
// content with the change applied; content unchanged when iniCanStore says no.
QByteArray iniUpdate(const QByteArray& content, const QString& section, const QString& key, const QString& value);

// A line of a profile file as the reader classifies it, for tools that check a file.
struct IniEntry {
    enum class Kind { Section, Key, Other };
    Kind kind = Kind::Other;
    int line = 0;         // from 1
    QString section;      // the section a key belongs to ("" before the first), or the header's name
    QString key;          // Key lines
    QString value;        // Key lines: as a read gives it; Other lines: the line's text
    int valueColumn = 0;  // Key lines: the value's first character in the line, from 1
};
// Every section header, key line and unreadable line of content, in file order (blank lines
// and comments left out).
std::vector<IniEntry> iniEntries(const QByteArray& content);

// The value of key as written, with the blanks at its end kept (one pair of enclosing
// double quotes still dropped): for a separator such as ", ". Nothing when the key is missing.
std::optional<QString> iniValueAsWritten(const QByteArray& content, const QString& section, const QString& key);

// Whether the three texts can be written so that a read gives them back: no line break
// anywhere, a section without "]" or blanks around it, a key without "=", blanks around it
// or a leading "[" or ";", and no broken UTF-16. WriteIniString fails on anything else.
bool iniCanStore(const QString& section, const QString& key, const QString& value);

} // namespace trouvel::config
