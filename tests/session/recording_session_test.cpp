#include <gtest/gtest.h>

#include <cmath>

#include "link/logger_channel.h"
#include "link/logger_sensor.h"
#include "session_fixture.h"
#include "support/number_text.h"
#include "support/settings.h"
#include "support/stream.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

// The session on a logger without a port: the tests move the depth and send labels
// by hand, so every rule is checked at exact depths.
class SessionRules : public ::testing::Test, public testing::SessionFixture {
 protected:
  SessionRules() { logger->SetPortName("Nul"); }
  // The tool is now at `metres` (as after the depth dialog): the depth channel
  // changes and the session sees it.
  void MoveTo(double metres) { logger->SetDepthStep(logger->DepthStep(), metres); }
  double Depth() { return logger->DepthChannel()->Value; }
  void Label() {
    TLoggerSensor* s = logger->Sensors().Get("MAG-LABEL-SENSOR");
    ++s->Value;
    logger->Notify(TLoggerNotifyKind::lnSensorChange, s);
  }
  std::vector<int32_t> RowDepths(const char* track = "DEPTH") {
    std::vector<int32_t> out;
    TLogTrack* t = Track(track);
    for (int i = 0; i < t->Count(); ++i) out.push_back(t->ArgumentOf(i));
    return out;
  }
};

TEST_F(SessionRules, GoingDownAddsARowPerStepCrossedAndGoingBackTakesThemAway) {
  session->RecordStep = 100;
  MoveTo(1.0);
  session->SetRecordMode(RecordingSession::rmDepthDown);
  EXPECT_EQ(session->LastDepth(), 1000);
  MoveTo(1.350);
  EXPECT_EQ(RowDepths(), (std::vector<int32_t>{1100, 1200, 1300}));
  MoveTo(1.120);
  EXPECT_EQ(RowDepths(), (std::vector<int32_t>{1100, 1200}));
  EXPECT_EQ(session->LastDepth(), 1200);
  // Back above the start: the next rows still land on their own depths.
  MoveTo(0.750);
  EXPECT_EQ(Track("DEPTH")->Count(), 0);
  EXPECT_EQ(session->LastDepth(), 800);
  MoveTo(0.920);
  EXPECT_EQ(RowDepths(), (std::vector<int32_t>{900}));
  for (int i = 0; i < session->Sheet().Count(); ++i)
    EXPECT_EQ(session->Sheet().Tracks(i)->Count(), 1);
}

TEST_F(SessionRules, GoingUpAddsRowsAtTheFrontAndGoingDownTakesThemAway) {
  session->RecordStep = 100;
  MoveTo(2.0);
  session->SetRecordMode(RecordingSession::rmDepthUp);
  EXPECT_LT(session->MLStep, 0);
  MoveTo(1.650);
  EXPECT_EQ(RowDepths(), (std::vector<int32_t>{1700, 1800, 1900}));
  EXPECT_FLOAT_EQ(Track("DEPTH")->Sample(0), 1.65f);
  MoveTo(1.810);
  EXPECT_EQ(RowDepths(), (std::vector<int32_t>{1800, 1900}));
  EXPECT_EQ(session->LastDepth(), 1800);
}

TEST_F(SessionRules, ADepthRecordingStartsOnTheStepGridNearestTheTool) {
  session->RecordStep = 200;
  MoveTo(123.456);
  session->SetRecordMode(RecordingSession::rmDepthDown);
  EXPECT_EQ(session->LastDepth(), 123400);
  MoveTo(123.601);
  EXPECT_EQ(RowDepths(), (std::vector<int32_t>{123600}));
  EXPECT_EQ(session->Sheet().Params().Value("StartTime"), "07.03.2024");
  EXPECT_EQ(session->Sheet().Comments().Value("Прибор"),
            "ТЕЛЕМЕТРИЯ №0 + ГК-НК №0 + ТМ №0 + КАВЕРНОМЕР №0");
}

TEST_F(SessionRules, LabelsCorrectTheDepthOnTheirGrid) {
  MoveTo(1000.0);
  session->ToggleDepthCorrection();
  Label();  // the first label only sets what comes next
  EXPECT_FLOAT_EQ(session->NextLabelDepth, 1010);
  MoveTo(1009.9);
  Label();  // 0.1 m early, inside the zone: the depth becomes the expected one
  EXPECT_NEAR(Depth(), 1010.0, 1e-6);
  EXPECT_FLOAT_EQ(session->NextLabelDepth, 1020);
  MoveTo(1045.0);
  Label();  // 25 m past: two labels missed (2.5 goes to 2)
  EXPECT_NEAR(Depth(), 1040.0, 1e-6);
  EXPECT_FLOAT_EQ(session->NextLabelDepth, 1050);
  MoveTo(1055.0);
  Label();  // 5 m off: a stray label
  EXPECT_NEAR(Depth(), 1055.0, 1e-6);
  EXPECT_FLOAT_EQ(session->NextLabelDepth, 1050);
  EXPECT_EQ(ui.LabelGreen, 2);
  EXPECT_EQ(ui.LabelRed, 2);
  EXPECT_EQ(ui.Beeps, 4);

  // Going up, a label found below the expected one is put on the nearest grid
  // point below, not mirrored above.
  session->SetRecordMode(RecordingSession::rmDepthUp);
  session->SetRecordMode(RecordingSession::rmStop);
  session->NextLabelDepth = 1030;
  MoveTo(1052.0);
  Label();
  EXPECT_NEAR(Depth(), 1050.0, 1e-6);
  EXPECT_FLOAT_EQ(session->NextLabelDepth, 1040);
}

TEST_F(SessionRules, StepCorrectionScalesTheDepthStep) {
  MoveTo(1000.0);
  session->ToggleDepthCorrection();
  session->StepCorrection = true;
  Label();
  MoveTo(1010.1);
  Label();
  EXPECT_NEAR(logger->DepthStep(), 0.01 * 1010.0 / 1010.1, 1e-9);
  EXPECT_NEAR(Depth(), 1010.0, 1e-6);
  EXPECT_EQ(ui.DepthStep, "0.01000");
}

TEST_F(SessionRules, ALabelShowsInOneRowOnly) {
  session->RecordStep = 100;
  MoveTo(10.0);
  session->SetRecordMode(RecordingSession::rmDepthDown);
  Label();
  logger->Channels().Get("MAG-LABEL")->Evaluate();
  MoveTo(10.35);
  TLogTrack* label = Track("MAG-LABEL");
  ASSERT_EQ(label->Count(), 3);
  EXPECT_EQ(label->Sample(0), 1.0f);
  EXPECT_EQ(label->Sample(1), 0.0f);
  EXPECT_EQ(label->Sample(2), 0.0f);
}

TEST_F(SessionRules, APerforationMarkTakesOneStep) {
  session->RecordStep = 100;
  MoveTo(10.0);
  session->Perforation();  // not recording: nothing
  EXPECT_EQ(Track("DEPTH")->Count(), 0);
  session->SetRecordMode(RecordingSession::rmDepthDown);
  MoveTo(10.15);
  session->Perforation();
  EXPECT_EQ(session->LastDepth(), 10200);
  MoveTo(10.32);
  EXPECT_EQ(RowDepths(), (std::vector<int32_t>{10100, 10200, 10300}));
  EXPECT_FLOAT_EQ(Track("DEPTH")->Sample(1), 10.15f);
  EXPECT_FLOAT_EQ(Track("GK")->Sample(1), -99.99f);
  EXPECT_FLOAT_EQ(Track("DEPTH")->Sample(2), 10.32f);
}

TEST_F(SessionRules, StopMovesCurvesToTheirSensorsAndSavesIntoTheResearch) {
  session->RecordStep = 100;
  research->ResearchParams.SetText("WELL=7");
  research->Start("Скв 7");
  MoveTo(1000.0);
  session->SetRecordMode(RecordingSession::rmDepthDown);
  MoveTo(1000.5);
  ui.Texts = {"Спуск #1", "Спуск 1"};
  std::string path = session->Stop();
  EXPECT_EQ(path, research->ResearchDir() + "001.ls");
  EXPECT_EQ(ui.Warnings, (std::vector<std::string>{"Имя файла содержит недопустимые символы!"}));
  // GK-COUNTER lies 1500 + 200 mm below the top of the string (the telemetry's
  // length, then its own offset in the gamma module).
  int32_t gk_offset = logger->Channels().Get("GK")->Offset;
  EXPECT_GT(gk_offset, 0);
  EXPECT_EQ(Track("GK")->Origin(), 1000100 + gk_offset / 100 * 100);
  EXPECT_EQ(Track("DEPTH")->Origin(), 1000100);
  session->WaitForSaves();
  EXPECT_EQ(ui.Saved, (std::vector<std::string>{path}));

  TLogSheet saved;
  saved.LoadFromFile(path, "LS");
  EXPECT_EQ(saved.FindTrack("DEPTH")->Count(), 5);
  EXPECT_EQ(saved.Comments().Value("Условия замера"), "Спуск 1");
  EXPECT_EQ(saved.Params().Value("WELL"), "7");
  EXPECT_EQ(saved.Params().Value("StopTime"), "07.03.2024");
  auto files = ReadWholeFile(research->ResearchDir() + "files");
  EXPECT_EQ(std::string(files.begin(), files.end()), "001.ls=Спуск 1");
  EXPECT_EQ(research->FileCounter, 2);
  std::string journal = research->CurrentJournal().Text();
  EXPECT_NE(journal.find("Logging started\r\n"), std::string::npos);
  EXPECT_NE(journal.find("Logging complete\r\n"), std::string::npos);
}

TEST_F(SessionRules, TheResearchParametersAreInEveryFileOnceHoweverManyRunsAreMade) {
  session->RecordStep = 100;
  research->ResearchParams.SetText("WELL=7\r\nFIELD=Южное");
  research->Start("Скв 7");
  for (int run = 0; run < 3; ++run) {
    MoveTo(1000.0);
    session->SetRecordMode(RecordingSession::rmDepthDown);
    MoveTo(1000.5);
    ui.Texts = {"Спуск"};
    const std::string path = session->Stop();
    session->WaitForSaves();
    TLogSheet saved;
    saved.LoadFromFile(path, "LS");
    int wells = 0;
    for (int i = 0; i < saved.Params().Count(); ++i)
      wells += saved.Params()[i].rfind("WELL=", 0) == 0;
    EXPECT_EQ(wells, 1) << "run " << run;
    EXPECT_EQ(saved.Params().Value("FIELD"), "Южное");
    EXPECT_EQ(saved.Params().Count(), 5)
        << saved.Params().Text();  // StartTime, Прибор, 2, StopTime
  }
}

TEST_F(SessionRules, TheProposalIsUsedWhenTheBoxIsCancelledAndSaveFilesIsObeyed) {
  MoveTo(1100.0);
  session->RecordStep = 100;
  session->SetRecordMode(RecordingSession::rmDepthUp);
  MoveTo(1099.0);
  EXPECT_FALSE(session->Stop().empty());  // no answers: the box is cancelled
  session->WaitForSaves();
  TLogSheet saved;
  saved.LoadFromFile(research->ResearchDir() + "001.ls", "LS");
  // Highest first; the deepest sensor's curve reaches below the top of the string.
  EXPECT_EQ(saved.Comments().Value("Условия замера"),
            "Подъем " + FormatFixed(session->Sheet().End() / 1000.0, 2) + " - 1099.00");
  EXPECT_GT(session->Sheet().End(), 1100000);

  session->SaveFiles = 1;
  ui.Yes = false;
  session->SetRecordMode(RecordingSession::rmDepthUp);
  EXPECT_TRUE(session->Stop().empty());
  EXPECT_EQ(ui.Asked.back(), "Внимание!: Сохранить этот файл ?");
  session->SaveFiles = 2;
  session->SetRecordMode(RecordingSession::rmDepthDown);
  EXPECT_TRUE(session->Stop().empty());
  EXPECT_EQ(research->FileCounter, 2);
}

TEST_F(SessionRules, SettingsAreReadInOrderUntilOneIsMissing) {
  EXPECT_EQ(session->AutoSaveMinutes(), 1);  // on before any settings are stored
  MemorySettings s;
  s.SetInt("LogRecorder/Main form", "RecordStep", 200);
  s.SetString("Settings", "NullValue", "-999.25");
  s.SetInt("Settings", "TimeDelay", 5);
  s.SetInt("Settings", "AutoSave", 3);
  EXPECT_FALSE(session->LoadSettings(s));  // no "Setted": the settings dialog is due
  EXPECT_EQ(session->RecordStep, 10);      // no "MLArea": the rest of the group is not read
  EXPECT_EQ(session->NullValue, "-999.25");
  EXPECT_EQ(session->TimeDelay(), 5);
  EXPECT_EQ(session->AutoSaveMinutes(), 3);

  std::filesystem::create_directories(research->Base() + "/Скв 9");
  session->MLStep = -12;
  session->SaveSettings(s);
  s.SetString("LogRecorder/Main form", "ResearchDir", "Скв 9");
  s.SetInt("LogRecorder/Main form", "RecordStep", 200);
  s.SetBool("Settings", "Setted", true);
  s.SetInt("Settings", "SaveFiles", 1);
  EXPECT_TRUE(session->LoadSettings(s));
  EXPECT_EQ(session->RecordStep, 200);
  EXPECT_FLOAT_EQ(session->MLStep, 12);
  EXPECT_EQ(session->SaveFiles, 1);
  EXPECT_EQ(research->ResearchName(), "Скв 9");
}

TEST_F(SessionRules, TimeDelayIsRefusedOutsideItsRange) {
  EXPECT_THROW_MSG(session->SetTimeDelay(61), ELoggerChannelItemError, "Invalid period value");
  session->SetTimeDelay(2);
  EXPECT_EQ(session->TimeDelay(), 2);
}

}  // namespace
}  // namespace kest
