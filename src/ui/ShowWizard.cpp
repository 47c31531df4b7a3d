#include "ui/ShowWizard.h"

#include "ui/Form1.h"

#include "picture/ImageDecoder.h"

namespace trouvel::ui {

using namespace trouvel::wizard;

void ShowForm(ModuleState& state, const Environment& env)
{
    if (!env.settings || !env.ui)
        throw Error("Trouvel : environnement incomplet");
    if (!state.HostApp)
        throw Error("Trouvel : aucune application hôte (initme n'a pas été appelé)");

    WizardServices services;
    services.scripts = config::ScriptSource::pluginFolders({env.userFolder, env.pluginFolder});
    services.workFolder = env.workFolder;
    // The host's proxy and the per-user time limit, read once as the window opens.
    services.network = readNetworkSettings(QString::fromStdString(state.HostApp->CadrelleIni()), *env.settings);
    services.pageClient = makeSocketPageClient(state.StopDownload, services.web);
    services.downloadPicture = netPictureDownload(services.web);
    services.decodePicture = picture::decodePictureFile;

    Form1 form(state, *env.ui, *env.settings, std::move(services));
    try {
        if (!form.engine().load())
            return;
    } catch (const Error&) {
        throw;
    } catch (const std::exception& error) {
        throw Error(error.what());
    }
    // exec() returns only once every step started from the window has returned, so nothing
    // the window owns is freed under a step still waiting in a download.
    form.exec();
}

} // namespace trouvel::ui
