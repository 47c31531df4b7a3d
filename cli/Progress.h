// Progress of a batch walk on standard error: a bar redrawn in place on a terminal, one line
// per entry otherwise.
#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

namespace trouvel::cli {

class Progress {
public:
    Progress(int total, bool terminal, std::FILE* to = stderr);
    // Entry n (1-based position in the walk) is done; outcome is a short French text.
    void entryDone(int n, const QString& title, const QString& outcome);
    // Ends the bar's line.
    void finish();

    // "[#####-----] 12/25  3,4 entrées/s  reste 0:04" (pure, for the bar and the tests).
    static QString barText(int done, int total, double seconds, int width = 24);

private:
    int total_;
    bool terminal_;
    std::FILE* to_;
    QElapsedTimer clock_;
    bool drawn_ = false;
};

} // namespace trouvel::cli
