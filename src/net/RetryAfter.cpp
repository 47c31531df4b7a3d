#include "net/RetryAfter.h"

#include <QList>
#include <QTimeZone>

#include <array>
#include <algorithm>

namespace trouvel::net {

namespace {

// Far longer than any caller would wait; keeps the arithmetic away from overflow.
constexpr std::int64_t kCap = std::int64_t(1) << 40;

QByteArrayView trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && (v.front() == ' ' || v.front() == '\t'))
        v = v.sliced(1);
    while (!v.isEmpty() && (v.back() == ' ' || v.back() == '\t'))
        v.chop(1);
    return v;
}

bool digitsOnly(QByteArrayView v)
{
    if (v.isEmpty())
        return false;
    for (char c : v)
        if (c < '0' || c > '9')
            return false;
    return true;
}

std::optional<int> number(QByteArrayView v, qsizetype minDigits, qsizetype maxDigits)
{
    if (v.size() < minDigits || v.size() > maxDigits || !digitsOnly(v))
        return std::nullopt;
    int n = 0;
    for (char c : v)
        n = n * 10 + (c - '0');
    return n;
}

std::optional<int> month(QByteArrayView name)
{
    static constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int m = 0; m < 12; ++m)
        if (name == QByteArrayView(kMonths[std::size_t(m)]))
            return m + 1;
    return std::nullopt;
}

// "08:49:37"
std::optional<QTime> timeOfDay(QByteArrayView v)
{
    if (v.size() != 8 || v[2] != ':' || v[5] != ':')
        return std::nullopt;
    const auto h = number(v.sliced(0, 2), 2, 2), m = number(v.sliced(3, 2), 2, 2), s = number(v.sliced(6, 2), 2, 2);
    if (!h || !m || !s)
        return std::nullopt;
    // A leap second (":60") is read as the next second.
    const QTime t(*h, *m, std::min(*s, 59));
    if (!t.isValid())
        return std::nullopt;
    return *s == 60 ? t.addSecs(1) : t;
}

std::optional<QDateTime> utc(int year, std::optional<int> mon, std::optional<int> day, std::optional<QTime> time)
{
    if (!mon || !day || !time)
        return std::nullopt;
    const QDate date(year, *mon, *day);
    if (!date.isValid())
        return std::nullopt;
    return QDateTime(date, *time, QTimeZone::utc());
}

std::optional<QDateTime> httpDate(QByteArrayView v, const QDateTime& now)
{
    QList<QByteArrayView> parts;
    for (qsizetype start = 0; start < v.size();) {
        qsizetype end = v.indexOf(' ', start);
        if (end < 0)
            end = v.size();
        if (end > start)
            parts.append(v.sliced(start, end - start));
        start = end + 1;
    }
    // IMF-fixdate: "Sun, 06 Nov 1994 08:49:37 GMT"
    if (parts.size() == 6 && parts[0].size() == 4 && parts[0].back() == ',' && parts[5] == "GMT") {
        const auto year = number(parts[3], 4, 4);
        if (!year)
            return std::nullopt;
        return utc(*year, month(parts[2]), number(parts[1], 2, 2), timeOfDay(parts[4]));
    }
    // RFC 850: "Sunday, 06-Nov-94 08:49:37 GMT"; the two-digit year is the one not more
    // than 50 years ahead of now.
    if (parts.size() == 4 && parts[0].size() > 4 && parts[0].back() == ',' && parts[3] == "GMT" && parts[1].size() == 9
        && parts[1][2] == '-' && parts[1][6] == '-') {
        const auto yy = number(parts[1].sliced(7), 2, 2);
        if (!yy)
            return std::nullopt;
        const int thisYear = now.toUTC().date().year();
        int year = thisYear - thisYear % 100 + *yy;
        if (year > thisYear + 50)
            year -= 100;
        return utc(year, month(parts[1].sliced(3, 3)), number(parts[1].first(2), 2, 2), timeOfDay(parts[2]));
    }
    // asctime: "Sun Nov  6 08:49:37 1994"
    if (parts.size() == 5 && parts[0].size() == 3) {
        const auto year = number(parts[4], 4, 4);
        if (!year)
            return std::nullopt;
        return utc(*year, month(parts[1]), number(parts[2], 1, 2), timeOfDay(parts[3]));
    }
    return std::nullopt;
}

} // namespace

std::optional<std::int64_t> retryAfterSeconds(QByteArrayView value, const QDateTime& now)
{
    const QByteArrayView v = trimmed(value);
    if (digitsOnly(v)) {
        std::int64_t seconds = 0;
        for (char c : v) {
            seconds = seconds * 10 + (c - '0');
            if (seconds >= kCap)
                return kCap;
        }
        return seconds;
    }
    const std::optional<QDateTime> when = httpDate(v, now);
    if (!when)
        return std::nullopt;
    return std::clamp<std::int64_t>(now.secsTo(*when), 0, kCap);
}

} // namespace trouvel::net
