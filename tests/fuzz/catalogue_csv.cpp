// The catalogue reader: any bytes as a catalogue file. A file that loads must save and load
// again to the same catalogue.
#include "FuzzCheck.h"

#include "catalogue/Csv.h"
#include "catalogue/CatalogueFile.h"
#include "text/TextCodec.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    QList<QStringList> rows;
    (void)cadrelle::csv::parse(trouvel::text::decodeText(bytes), rows);

    cadrelle::Catalogue catalogue;
    if (!cadrelle::parseCatalogue(bytes, catalogue).isEmpty())
        return 0;
    const QByteArray saved = cadrelle::formatCatalogue(catalogue);
    cadrelle::Catalogue again;
    check(cadrelle::parseCatalogue(saved, again).isEmpty(), "a saved catalogue does not load");
    const QByteArray savedAgain = cadrelle::formatCatalogue(again);
    if (savedAgain != saved)
        fprintf(stderr, "saved:       %s\nsaved again: %s\n", saved.toPercentEncoding().constData(),
                savedAgain.toPercentEncoding().constData());
    check(savedAgain == saved, "a catalogue changes between save and load");
    return 0;
}
