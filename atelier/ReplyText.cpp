#include "ReplyText.h"

namespace trouvel::atelier {

QString pageText(const FetchedPage& page)
{
    if (!page.problem.isEmpty())
        return page.problem;
    QString out = QStringLiteral("page lue (HTTP %1, %2 Ko").arg(page.http).arg((page.stored.size() + 1023) / 1024);
    if (page.redirects > 0)
        out += QStringLiteral(", %1 redirection(s)").arg(page.redirects);
    return out + u')';
}

QString replyText(const FetchReply& reply)
{
    QString out = reply.search ? QStringLiteral("Recherche « %1 » : ").arg(reply.asked)
                               : QStringLiteral("Fiche « %1 » : ").arg(reply.asked);
    if (!reply.error.isEmpty())
        return out + reply.error;
    if (!reply.refusal.isEmpty())
        return out + reply.refusal;
    if (reply.search && reply.searchPage)
        out += pageText(*reply.searchPage);
    if (reply.filmPage) {
        if (reply.search)
            out += QStringLiteral(" ; fiche « %1 » : ").arg(reply.filmLink);
        out += pageText(*reply.filmPage);
    }
    if (!reply.searchPage && !reply.filmPage)
        out += reply.status.isEmpty() ? QStringLiteral("aucune page lue") : reply.status;
    return out;
}

} // namespace trouvel::atelier
