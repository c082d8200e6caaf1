// The update engine against a scripted keyboard on a virtual clock: the
// reports byte for byte, the status poll's wait table and its bounds, the
// command retry, failures at every step, and the image and its package.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <numeric>

#include "flash/FirmwareImage.h"
#include "flash/FlashFolders.h"
#include "flash/UpdateEngine.h"
#include "keyboard/Clock.h"
#include "tests/support/TempFolder.h"

namespace kelm {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Status answers, in order: a status byte, or one of these.
constexpr int kReadFails = -1;
constexpr int kWrongId = -2;  // an answer cut short or garbled: not a status report

class ScriptedKeyboard final : public IFeatureDevice {
public:
    bool SetFeature(std::span<const std::uint8_t> report) override {
        sent.emplace_back(report.begin(), report.end());
        return !refuse || !refuse(sent.size() - 1, sent.back());
    }
    bool GetFeature(std::span<std::uint8_t> buffer) override {
        if (buffer[0] == 0x0F) {
            if (!loader) return false;
            const Bytes answer{0x0F, 0x06, 115, *loader, 0, 0};
            std::copy(answer.begin(), answer.end(), buffer.begin());
            return buffer.size() == 6;
        }
        ++statusReads;
        const int answer = statuses.empty() ? 1 : statuses.front();
        if (!statuses.empty()) statuses.pop_front();
        if (answer == kReadFails) return false;
        if (answer == kWrongId) {
            buffer[0] = 0;
            return true;
        }
        buffer[1] = static_cast<std::uint8_t>(answer);
        return true;
    }

    std::vector<Bytes> sent;
    std::deque<int> statuses;  // 1 (done) once used up
    std::function<bool(std::size_t index, const Bytes&)> refuse;
    std::optional<std::uint8_t> loader;
    int statusReads = 0;
};

class RecordedProgress final : public IUpdateProgress {
public:
    void BlockWritten(std::size_t block) override { blocks.push_back(block); }
    std::vector<std::size_t> blocks;
};

class UpdateEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock.SetSleepHook([this](std::int64_t total) {
            sleeps.push_back(total - lastTotal);
            lastTotal = total;
        });
    }
    UpdateResult Run(std::size_t size) {
        image = MakeTestImage(size, std::nullopt);
        return engine.RunUpdate(FirmwareImage::FromBytes(image), progress);
    }
    std::int64_t Slept() const { return clock.SleptMs(); }

    ScriptedKeyboard keyboard;
    VirtualClock clock;
    std::vector<std::int64_t> sleeps;
    std::int64_t lastTotal = 0;
    UpdateEngine engine{keyboard, clock, kDefaultUpdateSignatures};
    RecordedProgress progress;
    Bytes image;
};

// The reports as the keyboard's update mode defines them, written out here
// byte by byte rather than through the builders under test.
Bytes Command(std::uint8_t command, const std::vector<std::pair<std::size_t, Bytes>>& fields = {}) {
    Bytes report(1026, 0);
    report[0] = 0x1B;
    report[1] = command;
    for (const auto& [at, bytes] : fields)
        std::copy(bytes.begin(), bytes.end(), report.begin() + static_cast<long>(at));
    return report;
}
const Bytes kStart = {'K', 'E', 'L', 'M', '-', 'D', 'F', 'U'};
const Bytes kSignature = {'V', 'L', 'D', 'N'};

TEST_F(UpdateEngineTest, ImagesOfEverySizeGoOutByteForByteWithZeroFillAndChecksums) {
    for (const std::size_t size : {0u, 1u, 1024u, 2049u, 204800u}) {
        SCOPED_TRACE(size);
        keyboard = ScriptedKeyboard{};
        progress.blocks.clear();
        const std::int64_t sleptBefore = Slept();
        ASSERT_TRUE(Run(size).ok);

        const std::size_t blocks = (size + 1023) / 1024;
        std::vector<Bytes> expected = {
            Command(0x00, {{4, kStart}}),
            Command(0x01, {{4,
                            {static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8),
                             static_cast<std::uint8_t>(size >> 16), 0}},
                           {8, kSignature}}),
            Command(0x02, {{4, {0xEC}}}),
        };
        for (std::size_t n = 0; n < blocks; ++n) {
            Bytes block(1024, 0);
            for (std::size_t i = 0; i < 1024 && n * 1024 + i < size; ++i) block[i] = image[n * 1024 + i];
            const unsigned sum = std::accumulate(block.begin(), block.end(), 0u) & 0xFFFF;
            expected.push_back(Command(0x03, {{4,
                                               {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                                static_cast<std::uint8_t>(sum), static_cast<std::uint8_t>(sum >> 8)}},
                                              {8, kSignature}}));
            expected.push_back(Command(0x04, {{2, block}}));
        }
        expected.push_back(Command(0x0F));
        ASSERT_EQ(keyboard.sent.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(keyboard.sent[i], expected[i]) << "report " << i;
        EXPECT_EQ(keyboard.statusReads, static_cast<int>(expected.size())) << "one poll per command";
        EXPECT_EQ(progress.blocks.size(), blocks);
        // 500 ms before the start's and the finish's polls, 500 ms after
        // start, size and prepare, and the first 100 ms try of every poll.
        EXPECT_EQ(Slept() - sleptBefore, 2900 + 200 * static_cast<std::int64_t>(blocks));
    }
    EXPECT_TRUE(std::all_of(sleeps.begin(), sleeps.end(), [](std::int64_t ms) { return ms == 100; }))
        << "every wait is made of 100 ms sleeps";
}

TEST_F(UpdateEngineTest, TheLastBlockOf2049BytesHoldsItsByteAndZerosAndItsChecksumIsThatByte) {
    const FirmwareImage loaded = FirmwareImage::FromBytes(MakeTestImage(2049, std::nullopt));
    ASSERT_EQ(loaded.Blocks(), 3u);
    const auto last = loaded.Block(2);
    EXPECT_TRUE(std::all_of(last.begin() + 1, last.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(loaded.Checksum(2), last[0]);
    EXPECT_EQ(FirmwareImage::FromBytes(Bytes(3072, 1)).Blocks(), 3u);
}

struct PollCase {
    const char* what;
    std::vector<int> answers;
    bool done;
    std::optional<int> status;
    int tries;
    std::int64_t waitedMs;
};

TEST_F(UpdateEngineTest, TheStatusPollFollowsItsWaitTableAndItsEnds) {
    const std::vector<PollCase> cases = {
        {"done at once", {1}, true, 1, 1, 100},
        {"busy twice", {3, 3, 1}, true, 1, 3, 400},
        {"a failed read while busy goes on", {3, kReadFails, 1}, true, 1, 3, 400},
        {"a garbled answer while busy goes on", {3, kWrongId, 1}, true, 1, 3, 400},
        {"a failed first read ends it", {kReadFails}, false, std::nullopt, 1, 100},
        {"a garbled first answer ends it", {kWrongId, 1}, false, std::nullopt, 1, 100},
        {"failure", {2}, false, 2, 1, 100},
        {"busy, then failure", {3, 3, 3, 5}, false, 5, 4, 800},
        {"repeat ends the poll", {4}, false, 4, 1, 100},
        {"20 busy answers", std::vector<int>(25, 3), false, 3, 20, 22900},
        {"done on the 20th try",
         [] {
             std::vector<int> answers(19, 3);
             answers.push_back(1);
             return answers;
         }(),
         true, 1, 20, 22900},
    };
    for (const PollCase& c : cases) {
        SCOPED_TRACE(c.what);
        keyboard.statuses.assign(c.answers.begin(), c.answers.end());
        const std::int64_t before = Slept();
        const StatusPoll poll = engine.WaitStatus();
        EXPECT_EQ(poll.done, c.done);
        EXPECT_EQ(poll.status ? std::optional<int>(*poll.status) : std::nullopt, c.status);
        EXPECT_EQ(poll.tries, c.tries);
        EXPECT_EQ(Slept() - before, c.waitedMs);
    }
    const std::vector<int> table = {100, 100, 200, 400, 600, 1500, 500, 1500, 1500, 1500};
    for (int t = 0; t < static_cast<int>(table.size()); ++t) EXPECT_EQ(WaitBeforeStatusTry(t), table[t]);
}

TEST_F(UpdateEngineTest, ARepeatedCommandIsSentAgainUpTo50TimesThenThePassFails) {
    keyboard.statuses = {4, 4, 1};
    ASSERT_TRUE(Run(1).ok);
    ASSERT_GE(keyboard.sent.size(), 3u);
    EXPECT_EQ(keyboard.sent[0], keyboard.sent[1]);
    EXPECT_EQ(keyboard.sent[1], keyboard.sent[2]);
    EXPECT_EQ(Slept(), 3 * 600 + 1700 + 200 + 600) << "the start's 500 ms pause comes with every sending";

    keyboard = ScriptedKeyboard{};
    keyboard.statuses.assign(1 + 51, 4);
    keyboard.statuses.front() = 1;  // start done; image size repeated for ever
    const UpdateResult result = Run(1);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(keyboard.sent.size(), 1u + 51u) << "the image size sent once and repeated 50 times";
    EXPECT_NE(result.message.find("image size"), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("50 times"), std::string::npos) << result.message;
}

struct FailureCase {
    const char* what;
    std::function<void(ScriptedKeyboard&)> script;
    std::size_t reportsSent;     // then nothing more
    std::size_t blocksReported;  // progress messages
    const char* message;
};

TEST_F(UpdateEngineTest, AFailureAtAnyStepEndsThePassAtOnceAndSaysWhere) {
    // A 3-block image: start, size, prepare, 3 x (header, data), finish.
    const auto refuseReport = [](std::size_t at) {
        return [at](ScriptedKeyboard& k) { k.refuse = [at](std::size_t i, const Bytes&) { return i == at; }; };
    };
    const auto statusAt = [](std::size_t command, std::vector<int> answers) {
        return [command, answers](ScriptedKeyboard& k) {
            k.statuses.assign(command, 1);
            k.statuses.insert(k.statuses.end(), answers.begin(), answers.end());
        };
    };
    const std::vector<FailureCase> cases = {
        {"start not taken", refuseReport(0), 1, 0, "start: the keyboard did not take the command"},
        {"start unanswered", statusAt(0, {kReadFails}), 1, 0, "start: the keyboard's status could not be read"},
        {"size failed", statusAt(1, {2}), 2, 0, "image size: the keyboard answered status 2 (failure)"},
        {"prepare busy 20 times", statusAt(2, std::vector<int>(20, 3)), 3, 0,
         "prepare: the keyboard was still busy after 20 status reads"},
        {"first block's header", statusAt(3, {6}), 4, 0, "block 1 of 3, header: the keyboard answered status 6"},
        {"middle block's data", statusAt(6, {2}), 7, 1, "block 2 of 3, data"},
        {"last block's data, keyboard gone", refuseReport(8), 9, 2, "block 3 of 3, data: the keyboard did not take"},
        {"finish refused", statusAt(9, {2}), 10, 3, "finish: the keyboard answered status 2"},
        {"finish not taken", refuseReport(9), 10, 3, "finish: the keyboard did not take"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.what);
        keyboard = ScriptedKeyboard{};
        progress.blocks.clear();
        c.script(keyboard);
        const UpdateResult result = Run(2049);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(keyboard.sent.size(), c.reportsSent);
        EXPECT_EQ(progress.blocks.size(), c.blocksReported);
        EXPECT_NE(result.message.find(c.message), std::string::npos) << result.message;
    }
}

TEST_F(UpdateEngineTest, AFinishLeftUnconfirmedByARestartingKeyboardStillCountsTheWrittenBlocks) {
    keyboard.statuses = {1, 1, 1, 1, 1, kReadFails};
    const UpdateResult result = Run(1024);
    EXPECT_TRUE(result.ok);
    EXPECT_NE(result.message.find("without confirming"), std::string::npos) << result.message;
}

TEST_F(UpdateEngineTest, TheLoaderVersionIsByte3AndShownWithAPointWithin100To500) {
    keyboard.loader = 103;
    EXPECT_EQ(engine.ReadLoaderVersion(), 103);
    keyboard.loader.reset();
    EXPECT_EQ(engine.ReadLoaderVersion(), std::nullopt);
    const std::vector<std::pair<std::optional<int>, std::string>> texts = {
        {std::nullopt, "N/A"}, {0, "N/A"},    {99, "N/A"},   {100, "1.00"},
        {103, "1.03"},         {250, "2.50"}, {500, "5.00"}, {501, "N/A"}};
    for (const auto& [version, text] : texts) EXPECT_EQ(LoaderVersionText(version), text);
}

// ---- the package ----

TEST(FirmwarePackage, TheNameIsFoundInTheProgramFolderOrUsedAsItStandsAndOddNamesAreRefused) {
    const std::string folder = "/opt/kelm/FlashPack/";
    std::string error;
    EXPECT_EQ(ImagePath(folder, "Kelm_V120.bin", &error), "/opt/kelm/FlashPack/Kelm_V120.bin");
    EXPECT_EQ(ImagePath(folder, "/srv/firmware/Kelm.bin", &error), "/srv/firmware/Kelm.bin");
    EXPECT_EQ(ImagePath(folder, "images/Kelm.bin", &error), "images/Kelm.bin");
    EXPECT_EQ(ImagePath(folder, std::string(259, 'a'), &error), folder + std::string(259, 'a'));
    for (const std::string& bad : {std::string(), std::string("C:\\VELDAN\\Kelm.bin"), std::string(260, 'a')}) {
        error.clear();
        EXPECT_FALSE(ImagePath(folder, bad, &error).has_value()) << bad;
        EXPECT_NE(error.find("[Firmware] Name"), std::string::npos) << error;
    }
}

TEST(FirmwarePackage, KelmWatchIsFoundInTheFolderAboveFlashPack) {
    EXPECT_EQ(FlashFolders::ForProgramFolder("/opt/kelm/FlashPack/").installation, "/opt/kelm/");
    EXPECT_EQ(FlashFolders::ForProgramFolder("/FlashPack/").installation, "/");
}

TEST(FirmwarePackage, ImagesAreLoadedWholeAndThoseAbove204800BytesRefused) {
    test::TempFolder folder;
    const std::string program = folder.Path() + "/";
    test::WriteFile(folder / "config.ini", "[Firmware]\r\nName=fw.bin\r\n");
    const Bytes bytes = MakeTestImage(204800, 9);
    test::WriteFile(folder / "fw.bin", std::string(bytes.begin(), bytes.end()));
    std::string error;
    const auto config = ReadFlashPackConfig(program, &error);
    ASSERT_TRUE(config) << error;
    EXPECT_EQ(config->signatures, kDefaultUpdateSignatures);
    const auto image = LoadImage(program, *config, &error);
    ASSERT_TRUE(image) << error;
    EXPECT_EQ(image->Size(), 204800u);
    EXPECT_EQ(image->Blocks(), 200u);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 1024, image->Block(0).begin()));

    test::WriteFile(folder / "fw.bin", std::string(204801, 'x'));
    EXPECT_FALSE(LoadImage(program, *config, &error));
    EXPECT_NE(error.find("at most 204800 bytes"), std::string::npos) << error;
    std::filesystem::remove(folder / "fw.bin");
    EXPECT_FALSE(LoadImage(program, *config, &error));
    EXPECT_NE(error.find("cannot be opened"), std::string::npos) << error;
}

TEST(FirmwarePackage, SignaturesCanBeGivenAndDamagedOnesFailTheRead) {
    test::TempFolder folder;
    const std::string program = folder.Path() + "/";
    test::WriteFile(folder / "config.ini",
                    "[Firmware]\r\nName=fw.bin\r\nStartSignature=0102030405060708\r\nCommandSignature=a1B2c3D4\r\n");
    std::string error;
    const auto config = ReadFlashPackConfig(program, &error);
    ASSERT_TRUE(config) << error;
    EXPECT_EQ(config->signatures, (UpdateSignatures{{1, 2, 3, 4, 5, 6, 7, 8}, {0xA1, 0xB2, 0xC3, 0xD4}}));
    for (const char* bad :
         {"CommandSignature=A1B2C3", "CommandSignature=A1B2C3D4E5", "StartSignature=01020304050607GG"}) {
        test::WriteFile(folder / "config.ini", std::string("[Firmware]\r\nName=fw.bin\r\n") + bad + "\r\n");
        EXPECT_FALSE(ReadFlashPackConfig(program, &error)) << bad;
        EXPECT_NE(error.find("hex digits"), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace kelm
