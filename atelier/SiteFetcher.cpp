#include "SiteFetcher.h"

#include "HostProfile.h"

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueHost.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <deque>

namespace trouvel::atelier {

namespace {

QString kNoPictures()
{
    return QStringLiteral("l'atelier ne télécharge pas les images");
}

} // namespace

class SiteFetcher::Worker : public QObject {
public:
    struct Request {
        bool search = true;
        QString asked;
        QByteArray script;
    };

    Worker(FetchSettings settings, Deliver deliver) : settings_(std::move(settings)), deliver_(std::move(deliver))
    {
        copy_ = QDir(folder_.path()).filePath(QFileInfo(settings_.scriptFile).fileName());
    }

    // On the worker's thread. A request that comes while a step waits for its page (the wait
    // turns the event loop) is queued and run once that step is done; of several film pages
    // asked meanwhile, only the last is fetched.
    void ask(Request request)
    {
        if (quitting_)
            return;
        if (!request.search && !queue_.empty() && !queue_.back().search)
            queue_.back() = std::move(request);
        else
            queue_.push_back(std::move(request));
        if (busy_)
            return;
        busy_ = true;
        while (!queue_.empty() && !quitting_) {
            const Request next = std::move(queue_.front());
            queue_.pop_front();
            const FetchReply reply = run(next);
            if (!quitting_)
                deliver_(reply);
        }
        busy_ = false;
        if (quitting_)
            finish();
    }

    // Stops the step under way; the thread ends once it has returned.
    void shutdown()
    {
        quitting_ = true;
        if (!busy_) {
            finish();
            return;
        }
        if (session_)
            session_->engine().stop();
    }

private:
    void finish()
    {
        session_.reset();
        host_.reset();
        QThread::currentThread()->quit();
    }

    bool writeCopy(const QByteArray& script, QString* why)
    {
        QFile file(copy_);
        if (!folder_.isValid() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(script) != script.size()) {
            *why = QStringLiteral("copie de travail du script impossible à écrire : %1").arg(copy_);
            return false;
        }
        return true;
    }

    // The session, over a one-entry catalogue as `trouvel try` makes it.
    bool startSession(QString* why)
    {
        cli::SessionOptions options;
        options.scriptFile = copy_;
        options.network = settings_.network;
        options.web = settings_.makeWeb ? settings_.makeWeb() : nullptr;
        options.pageClient = settings_.pageClient;
        options.quietMessages = true;
        options.yesNoAnswer = MsgAnswer::No;
        // The pictures are not what the workbench looks at: its PatternImg shows the address.
        options.pictureDownload = [](const QString&, const QString&, const std::int16_t&, const net::NetOptions&) {
            return kNoPictures();
        };
        options.decodePicture = [](const QString&) { return picture::Picture{}; };
        try {
            session_ = std::make_unique<cli::WizardSession>(options);
            catalogue_ = cadrelle::Catalogue();
            catalogue_.addColumn(QStringLiteral("Titre"));
            catalogue_.addEntry({QStringLiteral("atelier")});
            host_ = std::make_shared<cadrelle::CatalogueHost>(catalogue_, session_->scratchFolder(), cli::defaultCadrelleIni());
            host_->setSelectedRows({0});
            if (!session_->start(host_)) {
                *why = QStringLiteral("l'assistant n'a pas démarré");
            } else if (!session_->engine().scriptLoadError().isEmpty()) {
                *why = session_->engine().scriptLoadError();
            }
        } catch (const std::exception& e) {
            *why = QString::fromUtf8(e.what());
        }
        if (why->isEmpty())
            return true;
        session_.reset(); // tried afresh with the next request
        host_.reset();
        return false;
    }

    // The page a step fetched, as the session recorded it.
    FetchedPage fetched(const wizard::PageResult& page) const
    {
        FetchedPage out;
        out.address = page.address;
        out.finalAddress = page.report.finalAddress.isEmpty() ? page.address : page.report.finalAddress;
        out.problem = page.problem();
        out.http = page.report.status;
        out.redirects = int(page.report.redirects.size());
        const std::vector<cli::PageFetch>& fetches = session_->pageFetches();
        for (auto it = fetches.rbegin(); it != fetches.rend(); ++it) {
            if (it->address == page.address) {
                out.stored = it->page;
                break;
            }
        }
        return out;
    }

    void readDetail(FetchReply& reply, const std::optional<FetchedPage>& searchPage)
    {
        const wizard::EntrySteps& steps = session_->engine().steps();
        if (!steps.detail)
            return;
        reply.status = steps.detail->status;
        if (!steps.detail->page)
            return;
        if (steps.detail->reusedSearchPage && searchPage) {
            // The search led to the film page itself, read again without a new fetch.
            reply.filmPage = searchPage;
            reply.filmPage->address = steps.detail->page->address;
        } else {
            reply.filmPage = fetched(*steps.detail->page);
        }
        const std::vector<wizard::Candidate>& candidates = session_->model().candidates();
        const int selected = std::max(session_->model().selectedCandidate(), 0);
        if (selected < int(candidates.size()))
            reply.filmLink = candidates[std::size_t(selected)].link;
    }

    FetchReply run(const Request& request)
    {
        FetchReply reply;
        reply.search = request.search;
        reply.asked = request.asked;
        if (!writeCopy(request.script, &reply.error) || (!session_ && !startSession(&reply.error)))
            return reply;
        wizard::WizardEngine& engine = session_->engine();
        session_->clearRecord();
        if (request.search) {
            session_->model().setTitle(request.asked);
            engine.search(); // and the film page, when it lists one candidate
            const wizard::EntrySteps& steps = engine.steps();
            if (steps.search) {
                reply.status = steps.search->status;
                if (steps.search->page)
                    reply.searchPage = fetched(*steps.search->page);
                else
                    reply.refusal = steps.search->refusal;
            }
            readDetail(reply, reply.searchPage);
            return reply;
        }
        wizard::WizardModel& model = session_->model();
        model.clearCandidates();
        model.addCandidate(wizard::Candidate{request.asked, {}, {}});
        model.setSelectedCandidate(0);
        engine.fetchDetails();
        if (engine.steps().detail && !engine.steps().detail->page)
            reply.refusal = engine.steps().detail->refusal;
        readDetail(reply, std::nullopt);
        return reply;
    }

    FetchSettings settings_;
    Deliver deliver_;
    QTemporaryDir folder_;
    QString copy_; // the script the session reads: the file as edited
    cadrelle::Catalogue catalogue_;
    std::shared_ptr<cadrelle::CatalogueHost> host_;
    std::unique_ptr<cli::WizardSession> session_;
    std::deque<Request> queue_;
    bool busy_ = false;
    bool quitting_ = false;
};

SiteFetcher::SiteFetcher(FetchSettings settings, Deliver deliver)
{
    worker_ = new Worker(std::move(settings), std::move(deliver));
    worker_->moveToThread(&thread_);
    thread_.setObjectName(QStringLiteral("atelier-fetch"));
    thread_.start();
}

SiteFetcher::~SiteFetcher()
{
    Worker* worker = worker_;
    QMetaObject::invokeMethod(worker, [worker] { worker->shutdown(); }, Qt::QueuedConnection);
    thread_.wait();
    delete worker;
}

void SiteFetcher::search(const QString& title, const QByteArray& script)
{
    Worker* worker = worker_;
    QMetaObject::invokeMethod(worker, [worker, title, script] { worker->ask({true, title, script}); }, Qt::QueuedConnection);
}

void SiteFetcher::openFilm(const QString& link, const QByteArray& script)
{
    Worker* worker = worker_;
    QMetaObject::invokeMethod(worker, [worker, link, script] { worker->ask({false, link, script}); }, Qt::QueuedConnection);
}

} // namespace trouvel::atelier
