#include "AskCandidate.h"

#include "text/TerminalText.h"

#include <QEventLoop>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

namespace trouvel::cli {

namespace {

void say(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

// One line from stdin, without its end; nothing at the end of input or on Ctrl-C.
std::optional<QString> readLine(InterruptWatch& interrupt)
{
    QByteArray line;
    for (;;) {
        QEventLoop loop;
        QSocketNotifier readable(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(&readable, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
        auto previous = interrupt.onInterrupt;
        interrupt.onInterrupt = [&](int n) {
            if (previous)
                previous(n);
            loop.quit();
        };
        const int seenBefore = interrupt.count();
        loop.exec();
        interrupt.onInterrupt = previous;
        if (interrupt.count() != seenBefore)
            return std::nullopt;
        // A terminal in its usual mode hands over whole lines; anything else, a byte at a time.
        char c = 0;
        for (;;) {
            const ssize_t n = ::read(STDIN_FILENO, &c, 1);
            if (n == 0)
                return std::nullopt;
            if (n < 0)
                break; // nothing more now: wait again
            if (c == '\n')
                return QString::fromUtf8(line);
            line += c;
            if (line.size() > 4096)
                return std::nullopt;
        }
    }
}

} // namespace

std::optional<AskAnswer> parseAskLine(const QString& line, int count)
{
    const QString text = line.trimmed();
    if (text.isEmpty())
        return AskAnswer{};
    if (text.compare(QLatin1String("q"), Qt::CaseInsensitive) == 0)
        return AskAnswer{0, true};
    bool ok = false;
    const int n = text.toInt(&ok);
    if (ok && n >= 1 && n <= count)
        return AskAnswer{n, false};
    return std::nullopt;
}

AskAnswer askCandidate(const QString& title, int row, const std::vector<wizard::Candidate>& candidates, InterruptWatch& interrupt)
{
    // Titles and descriptions come from the catalogue and the site: their controls are escaped.
    QString text = QStringLiteral("\n%1. %2 : %3 candidats\n").arg(row + 1).arg(text::escapeControls(title)).arg(candidates.size());
    for (std::size_t i = 0; i < candidates.size(); ++i)
        text += QStringLiteral("  %1. %2 | %3\n").arg(i + 1).arg(text::escapeControls(candidates[i].desc1), text::escapeControls(candidates[i].desc2));
    say(text);
    const int count = int(candidates.size());
    for (;;) {
        say(QStringLiteral("Numéro du candidat, Entrée pour passer, q pour arrêter et enregistrer : "));
        const std::optional<QString> line = readLine(interrupt);
        if (!line)
            return AskAnswer{0, true};
        if (const std::optional<AskAnswer> answer = parseAskLine(*line, count))
            return *answer;
        say(QStringLiteral("Réponse non comprise : un numéro de 1 à %1, Entrée ou q.\n").arg(count));
    }
}

} // namespace trouvel::cli
