#include "config/IniFile.h"

#include "common/BoundedRead.h"

#include "common/WholeFile.h"
#include "config/FileContentCache.h"
#include "text/TextCodec.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace trouvel::config {

namespace {

// Profile files are scanned as bytes: line ends, brackets, "=" and blanks are ASCII and can
// never be part of a multi-byte character, so only the names and the value found are decoded.

bool isBlankByte(char c)
{
    return c == ' ' || c == '\t';
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool hasBom(const QByteArray& content)
{
    return content.startsWith("\xEF\xBB\xBF");
}

enum class LineKind { Blank, Comment, Section, Key, Other };

struct Line {
    qsizetype begin = 0;      // first byte of the line
    qsizetype contentEnd = 0; // end of its text, before CR LF or LF
    qsizetype next = 0;       // first byte of the following line
    LineKind kind = LineKind::Other;
    qsizetype nameBegin = 0;  // section or key name, blanks removed
    qsizetype nameEnd = 0;
    qsizetype valueBegin = 0; // key lines: the value, blanks removed
    qsizetype valueEnd = 0;
};

// Reads the line starting at pos and classifies it.
Line readLine(const char* data, qsizetype size, qsizetype pos)
{
    Line line;
    line.begin = pos;
    const void* nl = std::memchr(data + pos, '\n', size_t(size - pos));
    const qsizetype lineEnd = nl ? static_cast<const char*>(nl) - data : size;
    line.next = nl ? lineEnd + 1 : size;
    line.contentEnd = lineEnd;
    if (line.contentEnd > pos && data[line.contentEnd - 1] == '\r')
        --line.contentEnd;

    qsizetype b = pos;
    qsizetype e = line.contentEnd;
    while (b < e && isBlankByte(data[b]))
        ++b;
    while (e > b && isBlankByte(data[e - 1]))
        --e;
    if (b == e) {
        line.kind = LineKind::Blank;
        return line;
    }
    if (data[b] == ';') {
        line.kind = LineKind::Comment;
        return line;
    }
    if (data[b] == '[') {
        line.kind = LineKind::Section;
        qsizetype nb = b + 1;
        const void* close = std::memchr(data + nb, ']', size_t(e - nb));
        qsizetype ne = close ? static_cast<const char*>(close) - data : e;
        while (nb < ne && isBlankByte(data[nb]))
            ++nb;
        while (ne > nb && isBlankByte(data[ne - 1]))
            --ne;
        line.nameBegin = nb;
        line.nameEnd = ne;
        return line;
    }
    const void* eq = std::memchr(data + b, '=', size_t(e - b));
    if (!eq) {
        line.kind = LineKind::Other;
        return line;
    }
    line.kind = LineKind::Key;
    const qsizetype eqPos = static_cast<const char*>(eq) - data;
    qsizetype ne = eqPos;
    while (ne > b && isBlankByte(data[ne - 1]))
        --ne;
    line.nameBegin = b;
    line.nameEnd = ne;
    // The blanks after "=" belong to the key's side even when nothing follows them, so that a
    // write keeps them and writing the same value twice gives the same bytes.
    qsizetype vb = eqPos + 1;
    while (vb < line.contentEnd && isBlankByte(data[vb]))
        ++vb;
    line.valueBegin = vb;
    line.valueEnd = std::max(e, vb);
    return line;
}

bool isAscii(const char* p, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i) {
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    }
    return true;
}

bool isAscii(const QString& s)
{
    for (const QChar c : s) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Names match regardless of letter case. Plain ASCII on both sides (the usual case) is
// compared in place; anything else is decoded and folded by Qt.
bool sameName(const char* p, qsizetype n, const QString& name)
{
    if (isAscii(name) && isAscii(p, n)) {
        if (n != name.size())
            return false;
        for (qsizetype i = 0; i < n; ++i) {
            if (asciiLower(p[i]) != asciiLower(char(name[i].unicode())))
                return false;
        }
        return true;
    }
    const QString decoded = text::decodeText(QByteArray::fromRawData(p, n));
    return decoded.compare(name, Qt::CaseInsensitive) == 0;
}

// Cut to the read limit without splitting a surrogate pair.
QString cutToLimit(QString value)
{
    if (value.size() > kMaxIniValueLength) {
        qsizetype n = kMaxIniValueLength;
        if (value[n - 1].isHighSurrogate())
            --n;
        value.truncate(n);
    }
    return value;
}

bool quoted(const QString& value)
{
    return value.size() >= 2 && value.front() == u'"' && value.back() == u'"';
}

// Walks the lines of content (after any byte-order mark) and calls visit(line) for each,
// stopping when visit returns false.
template <typename Visit>
void forEachLine(const QByteArray& content, Visit&& visit)
{
    const char* data = content.constData();
    const qsizetype size = content.size();
    qsizetype pos = hasBom(content) ? 3 : 0;
    while (pos < size) {
        const Line line = readLine(data, size, pos);
        if (!visit(line))
            return;
        pos = line.next;
    }
}

// Where a section and key sit in content. Only the first section of that name counts (a
// later one of the same name is never searched), and in it only the first line of the key.
struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    Line keyLine;
    Line lastLineOfSection; // its header or its last key line: where a new key goes after
};

Location locate(const QByteArray& content, const QString& section, const QString& key)
{
    Location where;
    bool inSection = false;
    const char* data = content.constData();
    forEachLine(content, [&](const Line& line) {
        if (line.kind == LineKind::Section) {
            if (inSection)
                return false;
            if (sameName(data + line.nameBegin, line.nameEnd - line.nameBegin, section)) {
                inSection = true;
                where.sectionFound = true;
                where.lastLineOfSection = line;
            }
            return true;
        }
        if (inSection && line.kind == LineKind::Key) {
            where.lastLineOfSection = line;
            if (sameName(data + line.nameBegin, line.nameEnd - line.nameBegin, key)) {
                where.keyFound = true;
                where.keyLine = line;
                return false;
            }
        }
        return true;
    });
    return where;
}

// The encoding a file keeps when written: UTF-8 when it has a byte-order mark or is valid
// UTF-8 (plain ASCII included), else Windows-1252. A text that Windows-1252 cannot carry so
// that it reads back the same is written as UTF-8 instead, which the reader also accepts.
class FileEncoding {
public:
    explicit FileEncoding(const QByteArray& content)
        : windows1252_(!hasBom(content) && !text::isValidUtf8(content))
    {
    }

    QByteArray encode(const QString& s) const
    {
        if (windows1252_) {
            QByteArray bytes = text::encodeWindows1252(s);
            if (text::decodeText(bytes) == s)
                return bytes;
        }
        return s.toUtf8();
    }

private:
    bool windows1252_;
};

// The line end the file already uses (that of its first line), LF for a file without one.
QByteArray lineEndOf(const QByteArray& content)
{
    const qsizetype nl = content.indexOf('\n');
    if (nl > 0 && content[nl - 1] == '\r')
        return QByteArrayLiteral("\r\n");
    return QByteArrayLiteral("\n");
}

// A value with blanks at either end, or one already wrapped in quotes, is written inside a
// pair of quotes so that the reader's trimming and quote removal give it back unchanged.
QString storedValue(const QString& value)
{
    if (value.isEmpty())
        return value;
    if (isBlank(value.front()) || isBlank(value.back()) || quoted(value))
        return u'"' + value + u'"';
    return value;
}

// Gives the last line of out its line end before a line is added after it. A last line that
// stops at a bare CR only needs the LF: a second CR would become part of that line's value.
void endLastLine(QByteArray& out, const QByteArray& eol)
{
    if (out.endsWith('\n'))
        return;
    if (out.endsWith('\r'))
        out.append('\n');
    else
        out.append(eol);
}

bool hasLineBreak(const QString& s)
{
    return s.contains(u'\n') || s.contains(u'\r');
}

bool hasOuterBlank(const QString& s)
{
    return !s.isEmpty() && (isBlank(s.front()) || isBlank(s.back()));
}

} // namespace

QString iniLookup(const QByteArray& content, const QString& section, const QString& key, const QString& defaultValue)
{
    const Location where = locate(content, section, key);
    if (!where.keyFound)
        return cutToLimit(defaultValue);
    const Line& line = where.keyLine;
    QString value = text::decodeText(content.mid(line.valueBegin, line.valueEnd - line.valueBegin));
    if (quoted(value))
        value = value.mid(1, value.size() - 2);
    return cutToLimit(std::move(value));
}

std::vector<IniEntry> iniEntries(const QByteArray& content)
{
    std::vector<IniEntry> entries;
    int number = 0;
    QString section;
    forEachLine(content, [&](const Line& line) {
        ++number;
        const auto decoded = [&](qsizetype from, qsizetype to) { return text::decodeText(content.mid(from, to - from)); };
        IniEntry entry;
        entry.line = number;
        switch (line.kind) {
        case LineKind::Blank:
        case LineKind::Comment:
            return true;
        case LineKind::Section:
            entry.kind = IniEntry::Kind::Section;
            section = entry.section = decoded(line.nameBegin, line.nameEnd);
            break;
        case LineKind::Key: {
            entry.kind = IniEntry::Kind::Key;
            entry.section = section;
            entry.key = decoded(line.nameBegin, line.nameEnd);
            QString value = decoded(line.valueBegin, line.valueEnd);
            entry.valueColumn = int(decoded(line.begin, line.valueBegin).size()) + 1;
            if (quoted(value)) {
                value = value.mid(1, value.size() - 2);
                ++entry.valueColumn;
            }
            entry.value = cutToLimit(std::move(value));
            break;
        }
        case LineKind::Other:
            entry.section = section;
            entry.value = decoded(line.begin, line.contentEnd).trimmed();
            break;
        }
        entries.push_back(std::move(entry));
        return true;
    });
    return entries;
}

std::optional<QString> iniValueAsWritten(const QByteArray& content, const QString& section, const QString& key)
{
    const Location where = locate(content, section, key);
    if (!where.keyFound)
        return std::nullopt;
    const Line& line = where.keyLine;
    QString value = text::decodeText(content.mid(line.valueBegin, line.contentEnd - line.valueBegin));
    if (const QString trimmed = value.trimmed(); quoted(trimmed))
        value = trimmed.mid(1, trimmed.size() - 2);
    return cutToLimit(std::move(value));
}

QString ReadIniString(const QString& file, const QString& section, const QString& key, const QString& defaultValue)
{
    // No file name is a missing file (QFile would also print a warning for it).
    const std::optional<QByteArray> content = fileContent(file);
    if (!content)
        return cutToLimit(defaultValue);
    return iniLookup(*content, section, key, defaultValue);
}

bool IniFlag(const QString& text)
{
    return text != QStringLiteral("0");
}

bool iniCanStore(const QString& section, const QString& key, const QString& value)
{
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value))
        return false;
    if (section.contains(u']') || hasOuterBlank(section))
        return false;
    if (key.contains(u'=') || hasOuterBlank(key) || key.startsWith(u'[') || key.startsWith(u';'))
        return false;
    return section.isValidUtf16() && key.isValidUtf16() && value.isValidUtf16();
}

QByteArray iniUpdate(const QByteArray& content, const QString& section, const QString& key, const QString& value)
{
    if (!iniCanStore(section, key, value))
        return content;
    const FileEncoding encoding(content);
    const QByteArray eol = lineEndOf(content);
    const QByteArray valueBytes = encoding.encode(storedValue(value));
    const Location where = locate(content, section, key);

    QByteArray out;
    out.reserve(content.size() + key.size() + valueBytes.size() + section.size() + 8);
    if (where.keyFound) {
        // Only the value changes: the key as written, the blanks around "=" and the line end stay.
        const Line& line = where.keyLine;
        out.append(content.constData(), line.valueBegin);
        out.append(valueBytes);
        out.append(content.constData() + line.contentEnd, content.size() - line.contentEnd);
        return out;
    }
    const QByteArray keyLine = encoding.encode(key) + '=' + valueBytes + eol;
    if (where.sectionFound) {
        const Line& after = where.lastLineOfSection;
        out.append(content.constData(), after.next);
        if (after.next == content.size())
            endLastLine(out, eol);
        out.append(keyLine);
        out.append(content.constData() + after.next, content.size() - after.next);
        return out;
    }
    out.append(content);
    if (!content.isEmpty() && content != "\xEF\xBB\xBF")
        endLastLine(out, eol);
    out.append('[');
    out.append(encoding.encode(section));
    out.append(']');
    out.append(eol);
    out.append(keyLine);
    return out;
}

QString writeIniValue(const QString& file, const QString& section, const QString& key, const QString& value)
{
    return writeIniValues(file, section, {{key, value}});
}

QString writeIniValues(const QString& file, const QString& section, const std::vector<std::pair<QString, QString>>& values)
{
    if (values.empty())
        return {};
    for (const auto& [key, value] : values)
        if (!iniCanStore(section, key, value))
            return QStringLiteral("Valeur impossible à enregistrer (saut de ligne, ou nom de section ou de clé invalide)");
    QByteArray content;
    const bool exists = QFileInfo::exists(file);
    if (exists) {
        FileRead existing = readRegularFile(file, kMaxProfileBytes);
        if (!existing.bytes)
            return QStringLiteral("Lecture impossible : %1").arg(existing.problem);
        content = std::move(*existing.bytes);
    }
    QByteArray updated = content;
    for (const auto& [key, value] : values)
        updated = iniUpdate(updated, section, key, value);
    if (exists && updated == content)
        return {};
    // A crash or a full disk leaves the old file or the new one, never a part of it: all the
    // values reach the file in one write.
    QString reason = writeWholeFile(file, updated);
    forgetFileContent(file);
    return reason;
}

bool WriteIniString(const QString& file, const QString& section, const QString& key, const QString& value)
{
    return writeIniValue(file, section, key, value).isEmpty();
}

} // namespace trouvel::config
