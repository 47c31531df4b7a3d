// Profile (INI) files: the retrieval scripts, Trouvel.ini and the host's profile file.
// Files written on Windows read the same here (CR LF, byte-order mark, Windows-1252).
#pragma once

#include <QByteArray>
#include <QString>

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

// Whether the three texts can be written so that a read gives them back: no line break
// anywhere, a section without "]" or blanks around it, a key without "=", blanks around it
// or a leading "[" or ";", and no broken UTF-16. WriteIniString fails on anything else.
bool iniCanStore(const QString& section, const QString& key, const QString& value);

} // namespace trouvel::config
