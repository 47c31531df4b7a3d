// A plug-in module for testing hosts: its ShowForm does what the caption of the host's
// first column asks, so a test chooses the behaviour through the catalogue it hands over.
//   "throw"  -> fails with trouvel::Error("échec voulu")
//   "save"   -> writes "vu" into the selected entries' second column, moves the selection
//               to the next entry and sets ilfautsauver
//   anything else -> does nothing
#include <trouvel/Trouvel.h>

#include <vector>

namespace {

int live = 0;
std::shared_ptr<trouvel::HostApplication> host;

class FakePlugin final : public trouvel::_Trouvel {
public:
    FakePlugin() { ++live; }
    ~FakePlugin() override
    {
        if (--live == 0)
            host.reset();
    }
    void WhatIsIt(std::string& retour) override { retour = "other"; }
    void initme(std::int32_t&, std::shared_ptr<trouvel::HostApplication>& aCadrelle) override { host = aCadrelle; }
    void ShowForm() override
    {
        trouvel::ListView& lv = host->MyLV();
        const std::string command = lv.ColumnHeaders(1);
        if (command == "throw")
            throw trouvel::Error("échec voulu");
        if (command != "save")
            return;
        std::vector<std::int16_t> selected;
        for (std::int16_t i = 1; i <= lv.ListItems().Count(); ++i) {
            if (lv.ListItems().Item(i).Selected())
                selected.push_back(i);
        }
        for (std::int16_t i : selected) {
            lv.ListItems().Item(i).SubItems(1, "vu");
            lv.ListItems().Item(i).Selected(false);
            std::int16_t next = std::int16_t(i + 1);
            if (next <= lv.ListItems().Count())
                lv.ListItems().Item(next).Selected(true);
        }
        host->ilfautsauver(true);
    }
    std::string Name() const override { return "Factice"; }
    std::string Description() const override { return "Module de test"; }
    std::string VersionMajor() const override { return "3"; }
    std::string VersionMinor() const override { return "0"; }
    std::string VersionRevision() const override { return "7"; }
    std::string AuthorUrl() const override { return "https://example.org"; }
    std::string Author() const override { return "Tests"; }
    std::string EMail() const override { return "tests@example.org"; }
};

} // namespace

extern "C" {
int trouvel_boundary_version(void) { return trouvel::kBoundaryVersion; }
trouvel::_Trouvel* trouvel_create(int version) { return version == trouvel::kBoundaryVersion ? new FakePlugin : nullptr; }
void trouvel_destroy(trouvel::_Trouvel* object) { delete static_cast<FakePlugin*>(object); }
int trouvel_can_unload_now(void) { return live == 0 ? 1 : 0; }
}
