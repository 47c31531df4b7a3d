// The unattended walk over a long host list: every entry is searched, has exactly one
// candidate, is fetched with its picture and saved, as on the demo site. Reported:
// entries per second, CPU time per entry (the process's, the in-process site included),
// resident memory at entry 100 and at the end, and the deepest stack reached below the walk's
// start (which must not grow with the number of entries).
#include "support/FakeHost.h"
#include "support/ScriptedUi.h"
#include "support/TestSite.h"

#include "config/MemorySettings.h"
#include "picture/ImageDecoder.h"
#include "wizard/WizardEngine.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>

namespace {

using namespace trouvel;
using namespace trouvel::wizard;

double residentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QByteArray posterPng()
{
    QImage image(120, 160, QImage::Format_RGB32);
    image.fill(QColor(30, 50, 110));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Deepest stack address seen while the site answers (that is, inside a step's wait).
const char* g_walkBase = nullptr;
std::ptrdiff_t g_maxDepth = 0;

void probeStack()
{
    char probe = 0;
    benchmark::DoNotOptimize(probe);
    g_maxDepth = std::max(g_maxDepth, g_walkBase - &probe);
}

void BM_UnattendedWalk(benchmark::State& state)
{
    const int entries = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        // TROUVEL_BENCH_TMP (for example /dev/shm) puts the files on another disk, to tell the
        // cost of the program from the cost of syncing the stored pictures to disk.
        const QString tmpBase = qEnvironmentVariable("TROUVEL_BENCH_TMP", QDir::tempPath());
        QTemporaryDir root(tmpBase + QStringLiteral("/trouvel-wizard-bench-XXXXXX"));
        const QString plugin = root.filePath(QStringLiteral("plugin"));
        const QString work = root.filePath(QStringLiteral("work"));
        const QString hostDir = root.filePath(QStringLiteral("host"));
        QDir().mkpath(plugin + QStringLiteral("/scripts"));
        QDir().mkpath(work);
        QDir().mkpath(hostDir);

        trouvel::wizard::test::TestSite site;
        site.pageFunction("/search?q=", [](const QByteArray& path) {
            probeStack();
            const QByteArray n = path.mid(path.lastIndexOf('+') + 1);
            return "<ul><li><a href=\"/film/" + n + "\">Film " + n + "</a> (1995)</li></ul>";
        });
        site.pageFunction("/film/", [](const QByteArray& path) {
            probeStack();
            const QByteArray n = path.mid(6);
            return "<h1>Film&nbsp;" + n + "</h1>\n<p>Année : 1995</p>\n<p class=resume>R&eacute;sum&eacute; " + n
                + "</p>\n<img src=\"/img/" + n + ".png\">";
        });
        const QByteArray png = posterPng();
        site.pageFunction("/img/", [png](const QByteArray&) { return png; });

        QFile script(plugin + QStringLiteral("/scripts/Demo.tvs"));
        script.open(QIODevice::WriteOnly);
        script.write(QStringLiteral("[SearchPage]\nUrl=%1/search?q=%2\nPattern=href=\"/film/(\\d+)\">([^<]+)</a>\n"
                                    "Link=1\nShortText=2\n[FilmPage]\nUrl=%1/film/%2\nCount=3\n"
                                    "Match1=Titre|<h1>(.*?)</h1>\nMatch2=Année|Année : (\\d+)\n"
                                    "Match3=Résumé|resume>([\\s\\S]*?)</p>\nPatternImg=img src=\"([^\"]+)\"\n"
                                    "[ImgPage]\nUrl=%1%2\n")
                         .arg(site.base(), QStringLiteral("%1"))
                         .toUtf8());
        script.close();
        QFile mapping(hostDir + QStringLiteral("/Trouvel.ini"));
        mapping.open(QIODevice::WriteOnly);
        mapping.write("[Demo]\nCol2=1\nCol3=2\n");
        mapping.close();

        ModuleState module;
        module.HostApp = std::make_shared<trouvel::wizard::test::FakeHost>(entries, hostDir.toStdString());
        trouvel::test::ScriptedUi ui; // Yes when no answer is queued
        config::MemorySettings settings;
        WizardServices services;
        services.scripts = config::ScriptSource::pluginFolder(plugin);
        services.workFolder = work;
        services.pageClient = makeSocketPageClient(module.StopDownload, services.web);
        services.decodePicture = trouvel::picture::decodePictureFile;
        if (state.range(1) == 0) {
            services.downloadPicture = netPictureDownload(services.web);
        } else {
            // Diagnostic variant: the picture is fetched with the page client instead of the
            // URL service, to tell the cost of the steps from the cost of that service.
            services.downloadPicture = [client = std::shared_ptr<PageClient>(makeSocketPageClient(module.StopDownload, services.web)),
                                        png](const QString& address, const QString& target, const std::int16_t&,
                                            const net::NetOptions&) {
                client->DownloadPage(address, target + QStringLiteral(".raw"), kTrue, 0);
                QFile out(target);
                out.open(QIODevice::WriteOnly);
                out.write(png);
                return QString();
            };
        }
        WizardEngine engine(module, ui, settings, std::move(services));
        if (!engine.load()) {
            state.SkipWithError("the wizard did not load");
            return;
        }
        engine.model().setAutoSave(true);
        double residentAt100 = 0;
        QObject::connect(&engine.model(), &WizardModel::titleChanged, [&] {
            if (module.CurrentItem == 100)
                residentAt100 = residentMiB();
        });

        char base = 0;
        g_walkBase = &base;
        g_maxDepth = 0;
        const double cpuBefore = cpuSeconds();
        state.ResumeTiming();
        engine.search();
        state.PauseTiming();
        const double cpu = cpuSeconds() - cpuBefore;

        if (!engine.isClosed()) {
            state.SkipWithError("the walk stopped before the end of the list");
            return;
        }
        auto& host = static_cast<trouvel::wizard::test::FakeHost&>(*module.HostApp);
        if (host.entry(entries).columns[1] != "Film " + std::to_string(entries)) {
            state.SkipWithError("the last entry was not saved");
            return;
        }
        state.counters["cpu_ms_per_entry"] = cpu * 1000.0 / entries;
        state.counters["rss_MiB_at_100"] = residentAt100;
        state.counters["rss_MiB_at_end"] = residentMiB();
        state.counters["stack_KiB_deepest"] = static_cast<double>(g_maxDepth) / 1024.0;
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
        state.ResumeTiming();
    }
    state.counters["entries_per_s"] =
        benchmark::Counter(static_cast<double>(entries) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_UnattendedWalk)->ArgNames({"entries", "picture_by_page_client"})->Args({100, 0})->Args({2000, 0})->Args({2000, 1})->Args({32000, 1})->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
