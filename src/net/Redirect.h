// Whether and how a fetch follows a redirect: one decision for the live fetch and for the
// replay of recorded exchanges, so that both go the same way.
#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

namespace trouvel::net {

// Followed at most this many redirects per fetch; one more is a failure.
constexpr int kMaxRedirects = 10;

// Where a redirect from `from` with this Location header value leads, resolved and encoded.
QString redirectTarget(const QString& from, const QByteArray& location);

// A request already made in this fetch: its method and address.
QString requestKey(bool get, const QString& url);

struct RedirectDecision {
    QString next;    // where the redirect leads, resolved
    QString failure; // why it is not followed, in French; "" when it is
    bool get = true; // the method of the next request
    bool keepBody = false; // a POST body goes along (307, 308)
};

// For a redirect answered to the hop-th request (from 0) of a fetch, made with `get` (or a
// POST, keepsBody when it already carries a body kept from before), the requests made so far
// in `visited`: 303, and 301 or 302 after a POST, go on as GET; 307 and 308 keep the method
// and the body; an address that is not http(s), one more than kMaxRedirects, or a request
// already made (a loop) end the fetch.
RedirectDecision decideRedirect(const QString& from, int status, const QByteArray& location, bool get, int hop,
                                const QSet<QString>& visited);

} // namespace trouvel::net
