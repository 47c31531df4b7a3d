// Open and save of a 30,000-entry, 12-column catalogue. Goal: each under one second.
// peak_rss_MB is the process's peak resident memory after the runs: run one benchmark per
// process (--benchmark_filter) to read it for that operation alone.
#include "catalogue/CatalogueFile.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

constexpr int kEntries = 30000;
constexpr int kColumns = 12;

cadrelle::Catalogue makeCatalogue()
{
    cadrelle::Catalogue c;
    const char* captions[kColumns] = {"Titre", "Titre original", "Année", "Réalisateur", "Acteurs", "Genre",
                                      "Durée", "Pays", "Résumé", "Support", "Emplacement", "Note"};
    for (const char* caption : captions)
        c.addColumn(QString::fromUtf8(caption));
    c.reserve(kEntries);
    for (int r = 0; r < kEntries; ++r) {
        QStringList cells;
        cells << QStringLiteral("Le film n°%1").arg(r) << QStringLiteral("The Movie %1").arg(r)
              << QString::number(1930 + r % 90) << QStringLiteral("Réalisatrice %1").arg(r % 500)
              << QStringLiteral("Acteur A, Actrice B, Acteur \"C\" %1").arg(r % 97) << QStringLiteral("Drame")
              << QStringLiteral("%1 min").arg(80 + r % 60) << QStringLiteral("France")
              << QStringLiteral("Un résumé de plusieurs lignes, avec des virgules.\nDeuxième ligne %1 ; "
                                "encore un peu de texte pour atteindre une longueur réaliste.")
                     .arg(r)
              << QStringLiteral("DVD") << QStringLiteral("Étagère %1").arg(r % 40) << QString::number(r % 10);
        c.addEntry(cells, r % 2 ? QStringLiteral("Le film n%1.jpg").arg(r) : QString());
    }
    return c;
}

void reportPeakMemory(benchmark::State& state, const QString& file)
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024.0;
    state.counters["file_MB"] = double(QFileInfo(file).size()) / (1024.0 * 1024.0);
}

void BM_OpenCatalogue(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("films.csv"));
    if (!cadrelle::saveCatalogue(path, makeCatalogue()).isEmpty()) {
        state.SkipWithError("could not write the catalogue");
        return;
    }
    for (auto _ : state) {
        cadrelle::Catalogue loaded;
        const QString error = cadrelle::loadCatalogue(path, loaded);
        if (!error.isEmpty() || loaded.entryCount() != kEntries) {
            state.SkipWithError("open failed");
            break;
        }
        benchmark::DoNotOptimize(loaded);
    }
    reportPeakMemory(state, path);
}
BENCHMARK(BM_OpenCatalogue)->Unit(benchmark::kMillisecond);

void BM_SaveCatalogue(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("films.csv"));
    const cadrelle::Catalogue catalogue = makeCatalogue();
    for (auto _ : state) {
        if (!cadrelle::saveCatalogue(path, catalogue).isEmpty()) {
            state.SkipWithError("save failed");
            break;
        }
    }
    reportPeakMemory(state, path);
}
BENCHMARK(BM_SaveCatalogue)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
