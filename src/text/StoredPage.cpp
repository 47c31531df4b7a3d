#include "text/StoredPage.h"

#include <QByteArrayView>

namespace trouvel::text {

StoredHead finalHead(const QByteArray& storedPage)
{
    StoredHead head;
    head.complete = true; // a page without a status line is all body
    qsizetype at = 0;
    while (QByteArrayView(storedPage).sliced(at).startsWith("HTTP/")) {
        head.lines.clear();
        head.complete = false;
        for (;;) {
            const qsizetype end = storedPage.indexOf('\n', at);
            if (end < 0) {
                head.bodyAt = storedPage.size();
                return head;
            }
            QByteArray line = storedPage.sliced(at, end - at);
            at = end + 1;
            while (line.endsWith('\r'))
                line.chop(1);
            if (line.isEmpty()) {
                head.complete = true;
                break;
            }
            head.lines.append(line);
        }
    }
    head.bodyAt = at;
    return head;
}

QByteArray headerValue(const StoredHead& head, const QByteArray& name)
{
    for (const QByteArray& line : head.lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.first(colon).trimmed().toLower() == name)
            return line.sliced(colon + 1).trimmed();
    }
    return {};
}

bool isJsonPage(const QByteArray& storedPage)
{
    const QByteArray type = headerValue(finalHead(storedPage), "content-type").toLower();
    const QByteArray media = type.left(type.indexOf(';') < 0 ? type.size() : type.indexOf(';')).trimmed();
    return media == "application/json" || media == "text/json" || media.endsWith("+json");
}

} // namespace trouvel::text
