// The real KelmEmu against the real libdevbridge.so, both from the program
// folder, as the suite's programs use them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <nlohmann/json.hpp>

#include "PostRecorder.h"
#include "emulator/EmuWire.h"
#include "keyboard/Reports.h"
#include "tests/support/KelmEmuTest.h"

namespace kelm::emu::test {
namespace {

using kelm::test::CtlResult;
using kelm::test::ReadFile;
using kelm::test::Spawn;
using kelm::test::WaitExit;
using kelm::test::WriteFile;

class EmuIntegration : public kelm::test::KelmEmuTest {
protected:
    ReportBytes Get(ReportId id) {
        ReportBytes buffer = ReadRequest(id);
        if (library.GetFeature(buffer.data(), static_cast<unsigned>(buffer.size())) == 0) return {};
        return buffer;
    }
    int Set(const ReportBytes& report) {
        return library.SetFeature(report.data(), static_cast<unsigned>(report.size()));
    }

    void OpenMonitor() { library.OpenDevMonitor(&posts, PostRecorder::kEventMsg, PostRecorder::kPresenceMsg); }

    PostRecorder posts;
};

TEST_F(EmuIntegration, FeatureReportsTravelThroughTheLibrary) {
    ASSERT_EQ(library.OpenFeatureDevice(), 1);
    EXPECT_EQ(Get(ReportId::FirmwareReport).at(2), 115);
    ASSERT_EQ(Set(BuildModifyKeyReport({2, 0x15})), 1);
    EXPECT_EQ(Get(ReportId::ControlReport).at(1), kStatusReady);
    ASSERT_EQ(Set(BuildControlSelect(2, 0x50)), 1);
    EXPECT_EQ(Get(ReportId::ControlReport).at(1), kStatusReady);
    const ReportBytes modify = Get(ReportId::ModifyKeyReport);
    EXPECT_EQ(ParseModifyKeyReport(modify)->mask, 0x15);

    MacroKeyInfo macro{};
    macro.EventCount = 500;
    for (int i = 0; i < 500; ++i) macro.Events[i] = {0x04, 1, static_cast<std::uint16_t>(i)};
    const ReportBytes written = BuildMacroReport({1, 7}, macro);
    ASSERT_EQ(Set(written), 1);
    ASSERT_EQ(Set(BuildControlSelect(1, 7)), 1);
    EXPECT_EQ(Get(ReportId::MacroReport), written);

    Set(ReportBytes{0x07, 0x06, 0x02});
    EXPECT_EQ(Get(ReportId::ControlReport).at(1), 2) << "refused";
    EXPECT_EQ(library.GetMousePID(), 0);

    const CtlResult log = Ctl({"log"});
    EXPECT_EQ(log.rc, 0);
    EXPECT_NE(log.output.find("set 07 6 accepted 07060215"), std::string::npos) << log.output;
    EXPECT_NE(log.output.find("set 0E 2083 accepted"), std::string::npos) << log.output;
    EXPECT_NE(log.output.find("set 07 3 refused"), std::string::npos) << log.output;
}

TEST_F(EmuIntegration, EventsAndPresenceArriveThroughPost) {
    OpenMonitor();
    ASSERT_TRUE(posts.WaitFor(1));
    EXPECT_EQ(Ctl({"press", "32"}).rc, 0);
    EXPECT_EQ(Ctl({"profile", "3"}).rc, 0);
    EXPECT_EQ(Ctl({"brightness", "4"}).rc, 0);
    EXPECT_EQ(Ctl({"unplug"}).rc, 0);
    EXPECT_NE(Ctl({"press", "32"}).rc, 0) << "an unplugged keyboard raises nothing";
    EXPECT_EQ(Ctl({"plug"}).rc, 0);
    ASSERT_TRUE(posts.WaitFor(6));
    EXPECT_EQ(posts.Messages(), (std::vector<Posted>{PostRecorder::Presence(true), PostRecorder::Event(0x1000, 1),
                                                     PostRecorder::Event(0x0200, 3), PostRecorder::Event(0x0C00, 4),
                                                     PostRecorder::Presence(false), PostRecorder::Presence(true)}));
}

TEST_F(EmuIntegration, UnplugMidTransferFailsAtOnce) {
    ASSERT_EQ(library.OpenFeatureDevice(), 1);
    EXPECT_EQ(Ctl({"fault", "unplug-after", "2"}).rc, 0);
    ASSERT_EQ(Set(BuildControlSelect(0, 0x60)), 1);
    EXPECT_FALSE(Get(ReportId::FKeyGroupReport).empty()) << "the second report is still answered";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Get(ReportId::ControlReport).empty());
    EXPECT_EQ(Set(BuildHostStateReport(1)), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(waited, std::chrono::milliseconds(1000)) << "the calls must not wait for their time-out";
    EXPECT_EQ(library.OpenFeatureDevice(), 0) << "nothing to open while unplugged";
    EXPECT_EQ(Ctl({"plug"}).rc, 0);
    ASSERT_EQ(library.OpenFeatureDevice(), 1);
    EXPECT_EQ(Get(ReportId::ProfileReport).at(2), 0);
}

TEST_F(EmuIntegration, RestartGivesPresenceZeroThenOneAndKeepsTheProfiles) {
    ASSERT_EQ(library.OpenFeatureDevice(), 1);
    OpenMonitor();
    ASSERT_TRUE(posts.WaitFor(1));
    ASSERT_EQ(Set(BuildProfileReport(3)), 1);
    ASSERT_EQ(Set(BuildLightReport({3, 1, 2, 20})), 1);
    StopEmu();
    ASSERT_TRUE(posts.WaitFor(2));
    EXPECT_EQ(Set(BuildProfileReport(1)), 0) << "KelmEmu is gone";
    StartEmu();
    ASSERT_TRUE(posts.WaitFor(3));
    EXPECT_EQ(posts.Messages(), (std::vector<Posted>{PostRecorder::Presence(true), PostRecorder::Presence(false),
                                                     PostRecorder::Presence(true)}));
    ASSERT_EQ(library.OpenFeatureDevice(), 1);
    EXPECT_EQ(Get(ReportId::ProfileReport).at(2), 3);
    EXPECT_EQ(Get(ReportId::LightReport), BuildLightReport({3, 1, 2, 20}));
}

TEST_F(EmuIntegration, LibraryWaitsForAKeyboardThatStartsLater) {
    StopEmu();
    OpenMonitor();
    EXPECT_EQ(library.OpenFeatureDevice(), 0);
    StartEmu({"--unplugged", "--firmware", "120"});
    EXPECT_EQ(library.OpenFeatureDevice(), 0);
    EXPECT_EQ(Ctl({"plug"}).rc, 0);
    ASSERT_TRUE(posts.WaitFor(1));
    EXPECT_EQ(posts.Messages().front(), PostRecorder::Presence(true));
    ASSERT_EQ(library.OpenFeatureDevice(), 1);
    EXPECT_EQ(Get(ReportId::FirmwareReport).at(2), 120);
}

TEST_F(EmuIntegration, CtlCommandsDriveTheKeyboard) {
    ASSERT_EQ(Ctl({"record", "3", "5", "0x04:1:50", "0x04:2:0"}).rc, 0);
    ASSERT_EQ(Ctl({"fault", "checksum", "1"}).rc, 0);
    const CtlResult dump = Ctl({"dump"});
    ASSERT_EQ(dump.rc, 0) << dump.output;
    const auto json = nlohmann::json::parse(dump.output);
    EXPECT_EQ(json["FWVersion"], 115);
    EXPECT_EQ(json["CurrentProfile"], 0);
    EXPECT_EQ(json["Profiles"][0]["Keys"][4]["FunctionCode"], 0xBE);
    EXPECT_EQ(json["Profiles"][0]["Keys"][4]["Events"].size(), 2u);

    ASSERT_EQ(library.OpenFeatureDevice(), 1);
    EXPECT_FALSE(ChecksumValid(Get(ReportId::MacroKeyGroupReport)));
    EXPECT_TRUE(ChecksumValid(Get(ReportId::MacroKeyGroupReport)));
    ASSERT_EQ(Ctl({"fault", "busy", "forever"}).rc, 0);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Get(ReportId::ControlReport).at(1), kStatusBusy);
    ASSERT_EQ(Ctl({"fault", "clear"}).rc, 0);
    EXPECT_EQ(Get(ReportId::ControlReport).at(1), kStatusReady);
    ASSERT_EQ(Ctl({"reset-log"}).rc, 0);
    EXPECT_EQ(Ctl({"log"}).output, "");

    const CtlResult bad = Ctl({"press", "99"});
    EXPECT_EQ(bad.rc, 1);
    EXPECT_NE(bad.output.find("key number"), std::string::npos);
}

TEST_F(EmuIntegration, StateFileIsWrittenAfterEveryKeptChange) {
    EXPECT_EQ(Ctl({"profile", "5"}).rc, 0);
    EXPECT_NE(ReadFile(state).find("CurrentProfile=4"), std::string::npos);
    ASSERT_EQ(library.OpenFeatureDevice(), 1);
    ASSERT_EQ(Set(BuildModifyKeyReport({1, 0x01})), 1);
    EXPECT_NE(ReadFile(state).find("ModifyKeyMask=1\r\n"), std::string::npos);
}

TEST_F(EmuIntegration, MalformedFrameClosesOnlyItsConnection) {
    ASSERT_EQ(library.OpenFeatureDevice(), 1);
    OpenMonitor();
    ASSERT_TRUE(posts.WaitFor(1));
    auto rogue = WireConnection::Connect(socket);
    ASSERT_TRUE(rogue);
    ASSERT_EQ(::write(rogue->Fd(), "not a frame at all", 18), 18);
    Frame frame;
    EXPECT_EQ(rogue->Receive(frame, 3000), WireConnection::Status::Closed);
    auto early = WireConnection::Connect(socket);
    ASSERT_TRUE(early);
    std::string reply;
    EXPECT_NE(early->Call(FrameKind::SetFeature, "\x05\x03\x01", reply, 3000), WireConnection::Status::Ok)
        << "a transfer before OpenFeature ends the connection";
    EXPECT_EQ(Get(ReportId::ProfileReport).at(2), 0);
    EXPECT_EQ(Ctl({"press", "32"}).rc, 0);
    ASSERT_TRUE(posts.WaitFor(2));
    EXPECT_EQ(posts.Messages().back(), PostRecorder::Event(0x1000, 1));
}

TEST_F(EmuIntegration, SecondKeyboardOnTheSameSocketIsRefused) {
    const pid_t second = Spawn({EmuProgram(), "--socket", socket}, folder / "second.log");
    EXPECT_EQ(WaitExit(second, 5000), 1);
    EXPECT_NE(ReadFile(folder / "second.log").find("another KelmEmu"), std::string::npos);
    EXPECT_EQ(Ctl({"plug"}).rc, 0) << "the first one still serves";
}

TEST_F(EmuIntegration, DamagedStateFileStopsTheStart) {
    StopEmu();
    WriteFile(state, "[Keyboard]\nCurrentProfile=9\n");
    const pid_t damaged = Spawn({EmuProgram(), "--state", state, "--socket", socket}, folder / "damaged.log");
    EXPECT_EQ(WaitExit(damaged, 5000), 1);
    EXPECT_NE(ReadFile(folder / "damaged.log").find("CurrentProfile"), std::string::npos);
    EXPECT_EQ(ReadFile(state), "[Keyboard]\nCurrentProfile=9\n") << "the damaged file is left for the user";
}

TEST_F(EmuIntegration, CtlWithoutKelmEmuSaysSo) {
    StopEmu();
    const CtlResult result = Ctl({"dump"});
    EXPECT_EQ(result.rc, 1);
    EXPECT_NE(result.output.find("not running"), std::string::npos) << result.output;
}

}  // namespace
}  // namespace kelm::emu::test
