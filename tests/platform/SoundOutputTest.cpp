// Sounds played for real: libcanberra's ALSA output into ALSA's file plugin
// in a throw-away HOME, each sound's samples into a file of its own (OUT,
// OUT.0001, ... in the order the sounds started). ALSA's null device takes
// samples as fast as they come, so a sound is kept playing by its wave file
// instead: a pipe that the test fills, which the player reads as it plays.
// A sound's samples reach its file when its player thread closes the
// output, so the test waits for the player threads to end before it looks.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "monitor/FeedbackSounds.h"
#include "platform/sound/SoundPlayer.h"
#include "tests/monitor/Eventually.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {
namespace {
// A 16-bit mono PCM wave file of samples that no other sound of the test
// has at the same place: seed tells the sounds apart.
struct Wave {
    std::string samples;  // little-endian, as they reach the output
    std::string file;
};

Wave MakeWave(std::size_t sampleCount, std::uint16_t seed) {
    Wave wave;
    for (std::size_t i = 0; i < sampleCount; ++i) {
        const auto value = static_cast<std::uint16_t>(seed * 7919u + i * 13u);
        wave.samples += static_cast<char>(value & 0xFF);
        wave.samples += static_cast<char>(value >> 8);
    }
    auto le32 = [](std::uint32_t v) {
        return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                           static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
    };
    auto le16 = [](std::uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; };
    const std::uint32_t rate = 22050;
    const auto size = static_cast<std::uint32_t>(wave.samples.size());
    wave.file = "RIFF" + le32(36 + size) + "WAVE" + "fmt " + le32(16) + le16(1) + le16(1) + le32(rate) +
                le32(rate * 2) + le16(2) + le16(16) + "data" + le32(size) + wave.samples;
    return wave;
}

class SoundOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder_ / "home");
        std::filesystem::create_directories(folder_ / "out");
        WriteFile(folder_ / "home/.asoundrc", "pcm.!default {\n  type file\n  slave.pcm \"null\"\n  file \"" +
                                                  (folder_ / "out/OUT") +
                                                  "\"\n  format \"raw\"\n  truncate false\n}\n");
        CanberraSoundPlayer probePlayer("kelm-test");
        const Wave probe = MakeWave(100, 99);
        WriteFile(folder_ / "probe.wav", probe.file);
        const int threads = Threads();
        if (!probePlayer.Play(folder_ / "probe.wav")) GTEST_SKIP() << "libcanberra cannot play through ALSA here";
        ASSERT_EQ(Played(threads), std::vector<std::string>{probe.samples});
    }

    static int Threads() {
        return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                              std::filesystem::directory_iterator()));
    }

    // What every sound played, in the order they started, once the process
    // is back to `threads` threads (every sound has ended); the output files
    // are then cleared for the next sounds.
    std::vector<std::string> Played(int threads) {
        EXPECT_TRUE(Eventually([&] { return Threads() <= threads; }, 10000)) << "a sound does not end";
        std::vector<std::string> played;
        for (int index = 0; index < 1000; ++index) {
            std::string suffix;
            if (index > 0) suffix = "." + std::string(4 - std::to_string(index).size(), '0') + std::to_string(index);
            const std::string path = folder_ / ("out/OUT" + suffix);
            if (!Exists(path)) break;
            played.push_back(ReadFile(path));
            std::filesystem::remove(path);
        }
        return played;
    }

    // A wave file that plays while the test feeds it: the header and the
    // first `given` bytes of samples go in at once; Finish offers the rest,
    // for as long as the player goes on reading, and ends the file.
    class FedWave {
    public:
        FedWave(const std::string& path, const Wave& wave, std::size_t given) : path_(path) {
            ::mkfifo(path.c_str(), 0600);
            writer_ = std::thread([this, wave, given] {
                // A player that stops reading closes the pipe: the write
                // then fails instead of ending the test.
                sigset_t pipeSignal;
                sigemptyset(&pipeSignal);
                sigaddset(&pipeSignal, SIGPIPE);
                pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
                const int fd = ::open(path_.c_str(), O_WRONLY);
                const std::size_t headEnd = wave.file.size() - wave.samples.size() + given;
                Write(fd, std::string_view(wave.file).substr(0, headEnd));
                written_.set_value();
                finishing_.wait();
                Write(fd, std::string_view(wave.file).substr(headEnd));
                if (fd >= 0) ::close(fd);
                done_ = true;
            });
        }
        // A player that never opened the file, or stopped reading it, leaves
        // the writer waiting: what it writes is read here until it ends.
        ~FedWave() {
            Finish();
            const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
            char buffer[4096];
            while (!done_) {
                if (fd < 0 || ::read(fd, buffer, sizeof buffer) <= 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            writer_.join();
            if (fd >= 0) ::close(fd);
        }
        static void Write(int fd, std::string_view bytes) {
            for (std::size_t at = 0; fd >= 0 && at < bytes.size();) {
                const ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
                if (n <= 0) return;
                at += static_cast<std::size_t>(n);
            }
        }
        // Blocks until the pipe has taken every given byte: the player has
        // read all but what a pipe holds.
        void WaitUntilRead() { writtenFuture_.wait(); }
        void Finish() {
            if (!finished_) finish_.set_value();
            finished_ = true;
        }

    private:
        std::string path_;
        std::promise<void> written_;
        std::shared_future<void> writtenFuture_ = written_.get_future().share();
        std::promise<void> finish_;
        std::shared_future<void> finishing_ = finish_.get_future().share();
        bool finished_ = false;
        std::atomic<bool> done_{false};
        std::thread writer_;
    };

    TempFolder folder_;
    ScopedEnv home_{"HOME", (folder_ / "home").c_str()};
    ScopedEnv driver_{"CANBERRA_DRIVER", "alsa"};
};

constexpr std::size_t kGiven = 256 * 1024;
constexpr std::size_t kPipeHolds = 64 * 1024;
// What the player reads at a time, with its file buffer.
constexpr std::size_t kPiece = 16 * 1024 + 4096;

TEST_F(SoundOutputTest, ANewSoundCutsTheOnePlayingShortAndPlaysWhole) {
    const Wave longSound = MakeWave(22050 * 20, 1);  // twenty seconds
    const Wave shortSound = MakeWave(11025, 2);
    WriteFile(folder_ / "short.wav", shortSound.file);
    std::vector<std::string> played;
    {
        // Counted before the feeding thread starts: it ends too.
        const int threads = Threads();
        FedWave fed(folder_ / "long.wav", longSound, kGiven);
        CanberraSoundPlayer player("kelm-test");
        ASSERT_TRUE(player.Play(folder_ / "long.wav"));
        fed.WaitUntilRead();
        ASSERT_TRUE(player.Play(folder_ / "short.wav"));
        fed.Finish();
        played = Played(threads);
    }
    ASSERT_EQ(played.size(), 2u);
    // The long sound played what it was given before the short one came,
    // and at most the one piece it was reading then.
    EXPECT_GE(played[0].size(), kGiven - kPipeHolds - kPiece);
    EXPECT_LE(played[0].size(), kGiven + kPiece) << "the long sound was not cut short";
    EXPECT_TRUE(longSound.samples.starts_with(played[0])) << "the long sound's samples were changed";
    EXPECT_EQ(played[1], shortSound.samples);
}

TEST_F(SoundOutputTest, StopEndsTheSound) {
    const Wave longSound = MakeWave(22050 * 20, 3);
    std::vector<std::string> played;
    {
        const int threads = Threads();
        FedWave fed(folder_ / "long.wav", longSound, kGiven);
        CanberraSoundPlayer player("kelm-test");
        player.Stop();  // nothing playing: harmless
        ASSERT_TRUE(player.Play(folder_ / "long.wav"));
        fed.WaitUntilRead();
        player.Stop();
        fed.Finish();
        played = Played(threads);
    }
    ASSERT_EQ(played.size(), 1u);
    EXPECT_LE(played[0].size(), kGiven + kPiece) << "the sound did not stop";
    EXPECT_TRUE(longSound.samples.starts_with(played[0]));
}

// The feedback sounds on the real player: the file of the number, from the
// folder of the level.
TEST_F(SoundOutputTest, AFeedbackSoundPlaysTheFileOfItsLevelFolder) {
    const std::string program = folder_ / "program/";
    std::vector<Wave> go;
    for (std::uint16_t level = 0; level <= 4; ++level) {
        go.push_back(MakeWave(3000, static_cast<std::uint16_t>(10 + level)));
        WriteFile(program + "Wave/Volume-" + std::to_string(level) + "/go.wav", go.back().file);
    }
    const Wave stopped = MakeWave(2000, 20);
    WriteFile(program + "Wave/Volume-4/timer_stopped.wav", stopped.file);
    WriteFile(program + "Wave/Volume-3/timer_stopped.wav", std::string("RIFF\x10\0\0\0WAVEjunk", 16));

    struct Case {
        int number;
        int soundVolume;
        std::vector<std::string> played;
    };
    const Case cases[] = {
        {0, 0, {go[0].samples}},
        {0, 3, {go[3].samples}},
        {0, 4, {go[4].samples}},
        {0, 5, {go[2].samples}},
        {0, -1, {go[2].samples}},
        {18, 4, {stopped.samples}},
        {18, 1, {}},  // missing in that folder: silence
        {18, 3, {}},  // not a wave file: silence
        {7, 4, {}},   // no file for the number
    };
    CanberraSoundPlayer player("kelm-test");
    FeedbackSounds sounds(player, program);
    for (const Case& c : cases) {
        const int threads = Threads();
        sounds.PlayFeedbackSound(c.number, c.soundVolume);
        EXPECT_EQ(Played(threads), c.played) << c.number << " at " << c.soundVolume;
    }
}

}  // namespace
}  // namespace kelm::test
