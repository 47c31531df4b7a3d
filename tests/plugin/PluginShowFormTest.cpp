// ShowForm driven as a host drives it, on the offscreen platform: each window the plug-in
// opens is closed again as soon as it shows, and what the wizard showed is recorded.
#include "LoadedModule.h"
#include "catalogue/CatalogueHost.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <stdexcept>

namespace {

// Closes every dialog the plug-in shows, once the event loop has it on screen.
class WindowCloser : public QObject {
public:
    WindowCloser() { qApp->installEventFilter(this); }
    ~WindowCloser() override { qApp->removeEventFilter(this); }

    QStringList titlesShown; // text of the wizard's "titre" box at each opening
    int windowsShown = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && widget != nullptr && widget->isWindow() && widget->isModal()) {
            ++windowsShown;
            QPointer<QWidget> target(widget);
            QTimer::singleShot(0, this, [this, target] {
                if (!target)
                    return;
                if (target->objectName() == QLatin1String("Form1")) {
                    if (auto* titre = target->findChild<QLineEdit*>(QStringLiteral("titre")))
                        titlesShown.append(titre->text());
                }
                target->close();
            });
        }
        return false;
    }
};

// A host whose every member fails with its own exception type, not the boundary's.
class BrokenHost final : public trouvel::HostApplication {
public:
    explicit BrokenHost(std::string why) : why_(std::move(why)) {}
    trouvel::ListView& MyLV() override { throw std::runtime_error(why_); }
    std::int32_t ItemsCount() const override { throw std::runtime_error(why_); }
    std::int32_t ColCount() const override { throw std::runtime_error(why_); }
    std::string tmpfolder() const override { throw std::runtime_error(why_); }
    std::string CadrelleIni() const override { throw std::runtime_error(why_); }
    void ilfautsauver(bool) override { throw std::runtime_error(why_); }

private:
    std::string why_;
};

class ShowForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        // The per-user settings, and the user's own scripts, go to folders of the test's own.
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
        ASSERT_NE(module.handle, nullptr);
        ASSERT_NE(plugin.object, nullptr);
    }

    void initme(std::shared_ptr<trouvel::HostApplication> host)
    {
        std::int32_t hwnd = 0;
        plugin->initme(hwnd, host);
    }

    QTemporaryDir home;
    LoadedModule module;
    PluginObject plugin{module};
};

TEST_F(ShowForm, HostErrorDuringLoadReachesTheCallerAsTheBoundaryError)
{
    WindowCloser closer;
    initme(std::make_shared<BrokenHost>("premier hôte"));
    // A second initme replaces the host: the failure comes from the second one.
    initme(std::make_shared<BrokenHost>("second hôte en panne"));
    try {
        plugin->ShowForm();
        ADD_FAILURE() << "ShowForm succeeded on a broken host";
    } catch (const trouvel::Error& e) {
        EXPECT_STREQ(e.what(), "second hôte en panne");
    }
    EXPECT_EQ(closer.titlesShown, QStringList()) << "the wizard opened despite the failed load";
}

TEST_F(ShowForm, TwoRunsInARowEachStartFromTheSelectionOfTheMoment)
{
    cadrelle::Catalogue catalogue;
    catalogue.addColumn(QStringLiteral("Titre"));
    for (const char* title : {"Alien", "Brazil", "Casablanca"})
        catalogue.addEntry({QString::fromUtf8(title)});
    auto host = std::make_shared<cadrelle::CatalogueHost>(catalogue, home.path(), home.filePath(QStringLiteral("Cadrelle.ini")));
    initme(host);

    WindowCloser closer;
    host->setSelectedRows({0});
    EXPECT_NO_THROW(plugin->ShowForm());
    host->setSelectedRows({2});
    EXPECT_NO_THROW(plugin->ShowForm());
    EXPECT_EQ(closer.titlesShown, (QStringList{QStringLiteral("Alien"), QStringLiteral("Casablanca")}));
}

} // namespace
