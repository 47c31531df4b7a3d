// ReadIniString on a retrieval script of about 20 KiB, as the search and detail steps call it:
// every read opens and scans the file.
#include "config/IniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using trouvel::config::ReadIniString;

// A script laid out as the sites' scripts are: options, the search page, 110 field patterns
// with comments between them, the picture page; Windows line ends.
QByteArray scriptOfAbout20KiB()
{
    QByteArray s = "; Script de recherche\r\n[Options]\r\nMethode=0\r\nHTTP=1\r\n\r\n[SearchPage]\r\n"
                   "Url=http://www.example.org/recherche/?titre=%1\r\n"
                   "Pattern=<a href=\"/film/fichefilm_gen_cfilm=(\\d+)\\.html\">([\\s\\S]*?)</a>([\\s\\S]*?)</td>\r\n"
                   "Link=1\r\nShortText=2\r\nLongText=3\r\n\r\n[FilmPage]\r\nUrl=http://www.example.org/film/%1\r\nCount=110\r\n";
    for (int n = 1; n <= 110; ++n) {
        if (n % 10 == 0)
            s += "; champs " + QByteArray::number(n) + "\r\n";
        s += "Match" + QByteArray::number(n) + " = Champ " + QByteArray::number(n) + "|<div class=\"fiche-champ" +
             QByteArray::number(n) + "\">\\s*<span class=\"libelle\">[^<]*</span>\\s*<span class=\"valeur\"[^>]*>"
             "([\\s\\S]*?)</span>\\s*</div>\r\n";
    }
    // Notes of the script's author fill the rest, up to 20 KiB.
    while (s.size() < 20 * 1024 - 120)
        s += "; la fiche du site change souvent : verifier les motifs des champs apres chaque mise a jour\r\n";
    s += "PatternImg=img src=.(/affiches/[^>]+?\\.jpg)\r\n\r\n[ImgPage]\r\nUrl=http://images.example.org%1\r\n";
    return s;
}

struct ScriptFile {
    ScriptFile()
    {
        QFile f(dir.filePath("bench.tvs"));
        f.open(QIODevice::WriteOnly);
        f.write(scriptOfAbout20KiB());
        path = f.fileName();
        size = f.size();
    }
    QTemporaryDir dir;
    QString path;
    qint64 size = 0;
};

void readKey(benchmark::State& state, const char* section, const char* key)
{
    static ScriptFile script;
    const QString s = QString::fromLatin1(section);
    const QString k = QString::fromLatin1(key);
    const QString def = QStringLiteral("??");
    for (auto _ : state) {
        QString v = ReadIniString(script.path, s, k, def);
        benchmark::DoNotOptimize(v);
    }
    state.counters["file_bytes"] = double(script.size);
}

void BM_ReadIniString_FirstKey(benchmark::State& state) { readKey(state, "options", "METHODE"); }
void BM_ReadIniString_MiddleField(benchmark::State& state) { readKey(state, "FilmPage", "Match55"); }
void BM_ReadIniString_LastKey(benchmark::State& state) { readKey(state, "ImgPage", "Url"); }
void BM_ReadIniString_MissingKey(benchmark::State& state) { readKey(state, "FilmPage", "Match111"); }

} // namespace

BENCHMARK(BM_ReadIniString_FirstKey);
BENCHMARK(BM_ReadIniString_MiddleField);
BENCHMARK(BM_ReadIniString_LastKey);
BENCHMARK(BM_ReadIniString_MissingKey);

BENCHMARK_MAIN();
