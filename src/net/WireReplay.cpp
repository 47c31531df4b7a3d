#include "net/WireReplay.h"

#include "net/LineEnds.h"
#include "net/ResponseFraming.h"

namespace trouvel::net {

PageReport replayWire(const QString& url, const std::vector<WireExchange>& hops, QIODevice& file)
{
    PageReport report;
    QString current = url;
    for (const WireExchange& hop : hops) {
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
        const QString next = redirectTarget(current, framing.location());
        report.redirects.push_back(RedirectHop{framing.status(), report.reason, current, next});
        report.status = 0;
        report.reason.clear();
        current = next;
    }
    if (hops.empty())
        report.finalAddress = current;
    return report;
}

} // namespace trouvel::net
