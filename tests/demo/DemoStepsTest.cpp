// Every demo film through the wizard's real steps (the engine the window and the command-line
// tool drive), with scripts/Demo.tvs, against the demo site running in this process.
#include "DemoSiteFixture.h"

#include "WizardSession.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueHost.h"
#include "site/SiteText.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace trouvel;
using namespace trouvel::demo;

namespace {

QStringList expectedFields(const Film& f)
{
    return {f.title,    QString::number(f.year), f.director, f.castText(),   f.genre,       f.country,
            f.durationText(), f.language,         f.released, f.distributor, f.ratingText(), f.synopsis};
}

const QStringList kFieldNames = {QStringLiteral("Titre"),  QString::fromUtf8("Année"),  QString::fromUtf8("Réalisateur"),
                                 QStringLiteral("Acteurs"), QStringLiteral("Genre"),     QStringLiteral("Pays"),
                                 QString::fromUtf8("Durée"), QStringLiteral("Langue"),    QStringLiteral("Sortie"),
                                 QStringLiteral("Distributeur"), QStringLiteral("Note"), QString::fromUtf8("Résumé")};

class DemoStepsTest : public ::testing::Test {
protected:
    testsupport::DemoSiteFixture fixture;

    // A session whose host holds the one entry `title`, searched at once.
    std::unique_ptr<cli::WizardSession> search(const QString& title)
    {
        cli::SessionOptions options;
        options.scriptFile = fixture.scriptPath();
        options.quietMessages = true;
        auto session = std::make_unique<cli::WizardSession>(options);
        catalogue_ = std::make_unique<cadrelle::Catalogue>();
        catalogue_->addColumn(QStringLiteral("Titre"));
        catalogue_->addEntry({title});
        auto host = std::make_shared<cadrelle::CatalogueHost>(*catalogue_, session->scratchFolder(), QString());
        EXPECT_TRUE(session->start(host));
        session->engine().search();
        return session;
    }

    void expectDetail(cli::WizardSession& session, const Film& film)
    {
        const wizard::WizardModel& model = session.model();
        ASSERT_EQ(session.engine().loadedFieldCount(), 12);
        const QStringList expected = expectedFields(film);
        for (int k = 0; k < 12; ++k) {
            SCOPED_TRACE(kFieldNames[k].toStdString());
            EXPECT_EQ(model.fieldRow(k).name, kFieldNames[k]);
            EXPECT_EQ(model.fieldRow(k).value, expected[k]);
            EXPECT_TRUE(model.fieldRow(k).ticked);
        }
        const bool imageKept = QFileInfo::exists(session.engine().pictureFile());
        switch (film.poster) {
        case PosterKind::Picture:
            EXPECT_EQ(model.status(), QString::fromUtf8("Terminé"));
            EXPECT_TRUE(model.pictureTicked());
            EXPECT_TRUE(imageKept);
            ASSERT_EQ(session.pictureFetches().size(), 1u);
            EXPECT_TRUE(session.pictureFetches()[0].address.endsWith(film.posterPath()));
            break;
        case PosterKind::None:
            EXPECT_TRUE(session.pictureFetches().empty());
            EXPECT_FALSE(model.pictureTicked());
            EXPECT_FALSE(imageKept);
            EXPECT_EQ(model.status(), QStringLiteral("Telechargement de l'image en cours..."));
            break;
        case PosterKind::Broken:
            EXPECT_EQ(session.pictureFetches().size(), 1u);
            EXPECT_EQ(model.status(), QString::fromUtf8("Image reçue mais illisible : une page HTML est arrivée à la place de l'image"));
            EXPECT_FALSE(model.pictureTicked());
            EXPECT_FALSE(imageKept);
            break;
        }
    }

    std::unique_ptr<cadrelle::Catalogue> catalogue_;
};

TEST_F(DemoStepsTest, EveryFilmThroughSearchDetailAndPicture)
{
    int ambiguous = 0;
    for (const Film& film : fixture.films().films) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(film.id).arg(film.title).toStdString());
        const auto session = search(film.title);
        const auto& candidates = session->model().candidates();
        const std::vector<const Film*> listed = fixture.site().content().search(film.title);
        ASSERT_EQ(candidates.size(), listed.size());
        ASSERT_FALSE(listed.empty());
        for (std::size_t i = 0; i < listed.size(); ++i) {
            EXPECT_EQ(candidates[i].link, QString::number(listed[i]->id));
            EXPECT_EQ(candidates[i].desc1, listed[i]->title);
            EXPECT_EQ(candidates[i].desc2,
                      QStringLiteral("%1 - %2 de %3").arg(listed[i]->year).arg(listed[i]->genre, listed[i]->director));
        }
        if (listed.size() == 1) {
            // One candidate: the search went on to the detail step by itself.
            expectDetail(*session, film);
            continue;
        }
        ++ambiguous;
        EXPECT_EQ(session->pageFetches().size(), 1u) << "no detail step for several candidates";
        EXPECT_EQ(session->ui().beeps(), 2);
        int pick = -1;
        for (std::size_t i = 0; i < listed.size(); ++i)
            if (listed[i]->id == film.id)
                pick = int(i);
        ASSERT_GE(pick, 0);
        session->model().setSelectedCandidate(pick);
        session->engine().fetchDetails();
        expectDetail(*session, film);
    }
    EXPECT_GE(ambiguous, 7) << "films sharing their title with others";
}

TEST_F(DemoStepsTest, AbsentTitleListsNothing)
{
    const auto session = search(QString::fromUtf8("Minuit à Carcassonne"));
    EXPECT_TRUE(session->model().candidates().empty());
    ASSERT_EQ(session->pageFetches().size(), 1u);
    EXPECT_EQ(session->pageFetches()[0].http.code, 200);
    EXPECT_EQ(session->ui().beeps(), 2);
}

TEST_F(DemoStepsTest, SearchWithPostAndHttp10FindsTheSame)
{
    fixture.writeScript(fixture.scriptPath(), {{QStringLiteral("Methode=0"), QStringLiteral("Methode=1")}, {QStringLiteral("HTTP=1"), QStringLiteral("HTTP=0")}});
    const auto session = search(QString::fromUtf8("Qui a volé la lune ?"));
    ASSERT_EQ(session->model().candidates().size(), 1u);
    EXPECT_EQ(session->model().fieldRow(0).value, QString::fromUtf8("Qui a volé la lune ?"));
    EXPECT_EQ(session->engine().usesGet(), 0);
    EXPECT_EQ(session->engine().httpVersion(), 0);
}

} // namespace
