#include "app/core/research_params_form.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "lisp/wlisp.h"
#include "log/research_parameters.h"
#include "session/research.h"
#include "temp_dir.h"

namespace kest {
namespace {

namespace fs = std::filesystem;

class ResearchParamsFormTest : public ::testing::Test {
 protected:
  ResearchParamsFormTest() {  // NOLINT
    std::ofstream(dir.File("research params"))
        << "(((PARAMETER . oilfield) (DISPLAYNAME . \"Месторождение\") (MANDATORY . T) (LISTFILE . "
           "\"oilfields\"))\n"
           " ((PARAMETER . well) (DISPLAYNAME . \"Скважина\") (MANDATORY . T))\n"
           " ((PARAMETER . party) (DISPLAYNAME . \"Партия\"))\n"
           " ((PARAMETER . API) (DISPLAYNAME . \"Код API\") (SELECTABLE . NIL)))\n";
    std::ofstream(dir.File("oilfields")) << "Самотлор\r\nПриобское";
    descriptions.Reload(dir.File("research params"));
    fs::create_directories(dir.Path() / "Research");
  }
  TWLisp lisp;  // the descriptions are script text
  testing::TempDir dir;
  TResearchParameters descriptions;
};

TEST_F(ResearchParamsFormTest,
       RowsAreTheSelectableDescriptionsWithMarksAndOkNeedsEveryMandatoryValue) {
  ResearchParamsForm form(descriptions, dir.Path().string());
  ASSERT_EQ(form.Rows().size(), 3u);
  EXPECT_EQ(form.Rows()[0].Values, (std::vector<std::string>{"Самотлор", "Приобское"}));
  EXPECT_EQ(form.Image(0), 1);
  EXPECT_EQ(form.Image(2), 0);
  EXPECT_FALSE(form.CanAccept());
  form.TakeValues(StringList{"OILFIELD=Самотлор", "WELL=12"});
  EXPECT_EQ(form.Image(0), 2);
  EXPECT_TRUE(form.CanAccept());
}

TEST_F(ResearchParamsFormTest, ANewDropDownValueIsKeptInTheListFile) {
  ResearchParamsForm form(descriptions, dir.Path().string());
  form.AddListValue(0, "Ванкор");
  form.AddListValue(0, "Самотлор");  // already there
  ResearchParamsForm again(descriptions, dir.Path().string());
  EXPECT_EQ(again.Rows()[0].Values, (std::vector<std::string>{"Самотлор", "Приобское", "Ванкор"}));
}

TEST_F(ResearchParamsFormTest, OkMakesTheResearchFolderAndMergesItsEarlierParameters) {
  std::string base = dir.File("Research");
  fs::create_directories(base + "/Самотлор - 12");
  std::ofstream(base + "/Самотлор - 12/params") << "goal=ГИС\r\nparty=3";
  ResearchParamsForm form(descriptions, dir.Path().string());
  form.Rows()[0].Value = "Самотлор";
  form.Rows()[1].Value = "12";
  form.Rows()[2].Value = "7";
  StringList params{"stale=1"};
  auto r = form.Accept(base, params);
  EXPECT_EQ(r.Error, "");
  EXPECT_EQ(r.Name, "Самотлор - 12");
  EXPECT_EQ(params.Value("goal"), "ГИС");
  EXPECT_EQ(params.Value("party"), "7");
  EXPECT_EQ(params.Value("oilfield"), "Самотлор");
  EXPECT_EQ(params.Value("stale"), "");
}

TEST_F(ResearchParamsFormTest, OkRefusesMissingOilFieldAndWellAndNamesThatLeaveTheBase) {
  ResearchParamsForm form(descriptions, dir.Path().string());
  StringList params;
  EXPECT_EQ(form.Accept(dir.File("Research"), params).Error,
            "Необходимые параметры \"Месторождение\" и \"Скважина\" не найдены");
  form.Rows()[0].Value = "..";
  EXPECT_FALSE(form.Accept(dir.File("Research"), params).Error.empty());
  form.Rows()[0].Value = "a";
  form.Rows()[1].Value = "../../etc";
  EXPECT_FALSE(form.Accept(dir.File("Research"), params).Error.empty());
  EXPECT_FALSE(fs::exists(dir.Path() / "etc"));
}

}  // namespace
}  // namespace kest
