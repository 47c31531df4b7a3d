#include "Fixture.h"

#include "common/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QUrl>

namespace trouvel::cli {

namespace {

constexpr char kManifest[] = "fixture.json";
constexpr char kOutcome[] = "outcome.json";

QString hopFileName(std::size_t page, std::size_t hop, const char* suffix)
{
    return QStringLiteral("page%1-hop%2.%3").arg(page + 1).arg(hop + 1).arg(QLatin1String(suffix));
}

std::optional<QByteArray> readAll(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("fichier illisible : %1").arg(path);
        return std::nullopt;
    }
    return file.readAll();
}

// Our own files only: a folder given by mistake keeps whatever else it holds.
void removeFixtureFiles(const QString& folder)
{
    static const QRegularExpression ours(QStringLiteral("^(fixture\\.json|outcome\\.json|page\\d+-hop\\d+\\.(request|response)|picture\\.\\w+)$"));
    QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files))
        if (ours.match(name).hasMatch())
            dir.remove(name);
}

} // namespace

QString pictureFileName(const QString& address)
{
    const QString suffix = QFileInfo(QUrl(address).path()).suffix().toLower();
    static const QRegularExpression plain(QStringLiteral("^[a-z0-9]{1,5}$"));
    return QStringLiteral("picture.") + (plain.match(suffix).hasMatch() ? suffix : QStringLiteral("bin"));
}

QString fixtureFolderName(const QString& title, int pick)
{
    QString name;
    for (const QChar c : title.normalized(QString::NormalizationForm_KD)) {
        if (c.isLetterOrNumber() && c.unicode() < 0x80)
            name += c.toLower();
        else if (!c.isMark() && !name.endsWith(QLatin1Char('-')))
            name += QLatin1Char('-');
    }
    while (name.endsWith(QLatin1Char('-')))
        name.chop(1);
    while (name.startsWith(QLatin1Char('-')))
        name.remove(0, 1);
    if (name.isEmpty())
        name = QStringLiteral("titre");
    if (pick > 0)
        name += QStringLiteral("--choix-%1").arg(pick);
    return name;
}

QString defaultFixtureRoot(const QString& scriptFile)
{
    const QFileInfo script(scriptFile);
    return script.dir().filePath(script.completeBaseName() + QStringLiteral(".tests"));
}

QStringList fixtureFolders(const QString& root)
{
    QStringList folders;
    const QDir dir(root);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (QFileInfo(dir.filePath(name + QLatin1Char('/') + QLatin1String(kManifest))).isFile())
            folders << dir.filePath(name);
    return folders;
}

QString saveOutcome(const QJsonObject& outcome, const QString& folder)
{
    return writeWholeFile(QDir(folder).filePath(QLatin1String(kOutcome)), QJsonDocument(outcome).toJson(QJsonDocument::Indented));
}

QString saveFixture(const Fixture& fixture, const QString& folder)
{
    if (!QDir().mkpath(folder))
        return QStringLiteral("impossible de créer le dossier %1").arg(folder);
    removeFixtureFiles(folder);
    const QDir dir(folder);
    QJsonArray pages;
    for (std::size_t i = 0; i < fixture.pages.size(); ++i) {
        const RecordedPage& page = fixture.pages[i];
        QJsonArray hops;
        for (std::size_t j = 0; j < page.hops.size(); ++j) {
            const net::WireExchange& hop = page.hops[j];
            const QString request = hopFileName(i, j, "request");
            const QString response = hopFileName(i, j, "response");
            for (const auto& [name, bytes] : {std::pair{request, hop.request}, std::pair{response, hop.response}})
                if (const QString error = writeWholeFile(dir.filePath(name), bytes); !error.isEmpty())
                    return error;
            hops.append(QJsonObject{{QStringLiteral("address"), hop.address},
                                    {QStringLiteral("request"), request},
                                    {QStringLiteral("response"), response}});
        }
        pages.append(QJsonObject{{QStringLiteral("method"), page.get ? QStringLiteral("GET") : QStringLiteral("POST")},
                                 {QStringLiteral("address"), page.address},
                                 {QStringLiteral("body"), page.body},
                                 {QStringLiteral("code"), page.code},
                                 {QStringLiteral("failure"), page.failure},
                                 {QStringLiteral("problem"), page.problem},
                                 {QStringLiteral("hops"), hops}});
    }
    QJsonObject manifest{{QStringLiteral("title"), fixture.title}, {QStringLiteral("pick"), fixture.pick}, {QStringLiteral("pages"), pages}};
    if (fixture.picture) {
        QString file;
        if (fixture.picture->stored) {
            file = pictureFileName(fixture.picture->address);
            if (const QString error = writeWholeFile(dir.filePath(file), fixture.picture->bytes); !error.isEmpty())
                return error;
        }
        manifest.insert(QStringLiteral("picture"), QJsonObject{{QStringLiteral("address"), fixture.picture->address},
                                                               {QStringLiteral("result"), fixture.picture->result},
                                                               {QStringLiteral("file"), file}});
    }
    if (const QString error = saveOutcome(fixture.outcome, folder); !error.isEmpty())
        return error;
    return writeWholeFile(dir.filePath(QLatin1String(kManifest)), QJsonDocument(manifest).toJson(QJsonDocument::Indented));
}

std::optional<Fixture> loadFixture(const QString& folder, QString* error)
{
    const QDir dir(folder);
    const auto json = [&](const char* name) -> std::optional<QJsonObject> {
        const std::optional<QByteArray> bytes = readAll(dir.filePath(QLatin1String(name)), error);
        if (!bytes)
            return std::nullopt;
        QJsonParseError parse;
        const QJsonDocument doc = QJsonDocument::fromJson(*bytes, &parse);
        if (!doc.isObject()) {
            *error = QStringLiteral("%1 : JSON illisible (%2)").arg(dir.filePath(QLatin1String(name)), parse.errorString());
            return std::nullopt;
        }
        return doc.object();
    };
    const std::optional<QJsonObject> manifest = json(kManifest);
    if (!manifest)
        return std::nullopt;
    const std::optional<QJsonObject> outcome = json(kOutcome);
    if (!outcome)
        return std::nullopt;
    Fixture fixture;
    fixture.title = (*manifest)[QStringLiteral("title")].toString();
    fixture.pick = (*manifest)[QStringLiteral("pick")].toInt();
    fixture.outcome = *outcome;
    for (const QJsonValue& value : (*manifest)[QStringLiteral("pages")].toArray()) {
        const QJsonObject o = value.toObject();
        RecordedPage page;
        page.get = o[QStringLiteral("method")].toString() != QLatin1String("POST");
        page.address = o[QStringLiteral("address")].toString();
        page.body = o[QStringLiteral("body")].toString();
        page.code = std::int16_t(o[QStringLiteral("code")].toInt());
        page.failure = o[QStringLiteral("failure")].toString();
        page.problem = o[QStringLiteral("problem")].toString();
        for (const QJsonValue& hopValue : o[QStringLiteral("hops")].toArray()) {
            const QJsonObject h = hopValue.toObject();
            net::WireExchange hop;
            hop.address = h[QStringLiteral("address")].toString();
            const std::optional<QByteArray> request = readAll(dir.filePath(QFileInfo(h[QStringLiteral("request")].toString()).fileName()), error);
            const std::optional<QByteArray> response = readAll(dir.filePath(QFileInfo(h[QStringLiteral("response")].toString()).fileName()), error);
            if (!request || !response)
                return std::nullopt;
            hop.request = *request;
            hop.response = *response;
            page.hops.push_back(std::move(hop));
        }
        fixture.pages.push_back(std::move(page));
    }
    if (const QJsonValue picture = (*manifest)[QStringLiteral("picture")]; picture.isObject()) {
        const QJsonObject o = picture.toObject();
        RecordedPicture recorded{o[QStringLiteral("address")].toString(), o[QStringLiteral("result")].toString(), {}, false};
        if (const QString file = o[QStringLiteral("file")].toString(); !file.isEmpty()) {
            const std::optional<QByteArray> bytes = readAll(dir.filePath(QFileInfo(file).fileName()), error);
            if (!bytes)
                return std::nullopt;
            recorded.bytes = *bytes;
            recorded.stored = true;
        }
        fixture.picture = recorded;
    }
    return fixture;
}

} // namespace trouvel::cli
