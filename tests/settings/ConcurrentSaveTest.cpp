// Two programs saving the same settings file at the same moment: each save
// rewrites the whole file from what it read, and neither may undo what the
// other saved in between.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/FileIo.h"
#include "platform/SysCalls.h"
#include "settings/ConfigFile.h"
#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "settings/SettingsStore.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempProgramFolder.h"

namespace kelm {
namespace {

using namespace std::chrono_literals;
using test::FolderEntries;
using test::ReadFile;
using test::WriteFile;

// A folder in memory where there is one: on a disk file system every rename
// over a file starts its write-back, and the run would measure the disk.
const char* FastTemporaryFolder() {
    return std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::getenv("TMPDIR");
}

class ConcurrentSaveTest : public ::testing::Test {
protected:
    // Another program's save of one key, from open to rename.
    void TheirSave(const char* key, int value) {
        IniFile theirs(config);
        theirs.WriteInt("Setting", key, value);
        ASSERT_TRUE(theirs.Save());
    }
    // Nothing is left beside the file once every save is over.
    void ExpectNoLeftovers() {
        EXPECT_EQ(FolderEntries(where.programFolder), (std::set<std::string>{"config", "config.ini"}));
    }

    const test::ScopedEnv inMemory{"TMPDIR", FastTemporaryFolder()};  // before the folder it places
    test::TempProgramFolder folder;
    const StoreLocation& where = folder.Where();
    const std::string config = where.ConfigPath();
};

// What happens between our open and our last save; theirs(key, value) is
// another program's save of one key.
using Steps = void (*)(IniFile& ours, const std::function<void(const char*, int)>& theirs);

TEST_F(ConcurrentSaveTest, OurChangesGoOntoTheFileAsAnotherProgramLeftIt) {
    const struct {
        const char* what;
        Steps steps;
        const char* expected;
    } cases[] = {
        {"a key only we changed",
         [](IniFile& ours, auto& theirs) {
             theirs("Device", 1);
             ours.WriteInt("Setting", "CurrentProfile", 3);
         },
         "[Setting]\r\nCurrentProfile=3\r\nDevice=1\r\n"},
        {"a key we wrote as we read it is no change of ours",
         [](IniFile& ours, auto& theirs) {
             theirs("Device", 1);
             ours.WriteInt("Setting", "Device", 0);
             ours.WriteInt("Setting", "CurrentProfile", 3);
         },
         "[Setting]\r\nCurrentProfile=3\r\nDevice=1\r\n"},
        {"a key both changed: the later save wins",
         [](IniFile& ours, auto& theirs) {
             theirs("Device", 1);
             ours.WriteInt("Setting", "Device", 5);
         },
         "[Setting]\r\nCurrentProfile=1\r\nDevice=5\r\n"},
        {"keys and sections we add",
         [](IniFile& ours, auto& theirs) {
             theirs("MouseType", 2);
             ours.WriteString("Profile1", "FileName", "Race");
             ours.WriteInt("Setting", "FWVersion", 115);
         },
         "[Setting]\r\nCurrentProfile=1\r\nDevice=0\r\nMouseType=2\r\nFWVersion=115\r\n\r\n[Profile1]\r\nFileName="
         "Race\r\n"},
        {"a second save of the same object",
         [](IniFile& ours, auto& theirs) {
             ours.WriteInt("Setting", "CurrentProfile", 3);
             ASSERT_TRUE(ours.Save());
             theirs("Device", 1);
             ours.WriteInt("Setting", "MouseType", 2);
         },
         "[Setting]\r\nCurrentProfile=3\r\nDevice=1\r\nMouseType=2\r\n"},
        {"a cleared document replaces the file",
         [](IniFile& ours, auto& theirs) {
             theirs("Device", 1);
             ours.Clear();
             ours.WriteInt("Setting", "CurrentProfile", 3);
         },
         "[Setting]\r\nCurrentProfile=3\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(config, "[Setting]\r\nCurrentProfile=1\r\nDevice=0\r\n");
        IniFile ours(config);
        c.steps(ours, [&](const char* key, int value) { TheirSave(key, value); });
        ASSERT_TRUE(ours.Save());
        EXPECT_EQ(ReadFile(config), c.expected);
    }
    // A document given whole (kelmctl's new profile file) is written whole.
    TheirSave("Device", 1);
    IniFile given(config, "");
    given.WriteInt("Setting", "CurrentProfile", 3);
    ASSERT_TRUE(given.Save());
    EXPECT_EQ(ReadFile(config), "[Setting]\r\nCurrentProfile=3\r\n");
    ExpectNoLeftovers();
}

// 10,000 saves in all. Durability is not what is tested here, and two
// flushes per save would make the run a matter of the disk.
constexpr int kRoundsPerWriter = 5000;

class NoFlushCalls : public SysCalls {
public:
    int Fsync(int) override { return 0; }
};

// Counts key up from what the file holds, one save per step, as KelmWatch
// and KelmSetup each write the keys they own; starts when go closes.
int CountUp(const std::string& path, const char* key, int go) {
    char byte;
    while (::read(go, &byte, 1) < 0 && errno == EINTR) {
    }
    NoFlushCalls calls;
    ScopedSysCalls scoped(calls);
    for (int i = 0; i < kRoundsPerWriter; ++i) {
        IniFile ini(path);
        ini.WriteInt("Setting", key, ini.ReadInt("Setting", key, 0) + 1);
        if (!ini.Save()) return 1;
    }
    return 0;
}

TEST_F(ConcurrentSaveTest, TwoWritersOfOneFileLoseNothing) {
    const std::string foreign = "; kept by hand\r\n[Other]\r\nNote = \"spaced \"\r\n";
    WriteFile(config, foreign);

    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    pid_t writers[2];
    const char* keys[2] = {"Device", "CurrentProfile"};
    for (int w = 0; w < 2; ++w) {
        writers[w] = ::fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0) {
            ::close(go[1]);
            ::_exit(CountUp(config, keys[w], go[0]));
        }
    }
    ::close(go[0]);
    ::close(go[1]);
    for (pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save failed";
    }

    const IniFile after(config);
    for (const char* key : keys) EXPECT_EQ(after.ReadInt("Setting", key, 0), kRoundsPerWriter) << key;
    EXPECT_EQ(ReadFile(config).substr(0, foreign.size()), foreign);
    ExpectNoLeftovers();
}

// Real calls on a clock that moves only by the pauses asked for.
class VirtualTimeCalls : public SysCalls {
public:
    std::chrono::steady_clock::time_point Now() override { return now; }
    void Pause(std::chrono::microseconds span) override {
        now += span;
        ++pauses;
    }
    std::chrono::milliseconds Elapsed() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(now - std::chrono::steady_clock::time_point{});
    }
    std::chrono::steady_clock::time_point now{};
    int pauses = 0;
};

TEST_F(ConcurrentSaveTest, AWriterThatKeepsTheLockFailsOurSaveInTimeAndKeepsItsTemporaryFile) {
    const std::string before = "[Setting]\r\nCurrentProfile=1\r\n";
    WriteFile(config, before);
    // Another writer in the middle of its save; two opens of a lock file
    // exclude each other even within one process.
    auto holder = std::make_unique<FileUpdate>(config);
    ASSERT_TRUE(holder->Locked());
    const std::string itsTemporary = where.programFolder + ".config.ini.tmp-Ab12Cd";
    WriteFile(itsTemporary, "[Setting]\r\nCurr");

    VirtualTimeCalls clock;
    auto record = std::make_unique<SettingsRecord>();
    std::memset(record.get(), 0, sizeof *record);
    DefaultSettings(*record);
    {
        ScopedSysCalls scoped(clock);
        EXPECT_FALSE(WriteDeviceState(where, 1));
        EXPECT_EQ(errno, EWOULDBLOCK);
        EXPECT_GE(clock.Elapsed(), kSaveLockPatience);
        EXPECT_LE(clock.Elapsed(), kSaveLockPatience + 5ms);
        EXPECT_GT(clock.pauses, 100);  // tried all along, not once at the end
        // The store's own report carries it; the other files are saved.
        EXPECT_EQ(SaveAll(*record, where), 0);
    }
    EXPECT_EQ(ReadFile(config), before);
    EXPECT_EQ(ReadFile(itsTemporary), "[Setting]\r\nCurr");
    EXPECT_TRUE(test::Exists(where.ProfilePath(4)));

    // The holder dies before its rename: its temporary file is now stale, and
    // the next save of the file takes it away.
    holder.reset();
    ASSERT_TRUE(WriteDeviceState(where, 1));
    EXPECT_EQ(ReadFile(config), before + "Device=1\r\n");
    ExpectNoLeftovers();
}

}  // namespace
}  // namespace kelm
