// trouvel batch over a 2,000-entry catalogue against trouvel-demo-site, paired in every run with
// curl fetching the same pages in one process (a new connection per page, and kept alive), on
// the real disk and on /dev/shm; the batch's peak memory from 100 to 10,000 entries; trouvel
// try and --version beside a process that does the same fetches or nothing.
#include "catalogue/CatalogueFile.h"
#include "site/SiteContent.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <csignal>
#include <fcntl.h>
#include <memory>
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

// Runs argv to its end with stdout and stderr sent to /dev/null, with this process's
// environment plus `extraEnv` ("NAME=value" each), set here rather than through env(1),
// whose own start would be timed with the child.
ChildRun runChild(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {})
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> env;
    for (const std::string& e : extraEnv)
        env.push_back(const_cast<char*>(e.c_str()));
    for (char** e = environ; *e; ++e)
        env.push_back(*e);
    env.push_back(nullptr);
    ChildRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data()) != 0) {
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
    explicit Workload(const QString& under) : dir(QDir(under).filePath(QStringLiteral("trouvel-bench-XXXXXX"))) {}
    QTemporaryDir dir;
    QString catalogue;
    QString script;
    QString urls; // curl config: every page the batch fetches, in order
    std::vector<std::string> entryUrls; // per entry, the same pages, blank-separated
    int entries = 0;
    int pages = 0;
    std::vector<std::string> tryUrls; // the three addresses `try` fetches for tryTitle
    QString tryTitle;
};

// The demo catalogue's titles repeated to `entries`, under the folder `under`; the pages a
// batch fetches are listed for curl, each written to one file in the same folder.
Workload* makeWorkload(int port, const QString& under, int entries)
{
    auto* w = new Workload(under);
    w->entries = entries;
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

    const QString curlPage = QDir(w->dir.path()).filePath(QStringLiteral("curl-page.txt"));
    const trouvel::demo::SiteContent site(trouvel::demo::bundledFilmCatalogue());
    cadrelle::Catalogue catalogue;
    for (const char* caption : {"Titre", "Année", "Réalisateur", "Acteurs", "Genre", "Durée", "Résumé", "Support"})
        catalogue.addColumn(QString::fromUtf8(caption));
    const auto& films = site.catalogue().films;
    for (int i = 0; i < entries; ++i) {
        const QString title = films[std::size_t(i) % films.size()].title;
        catalogue.addEntry({title});
        QStringList pages{base + QStringLiteral("/recherche?titre=") + QString::fromLatin1(QUrl::toPercentEncoding(title))};
        const auto found = site.search(title);
        if (found.size() == 1) {
            pages += base + found[0]->pagePath();
            if (found[0]->poster != trouvel::demo::PosterKind::None) {
                pages += base + found[0]->posterPath();
                if (w->tryTitle.isEmpty()) {
                    w->tryTitle = title;
                    for (const QString& page : pages)
                        w->tryUrls.push_back(page.toStdString());
                }
            }
        }
        w->entryUrls.push_back(pages.join(QLatin1Char(' ')).toStdString());
        for (const QString& url : pages) {
            w->urls += QStringLiteral("url = \"%1\"\noutput = \"%2\"\n").arg(url, curlPage);
            ++w->pages;
        }
    }
    w->catalogue = QDir(w->dir.path()).filePath(QStringLiteral("films.csv"));
    cadrelle::saveCatalogue(w->catalogue, catalogue);
    return w;
}

QString writeCurlConfig(const Workload& w, const QString& name, const QString& text)
{
    const QString path = QDir(w.dir.path()).filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text.toUtf8());
    return path;
}

int g_port = 0;

// A run of trouvel batch over a fresh copy of w's catalogue, with its temporary files in the
// workload's own file system.
ChildRun runBatch(const Workload& w, const std::vector<std::string>& extra = {})
{
    const QString copy = w.catalogue + QStringLiteral(".run.csv");
    QFile::remove(copy);
    QFile::copy(w.catalogue, copy);
    std::vector<std::string> argv = {TROUVEL_BINARY_DIR "/bin/trouvel", "batch", copy.toStdString(), "--script", w.script.toStdString(),
                                     "--delay", "0"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    return runChild(argv, {"TMPDIR=" + QFileInfo(w.dir.path()).absolutePath().toStdString()});
}

// The batch with its default checkpoints (and journal) and with none, in turn, on the real
// disk: what keeping the work costs.
void BM_Batch_CheckpointCost(benchmark::State& state)
{
    std::unique_ptr<Workload> w(makeWorkload(g_port, QDir::tempPath(), kEntries));
    double with = 0, without = 0;
    long peak = 0;
    for (auto _ : state) {
        const ChildRun on = runBatch(*w);
        const ChildRun off = runBatch(*w, {"--checkpoint", "0", "--checkpoint-seconds", "0"});
        if (on.status != 0 || off.status != 0)
            state.SkipWithError("a child failed");
        state.SetIterationTime(on.seconds);
        with += on.seconds;
        without += off.seconds;
        peak = std::max(peak, on.peakKib);
    }
    state.counters["entries_per_s"] = kEntries * double(state.iterations()) / with;
    state.counters["without_entries_per_s"] = kEntries * double(state.iterations()) / without;
    state.counters["cost_percent"] = 100.0 * (with - without) / without;
    state.counters["peak_rss_MiB"] = double(peak) / 1024.0;
}

// trouvel batch and curl in one process over the same pages, in turn in every iteration:
// curl with a new connection per page (what the page client does) and with kept-alive
// connections (the network's floor). The time is trouvel's; the counters carry curl's.
void batchBesideCurl(benchmark::State& state, const QString& under)
{
    std::unique_ptr<Workload> w(makeWorkload(g_port, under, kEntries));
    const std::string urls = writeCurlConfig(*w, QStringLiteral("urls.txt"), w->urls).toStdString();
    double ours = 0, curlNew = 0, curlAlive = 0;
    long peak = 0;
    for (auto _ : state) {
        const ChildRun run = runBatch(*w);
        // "Connection: close" makes the server end each connection, so curl opens one per page.
        const ChildRun fresh = runChild({"curl", "-s", "-f", "-H", "Connection: close", "-K", urls});
        const ChildRun alive = runChild({"curl", "-s", "-f", "-K", urls});
        if (run.status != 0 || fresh.status != 0 || alive.status != 0)
            state.SkipWithError("a child failed");
        state.SetIterationTime(run.seconds);
        ours += run.seconds;
        curlNew += fresh.seconds;
        curlAlive += alive.seconds;
        peak = std::max(peak, run.peakKib);
    }
    const double n = double(state.iterations());
    state.counters["entries_per_s"] = kEntries * n / ours;
    state.counters["curl_new_conn_s"] = curlNew / n;
    state.counters["curl_keepalive_s"] = curlAlive / n;
    state.counters["x_curl_new_conn"] = ours / curlNew;
    state.counters["x_curl_keepalive"] = ours / curlAlive;
    state.counters["peak_rss_MiB"] = double(peak) / 1024.0;
    state.counters["pages"] = w->pages;
}

void BM_Batch_Disk_BesideCurl(benchmark::State& state) { batchBesideCurl(state, QDir::tempPath()); }
void BM_Batch_DevShm_BesideCurl(benchmark::State& state) { batchBesideCurl(state, QStringLiteral("/dev/shm")); }

// Peak memory of trouvel batch over 100 and over 10,000 entries, in the same run, filling the
// catalogue and as a dry run.
void BM_Batch_PeakMemoryGrowth(benchmark::State& state)
{
    std::unique_ptr<Workload> small(makeWorkload(g_port, QDir::tempPath(), 100));
    std::unique_ptr<Workload> large(makeWorkload(g_port, QDir::tempPath(), 10000));
    for (auto _ : state) {
        const ChildRun few = runBatch(*small);
        const ChildRun many = runBatch(*large);
        if (few.status != 0 || many.status != 0)
            state.SkipWithError("a child failed");
        state.SetIterationTime(many.seconds);
        state.counters["rss_100_MiB"] = double(few.peakKib) / 1024.0;
        state.counters["rss_10000_MiB"] = double(many.peakKib) / 1024.0;
        state.counters["growth_percent"] = 100.0 * double(many.peakKib - few.peakKib) / double(few.peakKib);
        const QFileInfo filled(large->catalogue + QStringLiteral(".run.csv"));
        state.counters["filled_catalogue_MiB"] = double(filled.size()) / (1024.0 * 1024.0);
        // The same walks with nothing saved: the growth that is not the filled catalogue's own data.
        const ChildRun fewDry = runBatch(*small, {"--dry-run"});
        const ChildRun manyDry = runBatch(*large, {"--dry-run"});
        state.counters["dry_growth_percent"] = 100.0 * double(manyDry.peakKib - fewDry.peakKib) / double(fewDry.peakKib);
    }
}

// A shell loop starting one curl per entry, for reference (run once).
void BM_CurlLoopProcessPerEntry(benchmark::State& state)
{
    std::unique_ptr<Workload> w(makeWorkload(g_port, QDir::tempPath(), kEntries));
    for (auto _ : state) {
        double seconds = 0;
        int status = 0;
        for (const std::string& pages : w->entryUrls) {
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
            status |= run.status;
        }
        if (status != 0)
            state.SkipWithError("curl failed");
        state.SetIterationTime(seconds);
        state.counters["entries_per_s"] = kEntries / seconds;
    }
}

// trouvel try on one title (search, detail, picture) and a curl process fetching the same three
// addresses, in turn; both are whole processes, started the same way.
void BM_Try_BesideCurl(benchmark::State& state)
{
    std::unique_ptr<Workload> w(makeWorkload(g_port, QDir::tempPath(), 25));
    std::vector<std::string> curl = {"curl", "-s", "-f"};
    for (const std::string& url : w->tryUrls)
        curl.insert(curl.end(), {"-o", "/dev/null", url});
    const std::vector<std::string> ours = {TROUVEL_BINARY_DIR "/bin/trouvel", "try", w->script.toStdString(), w->tryTitle.toStdString()};
    double oursTotal = 0, curlTotal = 0;
    for (auto _ : state) {
        const ChildRun run = runChild(ours, {"TMPDIR=" + QDir::tempPath().toStdString()});
        const ChildRun reference = runChild(curl);
        if (run.status != 0 || reference.status != 0)
            state.SkipWithError("a child failed");
        state.SetIterationTime(run.seconds);
        oursTotal += run.seconds;
        curlTotal += reference.seconds;
    }
    state.counters["curl_ms"] = curlTotal * 1000 / double(state.iterations());
    state.counters["x_curl"] = oursTotal / curlTotal;
}

// trouvel --version beside /bin/true: the tool's start against a process start.
void BM_Version(benchmark::State& state)
{
    double trueTotal = 0;
    for (auto _ : state) {
        const ChildRun run = runChild({TROUVEL_BINARY_DIR "/bin/trouvel", "--version"});
        const ChildRun floor = runChild({"true"});
        if (run.status != 0)
            state.SkipWithError("trouvel --version failed");
        state.SetIterationTime(run.seconds);
        trueTotal += floor.seconds;
    }
    state.counters["true_ms"] = trueTotal * 1000 / double(state.iterations());
}

double minimum(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

BENCHMARK(BM_Batch_Disk_BesideCurl)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kSecond)
    ->ComputeStatistics("min", minimum)->ReportAggregatesOnly(true);
BENCHMARK(BM_Batch_DevShm_BesideCurl)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kSecond)
    ->ComputeStatistics("min", minimum)->ReportAggregatesOnly(true);
BENCHMARK(BM_Try_BesideCurl)->UseManualTime()->Iterations(10)->Repetitions(5)->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", minimum)->ReportAggregatesOnly(true);
BENCHMARK(BM_Version)->UseManualTime()->Iterations(20)->Repetitions(5)->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", minimum)->ReportAggregatesOnly(true);
BENCHMARK(BM_Batch_CheckpointCost)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kSecond)
    ->ComputeStatistics("min", minimum)->ReportAggregatesOnly(true);
BENCHMARK(BM_Batch_PeakMemoryGrowth)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_CurlLoopProcessPerEntry)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

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
    g_port = site.port();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
