// The page client against a loopback server: 1 MiB pages (HTTP/1.0, framed, chunked, gzip)
// and a 100 KiB page with cookies both ways paired with curl's own transfer time, the CPU used while a slow server says nothing, and a keep-alive server with and without a framed response.
#include "ThreadedServer.h"

#include "net/SocketPageClient.h"
#include "net/WebSession.h"
#include "support/ZlibCompress.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <ctime>

namespace trouvel::net::bench {
namespace {

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
    SocketPageClient client{stop};
};

QByteArray chunkedResponse(const QByteArray& body, qsizetype chunk)
{
    QByteArray out = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: chunked\r\n\r\n";
    for (qsizetype at = 0; at < body.size(); at += chunk) {
        const QByteArray piece = body.mid(at, chunk);
        out += QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
    }
    return out + "0\r\n\r\n";
}

// One page fetched in turn by the page client and by curl, pair by pair in the same run;
// curl's figure is its own time_total (the transfer, not the process start).
void pairedWithCurl(benchmark::State& state, const QByteArray& response, std::int16_t version, QStringList curlOptions,
                    std::shared_ptr<WebSession> session = {})
{
    ThreadedServer server({response, 0, 0});
    Fixture f;
    if (session)
        f.client.setSession(std::move(session));
    QTemporaryDir dir;
    const QString curlTarget = dir.filePath(QStringLiteral("curl.txt"));
    const std::int16_t get = -1;
    double ours = 0, curl = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (f.client.DownloadPage(server.url(), f.target, get, version) != kDownloadDone || f.client.lastReport().socketError != 0)
            state.SkipWithError("fetch failed");
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        ours += took.count();
        state.SetIterationTime(took.count());

        state.PauseTiming();
        QProcess process;
        process.start(QStringLiteral("curl"), curlOptions + QStringList{QStringLiteral("-s"), QStringLiteral("-o"), curlTarget,
                                                                        QStringLiteral("-w"), QStringLiteral("%{time_total}"), server.url()});
        process.waitForFinished();
        curl += process.readAllStandardOutput().trimmed().toDouble();
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["ours_ms"] = ours * 1000 / n;
    state.counters["curl_ms"] = curl * 1000 / n;
    state.counters["ours_per_curl"] = curl > 0 ? ours / curl : 0;
}

// An HTTP/1.0 answer ended by the server's close, as simple servers send it.
void BM_Http10_1MiB_VsCurl(benchmark::State& state)
{
    pairedWithCurl(state, "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + page(1 << 20), 0, {QStringLiteral("--http1.0")});
}
// The same page with a Content-Length: the client's cost without any decoding, for reference.
void BM_Plain_1MiB_VsCurl(benchmark::State& state)
{
    const QByteArray body = page(1 << 20);
    pairedWithCurl(state, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body,
                   1, {QStringLiteral("--http1.1")});
}
void BM_Chunked_1MiB_VsCurl(benchmark::State& state)
{
    pairedWithCurl(state, chunkedResponse(page(1 << 20), 700), 1, {QStringLiteral("--http1.1")});
}
void BM_Gzip_1MiB_VsCurl(benchmark::State& state)
{
    const QByteArray packed = trouvel::testsupport::zlibCompress(page(1 << 20), 31);
    pairedWithCurl(state,
                   "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Encoding: gzip\r\nContent-Length: "
                       + QByteArray::number(packed.size()) + "\r\n\r\n" + packed,
                   1, {QStringLiteral("--http1.1"), QStringLiteral("--compressed")});
}
// A site's page as a session fetches it: the request carries the User-Agent, the usual
// headers and the cookies a cookies.txt gave; the response sets three more, kept in the jar.
// curl does the same with -A, -b and -c over the same file.
void BM_Session_100KiB_VsCurl(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString cookies = dir.filePath(QStringLiteral("cookies.txt"));
    QByteArray lines = "# Netscape HTTP Cookie File\n";
    for (int i = 0; i < 10; ++i)
        lines += "127.0.0.1\tFALSE\t/\tFALSE\t0\tc" + QByteArray::number(i) + "\tvaleur" + QByteArray::number(i) + "\n";
    QFile file(cookies);
    if (!file.open(QIODevice::WriteOnly) || file.write(lines) != lines.size())
        state.SkipWithError("cookies.txt not written");
    file.close();
    auto session = std::make_shared<WebSession>();
    if (!session->loadCookieFile(cookies).isEmpty())
        state.SkipWithError("cookies.txt not read");
    const QByteArray body = page(100 << 10);
    pairedWithCurl(state,
                   "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nSet-Cookie: sid=abc123; Path=/; HttpOnly\r\n"
                   "Set-Cookie: consent=oui; Path=/; Max-Age=3600\r\nSet-Cookie: lang=fr; Path=/\r\nContent-Length: "
                       + QByteArray::number(body.size()) + "\r\n\r\n" + body,
                   1,
                   {QStringLiteral("--http1.1"), QStringLiteral("-A"), QString::fromLatin1(defaultUserAgent()), QStringLiteral("-b"),
                    cookies, QStringLiteral("-c"), dir.filePath(QStringLiteral("curl-jar.txt"))},
                   session);
    // The figures count only if the jar did its work: what the responses set is kept.
    if (!session->cookieHeader(QUrl(QStringLiteral("http://127.0.0.1/"))).contains("sid=abc123"))
        state.SkipWithError("the response's cookies were not kept");
}
double minimum(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
BENCHMARK(BM_Http10_1MiB_VsCurl)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)->UseManualTime()
    ->ComputeStatistics("min", minimum)->ReportAggregatesOnly(true);
BENCHMARK(BM_Plain_1MiB_VsCurl)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)->UseManualTime()
    ->ComputeStatistics("min", minimum)->ReportAggregatesOnly(true);
BENCHMARK(BM_Chunked_1MiB_VsCurl)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)->UseManualTime()
    ->ComputeStatistics("min", minimum)->ReportAggregatesOnly(true);
BENCHMARK(BM_Gzip_1MiB_VsCurl)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)->UseManualTime()
    ->ComputeStatistics("min", minimum)->ReportAggregatesOnly(true);
BENCHMARK(BM_Session_100KiB_VsCurl)->Unit(benchmark::kMillisecond)->Iterations(50)->Repetitions(5)->UseManualTime()
    ->ComputeStatistics("min", minimum)->ReportAggregatesOnly(true);

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
