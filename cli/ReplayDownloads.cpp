#include "ReplayDownloads.h"

#include "common/WholeFile.h"
#include "net/WireReplay.h"

#include <QFile>
#include <QFileInfo>

namespace trouvel::cli {

namespace {

class ReplayPageClient : public wizard::PageClient {
public:
    explicit ReplayPageClient(std::shared_ptr<const Fixture> fixture) : fixture_(std::move(fixture)) {}

    void setProxy(std::int16_t, const QString&, const QString&) override {}
    void setTimeLimit(int) override {}
    void closeSocket() override {}
    net::PageReport lastReport() const override { return report_; }

    std::int16_t DownloadPage(const QString& url, const QString& saveAs, std::int16_t methodeGet, std::int16_t) override
    {
        report_ = net::PageReport{};
        const bool get = methodeGet != 0;
        const RecordedPage* page = nullptr;
        for (const RecordedPage& recorded : fixture_->pages)
            if (recorded.get == get && recorded.address == url) {
                page = &recorded;
                break;
            }
        if (!page) {
            report_.problem = QStringLiteral("Aucune réponse enregistrée pour %1 %2").arg(get ? QStringLiteral("GET") : QStringLiteral("POST"), url);
            throw net::DownloadError(report_.problem.toStdString());
        }
        QFile file(saveAs);
        if (QFileInfo(saveAs).isFile())
            QFile::remove(saveAs);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw net::DownloadError(QStringLiteral("Impossible d'écrire le fichier %1 : %2").arg(saveAs, file.errorString()).toStdString());
        report_ = net::replayWire(url, page->hops, file);
        if (!page->failure.isEmpty()) {
            report_.problem = page->failure;
            throw net::DownloadError(page->failure.toStdString());
        }
        if (page->code != 0)
            report_.problem = page->problem;
        return page->code;
    }

private:
    std::shared_ptr<const Fixture> fixture_;
    net::PageReport report_;
};

} // namespace

PageClientFactory replayPageClient(std::shared_ptr<const Fixture> fixture)
{
    return [fixture](std::int16_t&) { return std::make_unique<ReplayPageClient>(fixture); };
}

wizard::PictureDownload replayPictureDownload(std::shared_ptr<const Fixture> fixture)
{
    return [fixture](const QString& address, const QString& target, const std::int16_t&, const net::NetOptions&) -> QString {
        const std::optional<RecordedPicture>& picture = fixture->picture;
        if (!picture || picture->address != address)
            return QStringLiteral("Le fichier specifié ne peut être telechargé (aucune image enregistrée pour %1)").arg(address);
        if (picture->stored)
            if (const QString error = writeWholeFile(target, picture->bytes); !error.isEmpty())
                return error;
        return picture->result;
    };
}

} // namespace trouvel::cli
