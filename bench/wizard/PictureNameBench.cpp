// Picture names for a catalogue whose titles repeat: 25 titles, each met entries / 25 times,
// named and stored in turn as a walk does. Reported per entry: constant when the cost of a
// name does not grow with the entries already named.
#include "support/FakeHost.h"

#include "wizard/SaveStep.h"

#include <benchmark/benchmark.h>

namespace {

void BM_PictureNamesOfRepeatedTitles(benchmark::State& state)
{
    const int entries = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        trouvel::wizard::test::FakeHost host(entries, "/nonexistent", 2);
        trouvel::wizard::TagIndex tags;
        const trouvel::wizard::HostEntries list(host);
        state.ResumeTiming();
        for (int row = 0; row < entries; ++row) {
            const QString name = tags.freeName(list, row, QStringLiteral("Titre %1").arg(row % 25));
            host.entries[std::size_t(row)].tag = name.toStdString();
            tags.stored(row, host.entries[std::size_t(row)].tag);
        }
    }
    state.counters["ns_per_entry"] = benchmark::Counter(double(entries) * double(state.iterations()),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_PictureNamesOfRepeatedTitles)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
