#include "net/WireReplay.h"

#include "net/LineEnds.h"
#include "net/Redirect.h"
#include "net/ResponseFraming.h"

namespace trouvel::net {

PageReport replayWire(const QString& url, const std::vector<WireExchange>& hops, QIODevice& file)
{
    PageReport report;
    QString current = url;
    // The method only matters to the redirect decision; the recorded request says which it was.
    bool get = hops.empty() || hops.front().request.startsWith("GET ");
    QSet<QString> visited{requestKey(get, url)};
    for (int index = 0; index < int(hops.size()); ++index) {
        const WireExchange& hop = hops[std::size_t(index)];
        report.finalAddress = current;
        ResponseFraming framing;
        framing.setStopAtRedirect(true);
        QByteArray decoded;
        framing.feed(hop.response, &decoded);
        QByteArray converted;
        appendWithCrLf(converted, decoded);
        file.write(converted);
        if (framing.headComplete()) {
            report.status = framing.status();
            report.reason = QString::fromLatin1(framing.reason());
        }
        if (framing.decodeFailed()) {
            report.problem = QStringLiteral("Le contenu compressé (%1) de la page est illisible")
                                 .arg(QString::fromLatin1(framing.decodedCoding()));
            throw DownloadError(report.problem.toStdString());
        }
        if (!framing.isRedirect())
            break;
        const RedirectDecision redirect = decideRedirect(current, framing.status(), framing.location(), get, index, visited);
        report.redirects.push_back(RedirectHop{framing.status(), report.reason, current, redirect.next});
        report.status = 0;
        report.reason.clear();
        // The live fetch ended here too; the fixture holds its failure.
        if (!redirect.failure.isEmpty())
            break;
        get = redirect.get;
        current = redirect.next;
        visited.insert(requestKey(get, current));
    }
    if (hops.empty())
        report.finalAddress = current;
    return report;
}

} // namespace trouvel::net
