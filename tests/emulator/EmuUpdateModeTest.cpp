// The software keyboard's update mode, spoken to as KelmFlash speaks to it.
#include <gtest/gtest.h>

#include <functional>

#include "KeyboardFixture.h"
#include "emulator/EmuStateFile.h"
#include "keyboard/FirmwareUpdate.h"
#include "tests/support/TempFolder.h"

namespace kelm::emu::test {
namespace {

constexpr std::uint8_t kFirmware = static_cast<std::uint8_t>(ReportId::FirmwareReport);

class UpdateModeTest : public KeyboardFixture {
protected:
    std::uint8_t UpdateStatus() {
        const auto answer = keyboard.GetFeature(kUpdateStatusReportId, kUpdateStatusLength);
        EXPECT_TRUE(answer.has_value());
        return answer && answer->size() == 3 ? (*answer)[1] : 0;
    }
    // Sends the command; its status.
    std::uint8_t Command(const ReportBytes& report) {
        EXPECT_TRUE(keyboard.SetFeature(report));
        return UpdateStatus();
    }
    // Start, size and prepare; true when each was done.
    bool Begin(std::uint32_t size, const UpdateSignatures& signatures = kDefaultUpdateSignatures) {
        return Command(BuildStartCommand(signatures)) == kUpdateDone &&
               Command(BuildImageSizeCommand(size, signatures)) == kUpdateDone &&
               Command(BuildPrepareCommand()) == kUpdateDone;
    }
    std::uint8_t SendBlock(const std::vector<std::uint8_t>& image, std::size_t n) {
        std::vector<std::uint8_t> block(kFirmwareBlockSize, 0);
        const std::size_t from = n * kFirmwareBlockSize;
        std::copy(image.begin() + static_cast<std::ptrdiff_t>(from),
                  image.begin() + static_cast<std::ptrdiff_t>(std::min(image.size(), from + kFirmwareBlockSize)),
                  block.begin());
        const std::uint8_t header =
            Command(BuildBlockHeaderCommand(static_cast<std::uint16_t>(n), BlockChecksum(block)));
        return header == kUpdateDone ? Command(BuildBlockDataCommand(block)) : header;
    }
    // The whole update; the status of the finish.
    std::uint8_t Update(const std::vector<std::uint8_t>& image) {
        if (!Begin(static_cast<std::uint32_t>(image.size()))) return 0;
        for (std::size_t n = 0; n < BlockCount(static_cast<std::uint32_t>(image.size())); ++n)
            if (SendBlock(image, n) != kUpdateDone) return 0;
        return Command(BuildFinishCommand());
    }
    ReportBytes BuildBlockHeaderCommand(std::uint16_t block, std::uint16_t checksum) {
        return kelm::BuildBlockHeaderCommand(block, checksum, kDefaultUpdateSignatures);
    }
};

TEST_F(UpdateModeTest, AnUpdateInstallsTheVersionOfTheImageHeaderOrKeepsTheOldOne) {
    EXPECT_EQ(Update(MakeTestImage(2049, 120)), kUpdateDone);
    EXPECT_FALSE(keyboard.InUpdateMode());
    EXPECT_EQ(Read(ReportId::FirmwareReport), (ReportBytes{0x0F, 0x06, 120, kDefaultLoaderVersion, 0, 0}));
    EXPECT_TRUE(keyboard.TakeMemoryChanged());

    EXPECT_EQ(Update(MakeTestImage(1024, std::nullopt)), kUpdateDone);
    EXPECT_EQ(keyboard.Memory().FWVersion, 120);
    EXPECT_EQ(Update({}), kUpdateDone) << "an empty image: start, size 0, prepare and finish";
    EXPECT_EQ(keyboard.Memory().FWVersion, 120);
}

TEST_F(UpdateModeTest, TheBootLoaderAnswersOnlyTheUpdateReportsAndTheVersionsUntilAnUpdateSucceeds) {
    ASSERT_TRUE(Begin(2048));
    EXPECT_TRUE(keyboard.InUpdateMode());
    EXPECT_EQ(Read(ReportId::FirmwareReport), (ReportBytes{0x0F, 0x06, 0, kDefaultLoaderVersion, 0, 0}));
    EXPECT_FALSE(keyboard.GetFeature(static_cast<std::uint8_t>(ReportId::ProfileReport), 3).has_value());
    EXPECT_FALSE(keyboard.SetFeature(BuildProfileReport(2)));
    EXPECT_FALSE(keyboard.ChangeProfile(2).ok);
    EXPECT_FALSE(keyboard.PressKey(1).ok);
    // Power lost halfway: the loader is still there and starts over.
    keyboard.Unplug();
    keyboard.Plug();
    EXPECT_TRUE(keyboard.InUpdateMode());
    EXPECT_EQ(SendBlock(MakeTestImage(2048, 7), 0), kUpdateFailed) << "a block before a new start";
    EXPECT_EQ(Update(MakeTestImage(2048, 7)), kUpdateDone);
    EXPECT_EQ(Read(ReportId::ProfileReport), (ReportBytes{0x05, 0x03, 0x00}));
    EXPECT_EQ(keyboard.Memory().FWVersion, 7);
}

struct Refusal {
    const char* what;
    std::function<std::uint8_t()> step;  // the status of the step refused
};

TEST_F(UpdateModeTest, CommandsOutOfOrderOrWithWrongSignaturesSumsOrSizesAreRefused) {
    const UpdateSignatures other{{1, 2, 3, 4, 5, 6, 7, 8}, {9, 9, 9, 9}};
    const std::vector<std::uint8_t> image = MakeTestImage(3000, 9);
    const std::vector<Refusal> refusals = {
        {"start signature", [&] { return Command(BuildStartCommand(other)); }},
        {"size signature",
         [&] {
             Command(BuildStartCommand(kDefaultUpdateSignatures));
             return Command(BuildImageSizeCommand(3000, other));
         }},
        {"size above 204800",
         [&] {
             Command(BuildStartCommand(kDefaultUpdateSignatures));
             return Command(BuildImageSizeCommand(204801, kDefaultUpdateSignatures));
         }},
        {"prepare before size",
         [&] {
             Command(BuildStartCommand(kDefaultUpdateSignatures));
             return Command(BuildPrepareCommand());
         }},
        {"block out of order",
         [&] {
             Begin(3000);
             return Command(BuildBlockHeaderCommand(1, 0));
         }},
        {"checksum mismatch",
         [&] {
             Begin(3000);
             std::vector<std::uint8_t> block(image.begin(), image.begin() + 1024);
             Command(BuildBlockHeaderCommand(0, static_cast<std::uint16_t>(BlockChecksum(block) + 1)));
             return Command(BuildBlockDataCommand(block));
         }},
        {"finish before the last block",
         [&] {
             Begin(3000);
             SendBlock(image, 0);
             return Command(BuildFinishCommand());
         }},
        {"short report",
         [&] {
             return Command(ReportBytes{kUpdateCommandReportId, 0x00});
         }},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.what);
        keyboard.Log().Clear();
        EXPECT_EQ(refusal.step(), kUpdateFailed);
        EXPECT_NE(keyboard.Log().Format().find("set 1B"), std::string::npos);
        // Whatever went wrong, a whole update from a new start succeeds.
        EXPECT_EQ(Update(MakeTestImage(3000, 9)), kUpdateDone);
    }
    // A refused start never left the firmware.
    EXPECT_EQ(Command(BuildStartCommand(other)), kUpdateFailed);
    EXPECT_FALSE(keyboard.InUpdateMode());
}

TEST_F(UpdateModeTest, FaultsRepeatFailABlockOrUnplugAfterBlocks) {
    const std::vector<std::uint8_t> image = MakeTestImage(3000, 9);
    keyboard.Faults().RepeatCommands(2);
    EXPECT_EQ(Command(BuildStartCommand(kDefaultUpdateSignatures)), kUpdateRepeat);
    EXPECT_EQ(Command(BuildStartCommand(kDefaultUpdateSignatures)), kUpdateRepeat);
    EXPECT_FALSE(keyboard.InUpdateMode()) << "a command answered \"repeat\" is not carried out";
    EXPECT_EQ(Update(image), kUpdateDone);

    keyboard.Faults().FailBlock(1);
    ASSERT_TRUE(Begin(3000));
    EXPECT_EQ(SendBlock(image, 0), kUpdateDone);
    EXPECT_EQ(SendBlock(image, 1), kUpdateFailed);
    EXPECT_TRUE(keyboard.InUpdateMode());

    keyboard.Faults().UnplugAfterBlocks(2);
    ASSERT_TRUE(Begin(3000));
    EXPECT_EQ(SendBlock(image, 0), kUpdateDone);
    EXPECT_TRUE(keyboard.SetFeature(BuildBlockHeaderCommand(1, BlockChecksum(std::span(image).subspan(1024, 1024)))));
    EXPECT_EQ(UpdateStatus(), kUpdateDone);
    EXPECT_TRUE(keyboard.SetFeature(BuildBlockDataCommand(std::span(image).subspan(1024, 1024))));
    EXPECT_FALSE(keyboard.Plugged()) << "unplugged once the second block was taken";
    EXPECT_FALSE(keyboard.GetFeature(kUpdateStatusReportId, 3).has_value());
    keyboard.Plug();
    EXPECT_TRUE(keyboard.InUpdateMode());
}

TEST_F(UpdateModeTest, BusyTimingAndTheBusyFaultApplyToUpdateCommands) {
    keyboard.SetBusyTiming({2, 0});
    keyboard.Faults().BusyFor(1);
    ASSERT_TRUE(keyboard.SetFeature(BuildStartCommand(kDefaultUpdateSignatures)));
    EXPECT_EQ(UpdateStatus(), kUpdateBusy);
    EXPECT_EQ(UpdateStatus(), kUpdateBusy);
    EXPECT_EQ(UpdateStatus(), kUpdateBusy);
    EXPECT_EQ(UpdateStatus(), kUpdateDone);
}

TEST_F(UpdateModeTest, OtherSignaturesAreTakenOnceConfiguredAndOursNoLonger) {
    const UpdateSignatures other{{1, 2, 3, 4, 5, 6, 7, 8}, {9, 8, 7, 6}};
    keyboard.SetUpdateSignatures(other);
    EXPECT_EQ(Command(BuildStartCommand(kDefaultUpdateSignatures)), kUpdateFailed);
    EXPECT_TRUE(Begin(10, other));
}

TEST_F(UpdateModeTest, TheStateFileKeepsTheUpdateMode) {
    ASSERT_TRUE(Begin(10));
    const std::string text = FormatKeyboardState(keyboard.Memory());
    EXPECT_NE(text.find("UpdateMode=1"), std::string::npos);
    kelm::test::TempFolder folder;
    ASSERT_TRUE(SaveKeyboardState(folder / "state.ini", keyboard.Memory()));
    StateLoad load = LoadKeyboardState(folder / "state.ini", kDefaultFirmware);
    ASSERT_TRUE(load.memory) << load.error;
    EmuKeyboard restarted(clock, std::move(load.memory));
    EXPECT_TRUE(restarted.InUpdateMode());
    EXPECT_EQ(restarted.GetFeature(kFirmware, 6), (ReportBytes{0x0F, 0x06, 0, kDefaultLoaderVersion, 0, 0}));
}

}  // namespace
}  // namespace kelm::emu::test
