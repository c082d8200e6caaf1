// The real KelmEmu against the real libdevbridge.so, both from the program
// folder, as the suite's programs use them.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "EmuProcess.h"
#include "PostRecorder.h"
#include "TempFolder.h"
#include "devbridge/DevBridge.h"
#include "monitor/protocol/Reports.h"

namespace kelm::emu::test {
namespace {

struct DevBridge {
    Open_DevMonitor_fn Open_DevMonitor = nullptr;
    Close_DevMonitor_fn Close_DevMonitor = nullptr;
    Open_FeatureDevice_fn Open_FeatureDevice = nullptr;
    Close_FeatureDevice_fn Close_FeatureDevice = nullptr;
    SetFeature_fn SetFeature = nullptr;
    GetFeature_fn GetFeature = nullptr;
    GetMousePID_fn GetMousePID = nullptr;

    static const DevBridge* Load() {
        static const DevBridge loaded = [] {
            DevBridge api;
            void* library = ::dlopen((ProgramFolder() + "/libdevbridge.so").c_str(), RTLD_NOW | RTLD_LOCAL);
            if (library == nullptr) return api;
            const auto find = [library](auto& entry, const char* name) {
                entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(::dlsym(library, name));
            };
            find(api.Open_DevMonitor, "Open_DevMonitor");
            find(api.Close_DevMonitor, "Close_DevMonitor");
            find(api.Open_FeatureDevice, "Open_FeatureDevice");
            find(api.Close_FeatureDevice, "Close_FeatureDevice");
            find(api.SetFeature, "SetFeature");
            find(api.GetFeature, "GetFeature");
            find(api.GetMousePID, "GetMousePID");
            return api;
        }();
        const bool complete = loaded.Open_DevMonitor && loaded.Close_DevMonitor && loaded.Open_FeatureDevice &&
                              loaded.Close_FeatureDevice && loaded.SetFeature && loaded.GetFeature &&
                              loaded.GetMousePID;
        return complete ? &loaded : nullptr;
    }
};

struct CtlResult {
    int rc;
    std::string output;
};

class EmuIntegration : public ::testing::Test {
protected:
    void SetUp() override {
        api = DevBridge::Load();
        ASSERT_NE(api, nullptr) << "libdevbridge.so with its seven entry points in " << ProgramFolder();
        const std::string runtime = folder / "run";
        ::mkdir(runtime.c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        ::setenv("KELM_DEVICE", ("emu:" + socket).c_str(), 1);
        StartEmu();
    }

    void TearDown() override {
        if (api != nullptr) {
            api->Close_DevMonitor();
            api->Close_FeatureDevice();
        }
        StopEmu();
        ::unsetenv("KELM_DEVICE");
        ::unsetenv("XDG_RUNTIME_DIR");
    }

    void StartEmu(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {EmuProgram(), "--state", state, "--socket", socket};
        args.insert(args.end(), extra.begin(), extra.end());
        emu = Spawn(args, folder / "emu.log");
        ASSERT_GT(emu, 0);
        ASSERT_TRUE(WaitForSocket(socket)) << ReadText(folder / "emu.log");
    }

    void StopEmu() {
        if (emu <= 0) return;
        ::kill(emu, SIGTERM);
        EXPECT_EQ(WaitExit(emu, 5000), 0) << ReadText(folder / "emu.log");
        emu = -1;
    }

    CtlResult Ctl(std::vector<std::string> words) {
        std::vector<std::string> args = {EmuProgram(), "ctl", "--socket", socket};
        args.insert(args.end(), words.begin(), words.end());
        const pid_t pid = Spawn(args, folder / "ctl.out");
        const int rc = pid > 0 ? WaitExit(pid, 10000) : -1;
        return {rc, ReadText(folder / "ctl.out")};
    }

    ReportBytes Get(ReportId id) {
        ReportBytes buffer = ReadRequest(id);
        if (api->GetFeature(buffer.data(), static_cast<unsigned>(buffer.size())) == 0) return {};
        return buffer;
    }
    int Set(const ReportBytes& report) { return api->SetFeature(report.data(), static_cast<unsigned>(report.size())); }

    void OpenMonitor() { api->Open_DevMonitor(&posts, PostRecorder::kEventMsg, PostRecorder::kPresenceMsg); }

    TempFolder folder;
    const std::string socket = folder / "emu.sock";
    const std::string state = folder / "state.ini";
    const DevBridge* api = nullptr;
    pid_t emu = -1;
    PostRecorder posts;
};

TEST_F(EmuIntegration, FeatureReportsTravelThroughTheLibrary) {
    ASSERT_EQ(api->Open_FeatureDevice(), 1);
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
    EXPECT_EQ(api->GetMousePID(), 0);

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
    ASSERT_EQ(api->Open_FeatureDevice(), 1);
    EXPECT_EQ(Ctl({"fault", "unplug-after", "2"}).rc, 0);
    ASSERT_EQ(Set(BuildControlSelect(0, 0x60)), 1);
    EXPECT_FALSE(Get(ReportId::FKeyGroupReport).empty()) << "the second report is still answered";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Get(ReportId::ControlReport).empty());
    EXPECT_EQ(Set(BuildHostStateReport(1)), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(waited, std::chrono::milliseconds(1000)) << "the calls must not wait for their time-out";
    EXPECT_EQ(api->Open_FeatureDevice(), 0) << "nothing to open while unplugged";
    EXPECT_EQ(Ctl({"plug"}).rc, 0);
    ASSERT_EQ(api->Open_FeatureDevice(), 1);
    EXPECT_EQ(Get(ReportId::ProfileReport).at(2), 0);
}

TEST_F(EmuIntegration, RestartGivesPresenceZeroThenOneAndKeepsTheProfiles) {
    ASSERT_EQ(api->Open_FeatureDevice(), 1);
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
    ASSERT_EQ(api->Open_FeatureDevice(), 1);
    EXPECT_EQ(Get(ReportId::ProfileReport).at(2), 3);
    EXPECT_EQ(Get(ReportId::LightReport), BuildLightReport({3, 1, 2, 20}));
}

TEST_F(EmuIntegration, LibraryWaitsForAKeyboardThatStartsLater) {
    StopEmu();
    OpenMonitor();
    EXPECT_EQ(api->Open_FeatureDevice(), 0);
    StartEmu({"--unplugged", "--firmware", "120"});
    EXPECT_EQ(api->Open_FeatureDevice(), 0);
    EXPECT_EQ(Ctl({"plug"}).rc, 0);
    ASSERT_TRUE(posts.WaitFor(1));
    EXPECT_EQ(posts.Messages().front(), PostRecorder::Presence(true));
    ASSERT_EQ(api->Open_FeatureDevice(), 1);
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

    ASSERT_EQ(api->Open_FeatureDevice(), 1);
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
    EXPECT_NE(ReadText(state).find("CurrentProfile=4"), std::string::npos);
    ASSERT_EQ(api->Open_FeatureDevice(), 1);
    ASSERT_EQ(Set(BuildModifyKeyReport({1, 0x01})), 1);
    EXPECT_NE(ReadText(state).find("ModifyKeyMask=1\r\n"), std::string::npos);
}

TEST_F(EmuIntegration, MalformedFrameClosesOnlyItsConnection) {
    ASSERT_EQ(api->Open_FeatureDevice(), 1);
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
    EXPECT_NE(ReadText(folder / "second.log").find("another KelmEmu"), std::string::npos);
    EXPECT_EQ(Ctl({"plug"}).rc, 0) << "the first one still serves";
}

TEST_F(EmuIntegration, DamagedStateFileStopsTheStart) {
    StopEmu();
    WriteText(state, "[Keyboard]\nCurrentProfile=9\n");
    const pid_t damaged = Spawn({EmuProgram(), "--state", state, "--socket", socket}, folder / "damaged.log");
    EXPECT_EQ(WaitExit(damaged, 5000), 1);
    EXPECT_NE(ReadText(folder / "damaged.log").find("CurrentProfile"), std::string::npos);
    EXPECT_EQ(ReadText(state), "[Keyboard]\nCurrentProfile=9\n") << "the damaged file is left for the user";
}

TEST_F(EmuIntegration, CtlWithoutKelmEmuSaysSo) {
    StopEmu();
    const CtlResult result = Ctl({"dump"});
    EXPECT_EQ(result.rc, 1);
    EXPECT_NE(result.output.find("not running"), std::string::npos) << result.output;
}

}  // namespace
}  // namespace kelm::emu::test
