#include "Progress.h"

#include "text/TerminalText.h"

#include <QLocale>

namespace trouvel::cli {

Progress::Progress(int total, bool terminal, std::FILE* to) : total_(total), terminal_(terminal), to_(to)
{
    clock_.start();
}

QString Progress::barText(int done, int total, double seconds, int width)
{
    const int filled = total > 0 ? int(qint64(done) * width / total) : width;
    const double rate = seconds > 0 ? done / seconds : 0;
    QString left = QStringLiteral("--:--");
    if (rate > 0 && total >= done) {
        const qint64 remaining = qint64((total - done) / rate + 0.5);
        left = QStringLiteral("%1:%2").arg(remaining / 60).arg(remaining % 60, 2, 10, QLatin1Char('0'));
    }
    return QStringLiteral("[%1%2] %3/%4  %5 entrées/s  reste %6")
        .arg(QString(filled, QLatin1Char('#')), QString(width - filled, QLatin1Char('-')))
        .arg(done)
        .arg(total)
        .arg(QLocale(QLocale::French).toString(rate, 'f', 1), left);
}

void Progress::entryDone(int n, const QString& title, const QString& outcome)
{
    const double seconds = clock_.nsecsElapsed() / 1e9;
    if (terminal_) {
        QString line = barText(n, total_, seconds) + QStringLiteral("  ") + text::escapeControls(title.left(30));
        std::fprintf(to_, "\r\033[K%s", line.toUtf8().constData());
        drawn_ = true;
    } else {
        std::fprintf(to_, "%d/%d %s : %s\n", n, total_, text::escapeControls(title).toUtf8().constData(),
                     text::escapeControls(outcome).toUtf8().constData());
    }
    std::fflush(to_);
}

void Progress::finish()
{
    if (drawn_) {
        std::fputc('\n', to_);
        std::fflush(to_);
        drawn_ = false;
    }
}

} // namespace trouvel::cli
