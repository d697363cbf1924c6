// "Select Units and Variants" on Qt, driven with real clicks: the lists it
// shows, OK without a variant (warning, the dialog stays), OK with units and
// a variant (the files are written, the dialog stays) and Exit.
#include "gui/unit_variant_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "app/growth_model_command.h"
#include "convert/growth_model_export.h"
#include "growthmodel/species.h"
#include "platform/scripted_platform.h"
#include "qt_app.h"
#include "support/processed_cruise.h"
#include "support/temp_dir.h"

namespace sw::gui {
namespace {

void ClickItem(QListWidget* list, const QString& text) {
  auto found = list->findItems(text, Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1) << text.toStdString();
  list->scrollToItem(found[0]);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(UnitVariantDialogTest, ShowsTheListsInTheGivenOrderAndHandsOverTheSelection) {
  sw::testing::TestApplication();
  std::vector<platform::UnitVariantChoice> presses;
  UnitVariantDialog dialog({"   3", {" ALL UNITS", "1 -- north", "2 -- south"}, {"Central Rockies", "Utah"}},
                           [&](const platform::UnitVariantChoice& choice) {
                             presses.push_back(choice);
                             return true;
                           });
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_EQ(dialog.windowTitle(), "Select Units and Variants");
  EXPECT_EQ(dialog.count_box()->text(), "   3");
  EXPECT_TRUE(dialog.count_box()->isReadOnly());
  ASSERT_EQ(dialog.unit_list()->count(), 3);
  EXPECT_EQ(dialog.unit_list()->item(0)->text(), " ALL UNITS");
  EXPECT_EQ(dialog.ok_button()->text(), "&OK");
  EXPECT_EQ(dialog.exit_button()->text(), "E&xit");

  // Clicks select several units, in list order whatever the click order;
  // a second click on a unit deselects it; one variant at a time.
  ClickItem(dialog.unit_list(), "2 -- south");
  ClickItem(dialog.unit_list(), " ALL UNITS");
  ClickItem(dialog.unit_list(), "1 -- north");
  ClickItem(dialog.unit_list(), "1 -- north");
  ClickItem(dialog.variant_list(), "Utah");
  ClickItem(dialog.variant_list(), "Central Rockies");
  QTest::mouseClick(dialog.ok_button(), Qt::LeftButton);
  ASSERT_EQ(presses.size(), 1u);
  EXPECT_EQ(presses[0].units, (std::vector<std::string>{" ALL UNITS", "2 -- south"}));
  EXPECT_EQ(presses[0].variant, "Central Rockies");
  EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open after OK";
  QTest::mouseClick(dialog.exit_button(), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(UnitVariantDialogTest, ExportFromTheDialogWithRealClicks) {
  sw::testing::TestApplication();
  test::TempDir dir;
  test::ProcessedCruise cruise;
  cruise.units = {{"1", 20, "north"}, {"2", 40, ""}};
  cruise.strata = {{"01", "1,2"}};
  cruise.equations = {{"202", "I00FW2W202"}};
  cruise.plots = {{"01", "1", "1", 20, 180}};
  cruise.trees.push_back(test::TreeSpec());
  cruise.prorations = {{"C", "01", "1", "1", "N", "01", 0.5f}, {"C", "01", "2", "1", "N", "01", 0.5f}};
  const auto cruise_path = dir / "sale.crz";
  cruise.Write(cruise_path, dir / convert::kProrationFileName);
  auto species = growthmodel::ParseSpeciesSource("[PNspecies]\n202|Douglas-fir|DF\n");
  ASSERT_TRUE(species);
  std::filesystem::create_directories(dir / "program");
  const auto species_path = dir / "program" / growthmodel::kSpeciesFileName;
  ASSERT_TRUE(growthmodel::WriteSpeciesFile(species_path, *species));

  platform::ScriptedPlatform platform;
  QtUnitVariantPrompt prompt;
  bool checked = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = dynamic_cast<UnitVariantDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->count_box()->text(), "   2");
    ASSERT_EQ(dialog->unit_list()->count(), 3);
    EXPECT_EQ(dialog->unit_list()->item(2)->text(), "2 -- no description available");
    EXPECT_EQ(dialog->variant_list()->count(), 7);

    ClickItem(dialog->unit_list(), "2 -- no description available");
    QTest::mouseClick(dialog->ok_button(), Qt::LeftButton);
    ASSERT_EQ(platform.messages().size(), 1u);
    EXPECT_EQ(platform.messages()[0].text, "NO VARIANT SELECTED!\nPlease select a variant\nbefore clicking OK");
    EXPECT_EQ(platform.messages()[0].caption, "WARNING");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(ReadAll(dir / "sale.bat"), "rem Biomass reports on all cutting units selected.\n");

    ClickItem(dialog->variant_list(), "Pacific Northwest Coast");
    QTest::mouseClick(dialog->ok_button(), Qt::LeftButton);
    ASSERT_EQ(platform.messages().size(), 2u);
    EXPECT_EQ(platform.messages()[1].caption, "NOTIFY");
    EXPECT_NE(platform.messages()[1].text.find(dir.path().string()), std::string::npos);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(ReadAll(dir / "Cruz4711_2.gro"), "   1  1  0.121DF 12.5    80       427 526 0    1220180     \n");
    EXPECT_NE(ReadAll(dir / "sale.bat").find("C:\\Grobin\\pnfm.exe < Cruz4711_2.rsp\n"), std::string::npos);
    checked = true;
    QTest::mouseClick(dialog->exit_button(), Qt::LeftButton);
  });
  const auto outcome =
      app::RunGrowthModelExport(platform, prompt, {cruise_path, species_path, 2026, nullptr});
  EXPECT_TRUE(checked);
  EXPECT_EQ(outcome, app::GrowthModelOutcome::kExported);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace sw::gui
