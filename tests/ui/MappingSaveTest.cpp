// From the mapping dialog to the host entry: the wizard opens frm3 at load (the script has no
// mapping yet), the user maps columns through the chooser, and the saving step then writes
// the fields into exactly the mapped columns.
#include "ui/Frm3.h"

#include "common/ModuleState.h"
#include "config/MemorySettings.h"
#include "ui/FrmContenu.h"
#include "support/MappingFixture.h"
#include "wizard/WizardEngine.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <functional>
#include <utility>
#include <vector>

namespace trouvel::mapping::test {
using namespace trouvel::ui;
namespace {

class MappingSaveTest : public MappingFixture {
protected:
    void SetUp() override
    {
        MappingFixture::SetUp();
        addColumns({"Titre", "Réalisateur", "Année", "Genre"});
        catalogue.addEntry({"Heat", "inconnu", "", "Policier"});
        catalogue.addEntry({"Ronin"});
        pluginFolder = dir.filePath("plugin");
        ASSERT_TRUE(QDir().mkpath(pluginFolder + "/scripts"));
        ASSERT_TRUE(QDir().mkpath(dir.filePath("work")));
        writeScript("plugin/scripts/Site", {"[FilmPage]", "Count=3", "Match1=Titre|<h1>(.*)</h1>",
                                            "Match2=Réalisateur|de (\\w+)", "Match3=Année|(\\d{4})"});
        sharedHost = std::make_shared<cadrelle::CatalogueHost>(catalogue, dir.path(), dir.filePath("Cadrelle.ini"));
        sharedHost->setSelectedRows({0});
        state.HostApp = sharedHost;
    }

    // The mapping dialog as the user works it: Enter on a row, then a pick in the chooser.
    bool mapInDialog(const QString& section, const std::vector<std::pair<int, int>>& rowToField)
    {
        ++dialogOpenings;
        Frm3 dialog(*sharedHost, state.ScriptPath, section, ui);
        int pick = -1;
        dialog.showChooser = [&pick](FrmContenu& chooser) {
            chooser.show();
            chooser.findChild<QComboBox*>("Combo1")->setCurrentIndex(pick);
            chooser.findChild<QPushButton*>("btGO")->click();
        };
        dialog.show();
        auto* list = dialog.findChild<QTreeWidget*>("Colonne");
        list->setFocus();
        for (const auto& [row, field] : rowToField) {
            pick = field;
            list->setCurrentItem(list->topLevelItem(row));
            QTest::keyClick(list, Qt::Key_Return);
        }
        QTest::mouseClick(dialog.findChild<QPushButton*>("btGo"), Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
        return dialog.mappingChanged();
    }

    QString pluginFolder;
    std::shared_ptr<cadrelle::CatalogueHost> sharedHost;
    ModuleState state;
    config::MemorySettings settings;
    int dialogOpenings = 0;
};

TEST_F(MappingSaveTest, ColumnsMappedInTheDialogReceiveTheFieldsWhenSaving)
{
    wizard::WizardServices services;
    services.scripts = config::ScriptSource::pluginFolder(pluginFolder);
    services.workFolder = dir.filePath("work");
    services.openMappingDialog = [this](const QString& section) {
        // Réalisateur <- field 2, Année <- field 3, Titre left as is, Genre never touched.
        return mapInDialog(section, {{1, 2}, {2, 3}, {0, 0}});
    };
    wizard::WizardEngine engine(state, ui, settings, std::move(services));

    ASSERT_TRUE(engine.load());
    ASSERT_EQ(dialogOpenings, 1);
    EXPECT_EQ(stored("Site", "Col1"), "0");
    EXPECT_EQ(stored("Site", "Col2"), "2");
    EXPECT_EQ(stored("Site", "Col3"), "3");
    EXPECT_EQ(stored("Site", "Col4"), "");

    // What the detail step would have put into the field rows.
    engine.model().setFieldValue(0, "Heat (1995)");
    engine.model().setFieldValue(1, "Mann");
    engine.model().setFieldValue(2, "1995");
    engine.model().setCanSave(true);
    sharedHost->clearSaveRequest();
    engine.save();

    EXPECT_EQ(catalogue.entry(0).cells, (QStringList{"Heat", "Mann", "1995", "Policier"}));
    EXPECT_EQ(catalogue.entry(1).cells, (QStringList{"Ronin", "", "", ""}));
    EXPECT_TRUE(sharedHost->saveRequested());
    EXPECT_EQ(state.CurrentItem, 2);

    // The mapping is kept: a second load does not ask again.
    wizard::WizardServices againServices;
    againServices.scripts = config::ScriptSource::pluginFolder(pluginFolder);
    againServices.workFolder = dir.filePath("work");
    againServices.openMappingDialog = [this](const QString& section) { return mapInDialog(section, {}); };
    wizard::WizardEngine again(state, ui, settings, std::move(againServices));
    ASSERT_TRUE(again.load());
    EXPECT_EQ(dialogOpenings, 1);
}


// Columns deleted or renamed in the host after the mapping was made: the save refuses, the
// dialog opens with each field following its column (the changed rows marked), and after OK
// the fields land in the columns the user meant.
struct ColumnChangeCase {
    const char* name;
    std::function<void(cadrelle::Catalogue&)> change;
    QStringList rowsAfter;       // the dialog's Nb per column, as it opens
    QList<bool> marked;          // its highlighted rows
    const char* refusal;         // part of the refusal message
    QStringList cellsSaved;      // entry 1 after the second save
};

class ColumnChange : public MappingSaveTest, public ::testing::WithParamInterface<ColumnChangeCase> {};

TEST_P(ColumnChange, FieldsFollowTheirColumns)
{
    const ColumnChangeCase& c = GetParam();
    writeMappingRows(iniFile(), "Site", {{"Titre", "0", ""}, {"Réalisateur", "2", ""}, {"Année", "3", ""}, {"Genre", "", ""}});
    c.change(catalogue);
    wizard::WizardServices services;
    services.scripts = config::ScriptSource::pluginFolder(pluginFolder);
    services.workFolder = dir.filePath("work");
    services.openMappingDialog = [&](const QString& section) {
        Frm3 dialog(*sharedHost, state.ScriptPath, section, ui);
        dialog.show();
        QStringList nbs;
        QList<bool> marked;
        const auto* list = dialog.findChild<QTreeWidget*>("Colonne");
        for (const mapping::MappingRow& row : dialog.rows())
            nbs << row.nb;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            marked << !list->topLevelItem(i)->toolTip(0).isEmpty();
        EXPECT_EQ(nbs, c.rowsAfter);
        EXPECT_EQ(marked, c.marked);
        QTest::mouseClick(dialog.findChild<QPushButton*>("btGo"), Qt::LeftButton);
        return dialog.mappingChanged();
    };
    wizard::WizardEngine engine(state, ui, settings, std::move(services));
    ASSERT_TRUE(engine.load());
    const auto fill = [&] {
        engine.model().setFieldValue(0, "Heat (1995)");
        engine.model().setFieldValue(1, "Mann");
        engine.model().setFieldValue(2, "1995");
        engine.model().setCanSave(true);
        engine.save();
    };
    ui.answers.push_back(MsgAnswer::Ok); // the refusal's box
    fill();
    ASSERT_FALSE(ui.messages.isEmpty());
    EXPECT_TRUE(ui.messages.last().contains(QString::fromUtf8(c.refusal))) << ui.messages.last().toStdString();
    EXPECT_EQ(state.CurrentItem, 1) << "nothing saved";
    fill();
    EXPECT_EQ(catalogue.entry(0).cells, c.cellsSaved);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ColumnChange,
    ::testing::Values(ColumnChangeCase{"Deleted", [](cadrelle::Catalogue& c) { c.removeColumn(1); }, {"0", "3", ""}, {false, true, true},
                                       "la colonne « Réalisateur » a été supprimée", {"Heat", "1995", "Policier"}},
                      ColumnChangeCase{"Renamed", [](cadrelle::Catalogue& c) { c.renameColumn(2, "Sortie"); }, {"0", "2", "3", ""},
                                       {false, false, true, false}, "la colonne 3 « Année » a été renommée « Sortie »",
                                       {"Heat", "Mann", "1995", "Policier"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace trouvel::mapping::test
