// trouvel batch over a 2,000-entry catalogue against trouvel-demo-site, and curl fetching the
// same pages: as a shell loop would (a process per entry), and as a single process, with
// kept-alive connections (the network floor) or a new connection per page. Each figure is for the whole catalogue: entries per second, and the
// peak resident memory of the child process.
#include "catalogue/CatalogueFile.h"
#include "site/SiteContent.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kEntries = 2000;

struct ChildRun {
    double seconds = 0;
    long peakKib = 0;
    int status = -1;
};

// Runs argv to its end with stdout and stderr sent to /dev/null.
ChildRun runChild(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ChildRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return run;
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKib = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// The demo site as a child process on a free port.
class SiteProcess {
public:
    SiteProcess()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        const std::string exe = TROUVEL_BINARY_DIR "/bin/trouvel-demo-site";
        char* argv[] = {const_cast<char*>(exe.c_str()), const_cast<char*>("--port"), const_cast<char*>("0"), nullptr};
        posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        // Blocks until the site prints its "listening on http://127.0.0.1:PORT/" line.
        std::string line;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            line += c;
        close(fds[0]);
        const auto colon = line.rfind(':');
        if (line.rfind("listening on ", 0) == 0 && colon != std::string::npos)
            port_ = std::stoi(line.substr(colon + 1));
    }
    ~SiteProcess()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    int port() const { return port_; }

private:
    pid_t pid_ = 0;
    int port_ = 0;
};

struct Workload {
    QTemporaryDir dir;
    QString catalogue;
    QString script;
    QString urls; // curl config: every page the batch fetches, in order
    std::vector<std::string> entryUrls; // per entry, the same pages, blank-separated
    int pages = 0;
};

Workload* makeWorkload(int port)
{
    auto* w = new Workload;
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(port);
    QFile source(QStringLiteral(TROUVEL_SOURCE_DIR "/scripts/Demo.tvs"));
    source.open(QIODevice::ReadOnly);
    QString text = QString::fromUtf8(source.readAll());
    text.replace(QStringLiteral("http://127.0.0.1:8737"), base);
    w->script = QDir(w->dir.path()).filePath(QStringLiteral("Demo.tvs"));
    QFile script(w->script);
    script.open(QIODevice::WriteOnly);
    script.write(text.toUtf8());
    script.close();
    QFile::copy(QStringLiteral(TROUVEL_SOURCE_DIR "/demo/catalogue/Trouvel.ini"), QDir(w->dir.path()).filePath(QStringLiteral("Trouvel.ini")));

    const trouvel::demo::SiteContent site(trouvel::demo::bundledFilmCatalogue());
    cadrelle::Catalogue catalogue;
    for (const char* caption : {"Titre", "Année", "Réalisateur", "Acteurs", "Genre", "Durée", "Résumé", "Support"})
        catalogue.addColumn(QString::fromUtf8(caption));
    const auto& films = site.catalogue().films;
    for (int i = 0; i < kEntries; ++i) {
        const QString title = films[std::size_t(i) % films.size()].title;
        catalogue.addEntry({title});
        QString pages = base + QStringLiteral("/recherche?titre=") + QString::fromLatin1(QUrl::toPercentEncoding(title));
        const auto found = site.search(title);
        if (found.size() == 1) {
            pages += QLatin1Char(' ') + base + found[0]->pagePath();
            if (found[0]->poster != trouvel::demo::PosterKind::None)
                pages += QLatin1Char(' ') + base + found[0]->posterPath();
        }
        w->entryUrls.push_back(pages.toStdString());
        for (const QString& url : pages.split(QLatin1Char(' '))) {
            w->urls += QStringLiteral("url = \"%1\"\noutput = \"/dev/null\"\n").arg(url);
            ++w->pages;
        }
    }
    w->catalogue = QDir(w->dir.path()).filePath(QStringLiteral("films.csv"));
    cadrelle::saveCatalogue(w->catalogue, catalogue);
    QFile urls(QDir(w->dir.path()).filePath(QStringLiteral("urls.txt")));
    urls.open(QIODevice::WriteOnly);
    urls.write(w->urls.toUtf8());
    return w;
}

SiteProcess* g_site = nullptr;
Workload* g_work = nullptr;

void report(benchmark::State& state, const ChildRun& run, int entries)
{
    state.SetIterationTime(run.seconds);
    state.counters["entries_per_s"] = entries / run.seconds;
    state.counters["peak_rss_MiB"] = run.peakKib / 1024.0;
    state.counters["pages"] = g_work->pages;
    if (run.status != 0)
        state.SkipWithError("child failed");
}

void BM_TrouvelBatch(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        // A fresh copy each time, so every run fills the same empty entries.
        const QString copy = g_work->catalogue + QStringLiteral(".run.csv");
        QFile::remove(copy);
        QFile::copy(g_work->catalogue, copy);
        state.ResumeTiming();
        const ChildRun run = runChild({TROUVEL_BINARY_DIR "/bin/trouvel", "batch", copy.toStdString(), "--script",
                                       g_work->script.toStdString(), "--delay", "0"});
        report(state, run, kEntries);
    }
}

void BM_CurlLoopProcessPerEntry(benchmark::State& state)
{
    for (auto _ : state) {
        double seconds = 0;
        long peak = 0;
        int status = 0;
        for (const std::string& pages : g_work->entryUrls) {
            std::vector<std::string> argv = {"curl", "-s", "-f"};
            std::size_t from = 0;
            while (from < pages.size()) {
                const std::size_t blank = std::min(pages.find(' ', from), pages.size());
                argv.push_back("-o");
                argv.push_back("/dev/null");
                argv.push_back(pages.substr(from, blank - from));
                from = blank + 1;
            }
            const ChildRun run = runChild(argv);
            seconds += run.seconds;
            peak = std::max(peak, run.peakKib);
            status |= run.status;
        }
        report(state, {seconds, peak, status}, kEntries);
    }
}

void BM_CurlOneProcess(benchmark::State& state)
{
    for (auto _ : state) {
        const ChildRun run = runChild({"curl", "-s", "-K", QDir(g_work->dir.path()).filePath(QStringLiteral("urls.txt")).toStdString()});
        report(state, run, kEntries);
    }
}

// The same single process, but with a new connection per page, as trouvel's page client makes.
void BM_CurlOneProcessConnectionPerPage(benchmark::State& state)
{
    for (auto _ : state) {
        const ChildRun run = runChild({"curl", "-s", "-H", "Connection: close", "-K",
                                       QDir(g_work->dir.path()).filePath(QStringLiteral("urls.txt")).toStdString()});
        report(state, run, kEntries);
    }
}

BENCHMARK(BM_TrouvelBatch)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_CurlLoopProcessPerEntry)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_CurlOneProcess)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_CurlOneProcessConnectionPerPage)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    SiteProcess site;
    if (site.port() == 0) {
        std::fprintf(stderr, "the demo site did not start\n");
        return 1;
    }
    g_site = &site;
    g_work = makeWorkload(site.port());
    benchmark::RunSpecifiedBenchmarks();
    delete g_work;
    benchmark::Shutdown();
    return 0;
}
