// Profile files: any bytes as a file, any section, key and value.
// Input: section line, key line, value line, then the file's bytes.
// Checks: reads stay within the limit and agree between file and memory; after an update the
// key reads back the value written (when it can be stored) and every other key is unchanged.
#include "FuzzCheck.h"

#include "config/IniFile.h"
#include "text/TextCodec.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <QFile>
#include <QList>
#include <QPair>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

using namespace trouvel::config;

namespace {


QByteArray takeLine(QByteArray& input)
{
    const qsizetype nl = input.indexOf('\n');
    QByteArray line = nl < 0 ? input : input.left(nl);
    input = nl < 0 ? QByteArray() : input.mid(nl + 1);
    return line;
}

QByteArray trimmedBlanks(QByteArray s)
{
    while (!s.isEmpty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove(0, 1);
    while (!s.isEmpty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.chop(1);
    return s;
}

// Section and key names as they appear in the file (a rough scan is enough: a pair that is
// not really there reads as the default both before and after).
QList<QPair<QString, QString>> namesIn(const QByteArray& content)
{
    QList<QPair<QString, QString>> pairs;
    QString section;
    for (const QByteArray& raw : content.split('\n')) {
        const QByteArray line = trimmedBlanks(raw);
        if (line.startsWith('[')) {
            const qsizetype close = line.indexOf(']');
            section = trouvel::text::decodeText(trimmedBlanks(line.mid(1, close < 0 ? -1 : close - 1)));
        } else if (const qsizetype eq = line.indexOf('='); eq >= 0 && !line.startsWith(';')) {
            pairs.append({section, trouvel::text::decodeText(trimmedBlanks(line.left(eq)))});
        }
        if (pairs.size() >= 16)
            break;
    }
    return pairs;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString scratchFile()
{
    // A private folder, removed with the process when the fuzzer ends.
    static const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/trouvel-fuzz-ini-XXXXXX"));
    static const QString path = folder.filePath(QStringLiteral("scratch.ini"));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString section = trouvel::text::decodeText(takeLine(input));
    const QString key = trouvel::text::decodeText(takeLine(input));
    const QString value = trouvel::text::decodeText(takeLine(input));
    const QByteArray& content = input;
    const QString def = QStringLiteral("<default>");

    const QString read = iniLookup(content, section, key, def);
    check(read.size() <= kMaxIniValueLength, "read longer than the limit");
    check(read.isValidUtf16(), "read splits a surrogate pair");

    {
        QFile f(scratchFile());
        check(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "scratch file");
        f.write(content);
    }
    check(ReadIniString(scratchFile(), section, key, def) == read, "file read differs from memory read");

    const QByteArray updated = iniUpdate(content, section, key, value);
    if (!iniCanStore(section, key, value)) {
        check(updated == content, "refused update changed the content");
        return 0;
    }
    if (value.size() <= kMaxIniValueLength)
        check(iniLookup(updated, section, key, def) == value, "value does not read back");
    for (const auto& [s, k] : namesIn(content)) {
        if (sameName(s, section) && sameName(k, key))
            continue;
        check(iniLookup(updated, s, k, def) == iniLookup(content, s, k, def), "another key changed");
    }
    // Writing the same value again changes nothing.
    check(iniUpdate(updated, section, key, value) == updated, "second update not idempotent");
    return 0;
}
