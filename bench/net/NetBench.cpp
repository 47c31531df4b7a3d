// The page client against a loopback server: a 1 MiB page against curl, the CPU used while
// a slow server says nothing, and a keep-alive server with and without a framed response.
#include "ThreadedServer.h"

#include "common/UserInteraction.h"
#include "net/DownloadWinsock.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <ctime>

namespace trouvel::net::bench {
namespace {

class SilentUserInteraction : public UserInteraction {
public:
    MsgAnswer messageBox(const QString&, MsgButtons) override
    {
        ++messages;
        return MsgAnswer::Ok;
    }
    void beep() override {}
    int messages = 0;
};

// An HTML-like page: lines of 79 characters and a LF.
QByteArray page(qsizetype size)
{
    QByteArray body;
    body.reserve(size);
    const QByteArray line = "<tr><td class=\"titre\">Un film</td><td>1999</td><td>Quelqu'un, Quelqu'une</td></tr>\n";
    while (body.size() + line.size() <= size)
        body += line;
    body += QByteArray(size - body.size(), 'x');
    return body;
}

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Fixture {
    QTemporaryDir dir;
    QString target = dir.filePath(QStringLiteral("tmp.txt"));
    std::int16_t stop = 0;
    SilentUserInteraction ui;
    cDownloadWinsock client{stop, ui};
};

void BM_PageClient_1MiB(benchmark::State& state)
{
    ThreadedServer server({"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + page(1 << 20), 0, 0});
    Fixture f;
    const std::int16_t get = -1, version = 0;
    for (auto _ : state) {
        if (f.client.DownloadPage(server.url(), f.target, get, version) != kDownloadDone || f.ui.messages)
            state.SkipWithError("fetch failed");
    }
    state.SetBytesProcessed(state.iterations() * (1 << 20));
}
BENCHMARK(BM_PageClient_1MiB)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true)->UseRealTime();

void BM_Curl_1MiB(benchmark::State& state)
{
    ThreadedServer server({"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + page(1 << 20), 0, 0});
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("curl.txt"));
    for (auto _ : state) {
        if (QProcess::execute(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("-o"), target, server.url()}) != 0)
            state.SkipWithError("curl failed");
    }
    state.SetBytesProcessed(state.iterations() * (1 << 20));
}
BENCHMARK(BM_Curl_1MiB)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true)->UseRealTime();

// A server that answers after 3 s: the process should sleep, not spin, while it waits.
void BM_SlowResponse_3s(benchmark::State& state)
{
    ThreadedServer server({"HTTP/1.0 200 OK\r\n\r\nslow", 3000, 0});
    Fixture f;
    const std::int16_t get = -1, version = 0;
    double cpu = 0;
    for (auto _ : state) {
        const double before = processCpuSeconds();
        if (f.client.DownloadPage(server.url(), f.target, get, version) != kDownloadDone)
            state.SkipWithError("fetch failed");
        cpu += processCpuSeconds() - before;
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpu * 1000 / double(state.iterations()));
    state.counters["cpu_percent_of_wait"] = benchmark::Counter(cpu * 100 / (3.0 * double(state.iterations())));
}
BENCHMARK(BM_SlowResponse_3s)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// An HTTP/1.1 fetch from a server that keeps connections open for an idle time-out of 2 s.
// Unframed: the response carries no length, so (as every response did before responses were
// framed) only the server's close ends it. Framed: the Content-Length ends it at once.
void keepAlive(benchmark::State& state, bool framed)
{
    const QByteArray body = page(20000);
    const QByteArray head = framed ? "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n"
                                   : QByteArray("HTTP/1.1 200 OK\r\nConnection: keep-alive\r\n\r\n");
    ThreadedServer server({head + body, 0, 2000});
    Fixture f;
    const std::int16_t get = -1, version = 1;
    for (auto _ : state) {
        if (f.client.DownloadPage(server.url(), f.target, get, version) != kDownloadDone)
            state.SkipWithError("fetch failed");
    }
}
void BM_KeepAlive_WaitForClose(benchmark::State& state) { keepAlive(state, false); }
void BM_KeepAlive_Framed(benchmark::State& state) { keepAlive(state, true); }
BENCHMARK(BM_KeepAlive_WaitForClose)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_KeepAlive_Framed)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime();

} // namespace
} // namespace trouvel::net::bench

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
