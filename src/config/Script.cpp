#include "config/Script.h"

#include "config/Convert.h"
#include "config/FileContentCache.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace trouvel::config {

FieldSpec splitFieldSpec(const QString& value)
{
    FieldSpec spec;
    const qsizetype bar = value.indexOf(u'|');
    if (bar < 0) {
        spec.name = value;
        return spec;
    }
    spec.name = value.left(bar);
    const qsizetype next = value.indexOf(u'|', bar + 1);
    spec.pattern = next < 0 ? value.mid(bar + 1) : value.mid(bar + 1, next - bar - 1);
    spec.hasPattern = true;
    return spec;
}

QString fillTemplate(const QString& urlTemplate, const QString& text)
{
    QString out = urlTemplate;
    // Non-overlapping, left to right; the inserted text is not scanned again.
    out.replace(QStringLiteral("%1"), text);
    return out;
}

namespace {

// The scheme and host in small letters, without the scheme's default port.
QString withPlainOrigin(const QString& address)
{
    static const QRegularExpression origin(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*)://([^/?#]*)"));
    const QRegularExpressionMatch m = origin.match(address);
    if (!m.hasMatch())
        return address;
    const QString scheme = m.captured(1).toLower();
    QString host = m.captured(2).toLower();
    if ((scheme == QLatin1String("http") && host.endsWith(QLatin1String(":80")))
        || (scheme == QLatin1String("https") && host.endsWith(QLatin1String(":443"))))
        host.truncate(host.lastIndexOf(u':'));
    return scheme + QStringLiteral("://") + host + address.mid(m.capturedEnd());
}

} // namespace

std::optional<QString> templateText(const QString& urlTemplate, const QString& address)
{
    const QStringList pieces = withPlainOrigin(urlTemplate).split(QStringLiteral("%1"));
    if (pieces.size() < 2)
        return std::nullopt;
    QString pattern = QStringLiteral("^") + QRegularExpression::escape(pieces.first()) + QStringLiteral("(.+)");
    for (qsizetype i = 1; i < pieces.size(); ++i)
        pattern += (i > 1 ? QStringLiteral("\\1") : QString()) + QRegularExpression::escape(pieces.at(i));
    const QRegularExpressionMatch m = QRegularExpression(pattern + QStringLiteral("$")).match(withPlainOrigin(address));
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1);
}

std::optional<int> groupIndex(const QString& value)
{
    const std::optional<double> n = toNumber(value);
    if (!n)
        return std::nullopt;
    const double index = roundHalfEven(*n - 1.0);
    // Far beyond any group a pattern can have: treated as no group rather than wrapped.
    if (!(index >= std::numeric_limits<int>::min() && index <= std::numeric_limits<int>::max()))
        return std::nullopt;
    return static_cast<int>(index);
}

QString scriptsFolder(const QString& pluginFolder)
{
    if (pluginFolder.endsWith(u'/'))
        return pluginFolder + QStringLiteral("scripts");
    return pluginFolder + QStringLiteral("/scripts");
}

namespace {

bool hasScriptExtension(const QString& fileName)
{
    return fileName.size() > 4 && fileName.endsWith(QStringLiteral(".tvs"), Qt::CaseInsensitive);
}

} // namespace

QString scriptPath(const QString& pluginFolder, const QString& name)
{
    const QString folder = scriptsFolder(pluginFolder);
    const QString exact = folder + u'/' + name + QStringLiteral(".tvs");
    if (QFileInfo::exists(exact))
        return exact;
    // Scripts copied from Windows may have their extension in capitals ("Site.TVS").
    const QDir dir(folder);
    for (const QString& fileName : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (hasScriptExtension(fileName) && fileName.chopped(4) == name)
            return folder + u'/' + fileName;
    }
    return exact;
}

QString scriptFileProblem(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("le fichier n'existe pas");
    if (!info.isFile())
        return QStringLiteral("ce n'est pas un fichier ordinaire");
    if (info.size() > kMaxScriptBytes)
        return QStringLiteral("le fichier fait %1 octets, plus que les %2 permis").arg(info.size()).arg(kMaxScriptBytes);
    // Lines end at LF (CR LF read alike): a file whose lines end at CR alone would read as one
    // line, every key lost.
    const std::optional<QByteArray> content = fileContent(path);
    if (!content)
        return QStringLiteral("lecture impossible");
    if (content->contains('\r') && !content->contains('\n'))
        return QStringLiteral("ses lignes finissent par un CR seul : enregistrez-le avec des fins de ligne LF ou CR LF");
    return {};
}

QStringList listScripts(const QString& pluginFolder)
{
    const QDir dir(scriptsFolder(pluginFolder));
    if (!dir.exists())
        return {};
    QStringList names;
    // Hidden files (dot files) are left out by not asking for QDir::Hidden. Only regular
    // files (or links to them) are listed: a link to a device would be read without end.
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Readable, QDir::NoSort);
    for (const QFileInfo& info : entries) {
        const QString fileName = info.fileName();
        if (info.isFile() && hasScriptExtension(fileName))
            names.append(fileName.chopped(4));
    }
    // The directory order is arbitrary here, and the selected position is stored between
    // runs, so the list is sorted: letter case ignored first, then exact order to break ties.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    // "Site.tvs" and "Site.TVS" side by side are one name, which loads the first.
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

ScriptSource ScriptSource::pluginFolder(const QString& folder)
{
    return pluginFolders({folder});
}

ScriptSource ScriptSource::pluginFolders(const QStringList& folders)
{
    ScriptSource source;
    QStringList seen;
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        // The plug-in copied into the user's own folder makes both folders one.
        const QFileInfo info(folder);
        const QString identity = info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
        if (seen.contains(identity))
            continue;
        seen.append(identity);
        source.folders_.append(folder);
    }
    return source;
}

ScriptSource ScriptSource::singleFile(const QString& path)
{
    ScriptSource source;
    source.file_ = path;
    return source;
}

std::vector<ScriptEntry> ScriptSource::entries() const
{
    if (!file_.isEmpty())
        return {ScriptEntry{QFileInfo(file_).completeBaseName(), file_}};
    std::vector<ScriptEntry> entries;
    QStringList listed;
    for (const QString& folder : folders_) {
        for (const QString& name : listScripts(folder)) {
            if (listed.contains(name))
                continue;
            listed.append(name);
            entries.push_back({name, scriptPath(folder, name)});
        }
    }
    return entries;
}

QStringList ScriptSource::names() const
{
    QStringList names;
    for (const ScriptEntry& entry : entries())
        names.append(entry.name);
    return names;
}

QString ScriptSource::pathOf(const QString& name) const
{
    if (!file_.isEmpty()) {
        if (name == QFileInfo(file_).completeBaseName())
            return file_;
        return QFileInfo(file_).dir().filePath(name + QStringLiteral(".tvs"));
    }
    for (const ScriptEntry& entry : entries()) {
        if (entry.name == name)
            return entry.path;
    }
    return folders_.isEmpty() ? QString() : scriptPath(folders_.first(), name);
}

} // namespace trouvel::config
