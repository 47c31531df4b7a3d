// The workbench's fetches, made as `trouvel try` makes them: a wizard session of the
// command-line tool (its page client, redirects, cookies, charsets, the second search in the
// page's own charset) on a thread of its own, so that the window stays live while a site
// answers. One session for the window's life, as a browser would keep one: the cookies a
// site sets with its search page go with its film pages.
#pragma once

#include "WizardSession.h"

#include <QByteArray>
#include <QString>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>

namespace trouvel::atelier {

struct FetchedPage {
    QString address;      // as asked
    QString finalAddress; // after the redirects ("" when none came)
    QByteArray stored;    // the page file as the fetch left it: status lines and headers, then the body
    QString problem;      // what went wrong, in French ("" when a page came with a 2xx status)
    int http = 0;         // the final response's status (0: none came)
    int redirects = 0;
};

struct FetchReply {
    bool search = true; // a search, else a film page
    QString asked;      // the title, or the candidate's link
    QString error;      // the session did not start or the script did not load ("" when it did)
    QString status;     // the wizard's status line at the end of the step
    QString refusal;    // why the step did not fetch at all ("" when it did)
    std::optional<FetchedPage> searchPage;
    std::optional<FetchedPage> filmPage; // with a search, when one candidate led to its page
    QString filmLink;                    // the link the film page was read for
};

struct FetchSettings {
    QString scriptFile; // the script edited: the session's copy has its name
    wizard::NetworkSettings network;
    // Made on the fetcher's thread, which the session's cookies belong to. Empty: a fresh one.
    std::function<std::shared_ptr<net::WebSession>()> makeWeb;
    // The downloads; empty: the network's. Tests replay through their own.
    std::function<std::unique_ptr<wizard::PageClient>(std::int16_t& stopDownload)> pageClient;
};

class SiteFetcher {
public:
    // deliver: called on the fetcher's thread with each reply, in the order asked.
    using Deliver = std::function<void(const FetchReply& reply)>;

    SiteFetcher(FetchSettings settings, Deliver deliver);
    ~SiteFetcher(); // stops the fetch under way and ends the thread
    SiteFetcher(const SiteFetcher&) = delete;
    SiteFetcher& operator=(const SiteFetcher&) = delete;

    // script: the content to fetch with, the author's edits in, so that the session's search
    // finds the candidates the window lists.
    void search(const QString& title, const QByteArray& script);
    // The film page of a candidate's link.
    void openFilm(const QString& link, const QByteArray& script);

private:
    class Worker;
    QThread thread_;
    Worker* worker_ = nullptr; // lives on thread_
};

} // namespace trouvel::atelier
