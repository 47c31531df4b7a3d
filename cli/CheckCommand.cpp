#include "CheckCommand.h"

#include "Arguments.h"
#include "CliText.h"
#include "Fixture.h"
#include "FixtureRun.h"
#include "OutcomeCompare.h"
#include "PatternExplain.h"
#include "ScriptFolders.h"
#include "text/TerminalText.h"
#include "TryCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

#include <cstdio>

namespace trouvel::cli {

namespace {

void print(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

// The live run's signs of drift, each drifted field followed by where its pattern matched in
// the recorded film page and what it does in the live one.
QStringList driftLines(const SessionOptions& options, const Fixture& recorded, const Fixture& live)
{
    QStringList fields;
    QStringList lines = outcomeDrift(recorded.outcome, live.outcome, &fields);
    if (fields.isEmpty())
        return lines;
    QString error;
    std::vector<QByteArray> recordedPages;
    if (!replayTitle(options, std::make_shared<const Fixture>(recorded), &error, &recordedPages) || recordedPages.empty()
        || live.storedPages.empty())
        return lines;
    for (const QString& field : fields) {
        const QString prefix = QStringLiteral("champ « %1 »").arg(field);
        const auto line = std::find_if(lines.cbegin(), lines.cend(), [&prefix](const QString& l) { return l.startsWith(prefix); });
        const qsizetype at = line == lines.cend() ? -1 : line - lines.cbegin();
        const QStringList excerpts = explainFieldDrift(options.scriptFile, field, recordedPages.back(), live.storedPages.back());
        for (qsizetype i = 0; at >= 0 && i < excerpts.size(); ++i)
            lines.insert(at + 1 + i, QStringLiteral("  ") + excerpts[i]);
    }
    return lines;
}

} // namespace

int runCheck(const QStringList& args, const picture::PictureDecode& decodePicture)
{
    Arguments arguments({QStringLiteral("proxy"), QStringLiteral("timeout"), QStringLiteral("cookies")},
                        {QStringLiteral("live"), QStringLiteral("update"), QStringLiteral("yes"), QStringLiteral("no")});
    if (!arguments.parse(args) || arguments.positional().isEmpty() || arguments.positional().size() > 2) {
        std::fprintf(stderr, "trouvel check : %s\n%s", arguments.error().isEmpty() ? "SCRIPT attendu" : qPrintable(arguments.error()), kUsage);
        return 2;
    }
    QString problem;
    const QString scriptFile = findScript(arguments.positional().at(0), QCoreApplication::applicationDirPath(), &problem);
    if (scriptFile.isEmpty()) {
        std::fprintf(stderr, "trouvel check : %s\n", qPrintable(problem));
        return 2;
    }
    const QString root = arguments.positional().size() > 1 ? arguments.positional().at(1) : defaultFixtureRoot(scriptFile);
    const QStringList folders = fixtureFolders(root);
    if (folders.isEmpty()) {
        std::fprintf(stderr, "trouvel check : aucun titre enregistré dans %s (trouvel record)\n", qPrintable(root));
        return 2;
    }
    std::optional<SessionOptions> options = sessionOptionsFrom(arguments, "check", decodePicture);
    if (!options)
        return 2;
    options->scriptFile = scriptFile;
    const bool live = arguments.isSet(QStringLiteral("live"));
    const bool update = arguments.isSet(QStringLiteral("update"));

    int changed = 0;
    for (const QString& folder : folders) {
        const QString name = QFileInfo(folder).fileName();
        QString error;
        const std::optional<Fixture> loaded = loadFixture(folder, &error);
        QStringList lines;
        std::optional<Fixture> fresh;
        std::optional<QJsonObject> replayed;
        if (!loaded) {
            lines << error;
        } else if (live) {
            fresh = recordTitle(*options, loaded->title, loaded->pick, &error);
            if (fresh)
                lines = driftLines(*options, *loaded, *fresh);
            else
                lines << error;
        } else {
            replayed = replayTitle(*options, std::make_shared<const Fixture>(*loaded), &error);
            if (replayed)
                lines = outcomeChanges(loaded->outcome, *replayed);
            else
                lines << error;
        }
        const QString title = loaded ? text::escapeControls(loaded->title) : QString();
        // The excerpts under a drifted field are no signs of their own.
        const qsizetype signs = std::count_if(lines.cbegin(), lines.cend(), [](const QString& l) { return !l.startsWith(u' '); });
        if (lines.isEmpty()) {
            print(QStringLiteral("%1 (« %2 ») : %3\n").arg(name, title, live ? QStringLiteral("pas de dérive") : QStringLiteral("inchangé")));
            continue;
        }
        ++changed;
        print(QStringLiteral("%1 (« %2 ») : %3 %4\n")
                  .arg(name, title)
                  .arg(signs)
                  .arg(live ? QStringLiteral("signe(s) de dérive") : QStringLiteral("changement(s)")));
        for (const QString& line : lines)
            print(QStringLiteral("  %1\n").arg(line));
        if (update && (fresh || replayed)) {
            const QString saveError = fresh ? saveFixture(*fresh, folder) : saveOutcome(*replayed, folder);
            print(saveError.isEmpty() ? QStringLiteral("  enregistrement mis à jour\n") : QStringLiteral("  mise à jour impossible : %1\n").arg(saveError));
        }
    }
    print(QStringLiteral("%1 titre(s) vérifié(s), %2 %3\n")
              .arg(folders.size())
              .arg(changed)
              .arg(live ? QStringLiteral("en dérive") : QStringLiteral("changé(s)")));
    std::fflush(stdout);
    return changed > 0 ? 1 : 0;
}

} // namespace trouvel::cli
