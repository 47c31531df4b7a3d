// Benchmarks of the text layer: field extraction as the detail step does it, compared
// with the same work in Node.js (run once per process by field_extraction.js), and
// stripTag on a large fragment.
#include "BenchPages.h"

#include "text/CharacterReferences.h"
#include "text/RegExp.h"
#include "text/TextCleanup.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <optional>

using namespace trouvel;

namespace {

constexpr qsizetype kPageSize = 1024 * 1024;
constexpr int kFields = 110;

const bench::FieldPage& fieldPage()
{
    static const bench::FieldPage page = bench::buildFieldPage(kPageSize, kFields);
    return page;
}

const QString& fragment()
{
    static const QString f = bench::buildFragment(kPageSize);
    return f;
}

text::RegExp makeReg2()
{
    text::RegExp reg2;
    reg2.Global(true);
    reg2.IgnoreCase(true);
    reg2.Multiline(true);
    return reg2;
}

// One detail step: a new expression object, every field pattern run over the page.
std::vector<std::optional<QString>> extractFields(const bench::FieldPage& p, text::RegExp& reg2)
{
    std::vector<std::optional<QString>> values;
    text::RegExp detail;
    detail.Global(true);
    detail.IgnoreCase(true);
    detail.Multiline(true);
    for (const QString& pattern : p.patterns) {
        detail.Pattern(pattern);
        if (!detail.Test(p.page)) {
            values.emplace_back();
            continue;
        }
        const text::Matches matches = detail.Execute(p.page);
        // What a saved value is: the cleanup, then every character reference it left.
        values.emplace_back(text::decodeCharacterReferences(text::stripTag(reg2, matches.at(0).SubMatches(0))));
    }
    return values;
}

struct NodeFigures {
    bool ran = false;
    QString problem;
    double msPerIteration = 0;
    double cpuMsPerIteration = 0;
    QJsonObject output;
};

NodeFigures runNode(const QStringList& arguments, const QString& file, const QByteArray& content)
{
    NodeFigures figures;
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (node.isEmpty()) {
        figures.problem = QStringLiteral("node not found");
        return figures;
    }
    QTemporaryDir dir;
    QFile out(dir.filePath(file));
    if (!dir.isValid() || !out.open(QIODevice::WriteOnly) || out.write(content) != content.size()) {
        figures.problem = QStringLiteral("cannot write the page for node");
        return figures;
    }
    out.close();
    QStringList args{QStringLiteral(TROUVEL_BENCH_TEXT_DIR "/field_extraction.js")};
    for (const QString& a : arguments)
        args << (a.startsWith(u'@') ? dir.filePath(a.mid(1)) : a);
    QProcess process;
    process.start(node, args);
    if (!process.waitForFinished(10 * 60 * 1000) || process.exitCode() != 0) {
        figures.problem = QStringLiteral("node failed: ") + QString::fromUtf8(process.readAllStandardError());
        return figures;
    }
    figures.output = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    figures.msPerIteration = figures.output.value(QLatin1String("msPerIteration")).toDouble();
    figures.cpuMsPerIteration = figures.output.value(QLatin1String("cpuMsPerIteration")).toDouble();
    figures.ran = figures.msPerIteration > 0;
    return figures;
}

const NodeFigures& nodeExtraction()
{
    static const NodeFigures figures = [] {
        const bench::FieldPage& p = fieldPage();
        QTemporaryDir dir;
        QFile patterns(dir.filePath(QStringLiteral("patterns.json")));
        const QByteArray json = QJsonDocument(QJsonArray::fromStringList(p.patterns)).toJson();
        NodeFigures f;
        if (!dir.isValid() || !patterns.open(QIODevice::WriteOnly) || patterns.write(json) != json.size()) {
            f.problem = QStringLiteral("cannot write the patterns for node");
            return f;
        }
        patterns.close();
        return runNode({QStringLiteral("extract"), QStringLiteral("@page.html"), patterns.fileName(), QStringLiteral("20"),
                        QStringLiteral(TROUVEL_BENCH_REFERENCES_JSON)},
                       QStringLiteral("page.html"), p.page.toUtf8());
    }();
    return figures;
}

const NodeFigures& nodeStripTag()
{
    static const NodeFigures figures = runNode({QStringLiteral("striptag"), QStringLiteral("@fragment.html"), QStringLiteral("20")},
                                               QStringLiteral("fragment.html"), fragment().toUtf8());
    return figures;
}

// Wall-clock and process CPU time of a timed loop, per iteration.
class LoopTimer {
public:
    LoopTimer() : wall_(std::chrono::steady_clock::now()), cpu_(cpuNow()) {}
    struct Figures {
        double wallMs;
        double cpuMs;
    };
    Figures perIteration(int64_t iterations) const
    {
        const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall_).count();
        return {wall / double(iterations), (cpuNow() - cpu_) / double(iterations)};
    }

private:
    static double cpuNow()
    {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
    }
    std::chrono::steady_clock::time_point wall_;
    double cpu_;
};

void reportAgainstNode(benchmark::State& state, const NodeFigures& node, LoopTimer::Figures ours)
{
    state.counters["ours_ms"] = ours.wallMs;
    state.counters["ours_cpu_ms"] = ours.cpuMs;
    if (!node.ran) {
        state.SetLabel(("no Node.js figure: " + node.problem).toStdString());
        return;
    }
    state.counters["node_ms"] = node.msPerIteration;
    state.counters["node_cpu_ms"] = node.cpuMsPerIteration;
    // Above 1: we are faster. CPU time is the fairer figure when the machine is busy.
    state.counters["node_over_ours"] = node.msPerIteration / ours.wallMs;
    state.counters["node_over_ours_cpu"] = node.cpuMsPerIteration / ours.cpuMs;
}

void BM_FieldExtraction(benchmark::State& state)
{
    const bench::FieldPage& p = fieldPage();
    text::RegExp reg2 = makeReg2();
    std::vector<std::optional<QString>> values;
    const LoopTimer timer;
    for (auto _ : state) {
        values = extractFields(p, reg2);
        benchmark::DoNotOptimize(values);
    }
    const LoopTimer::Figures ours = timer.perIteration(state.iterations());
    const NodeFigures& node = nodeExtraction();
    reportAgainstNode(state, node, ours);
    if (node.ran) {
        // Both sides must have done the same work.
        const QJsonArray theirs = node.output.value(QLatin1String("values")).toArray();
        int mismatches = theirs.size() == qsizetype(values.size()) ? 0 : int(values.size());
        for (qsizetype i = 0; mismatches == 0 && i < theirs.size(); ++i) {
            const std::optional<QString>& ours = values[size_t(i)];
            if (theirs[i].isNull() != !ours.has_value() || (ours && theirs[i].toString() != *ours))
                ++mismatches;
        }
        state.counters["mismatches"] = mismatches;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * p.page.size() * 2 * kFields);
}
BENCHMARK(BM_FieldExtraction)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_StripTagFragment(benchmark::State& state)
{
    const QString& f = fragment();
    text::RegExp reg2 = makeReg2();
    QString out;
    const LoopTimer timer;
    for (auto _ : state) {
        out = text::stripTag(reg2, f);
        benchmark::DoNotOptimize(out);
    }
    const LoopTimer::Figures ours = timer.perIteration(state.iterations());
    const NodeFigures& node = nodeStripTag();
    reportAgainstNode(state, node, ours);
    if (node.ran) {
        // Both sides must give the same text.
        uint32_t hash = 0;
        for (const QChar c : std::as_const(out))
            hash = hash * 31 + c.unicode();
        state.counters["result_differs"] = node.output.value(QLatin1String("length")).toInteger() != out.size()
                                           || uint32_t(node.output.value(QLatin1String("hash")).toDouble()) != hash;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * f.size() * 2);
}
BENCHMARK(BM_StripTagFragment)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The cost of one call on a short field value, the common case of the search step.
void BM_StripTagShortValue(benchmark::State& state)
{
    const QString value = QStringLiteral("<td class=t>Am&eacute;lie&nbsp;&amp;&nbsp;<b>Nino</b>\r\n   (2001)</td>");
    text::RegExp reg2 = makeReg2();
    for (auto _ : state)
        benchmark::DoNotOptimize(text::stripTag(reg2, value));
}
BENCHMARK(BM_StripTagShortValue);

// A pattern shape common in hand-written scripts: a repeated group that may be empty. Each
// call backtracks through every way of cutting the text; ours stops at the step limits
// (an error), V8 runs to the end, which doubles with each character: Node is only timed
// where it ends within seconds.
void BM_RepeatedGroupThatMayBeEmpty(benchmark::State& state)
{
    const QString pattern = QStringLiteral("<h1>([\\s\\S]*?)+=/h1>");
    const QString subject = QStringLiteral("<h1>") + QString(int(state.range(0)), u'a');
    text::RegExp re;
    re.Pattern(pattern);
    re.IgnoreCase(true);
    re.Multiline(true);
    int gaveUp = 0;
    const LoopTimer timer;
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(re.Test(subject));
        } catch (const text::RegExpError&) {
            ++gaveUp;
        }
    }
    const LoopTimer::Figures ours = timer.perIteration(state.iterations());
    state.counters["gave_up"] = gaveUp;
    if (state.range(0) > 24) {
        state.counters["ours_ms"] = ours.wallMs;
        state.SetLabel("Node.js not run: it would take hours at this length");
        return;
    }
    const NodeFigures node = runNode({QStringLiteral("test"), pattern, QStringLiteral("@subject.txt"), QStringLiteral("2")},
                                     QStringLiteral("subject.txt"), subject.toUtf8());
    reportAgainstNode(state, node, ours);
}
BENCHMARK(BM_RepeatedGroupThatMayBeEmpty)->Arg(20)->Arg(24)->Arg(46)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
