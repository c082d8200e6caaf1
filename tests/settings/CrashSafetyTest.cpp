// Saves that fail or are cut short at any system call leave the previous
// file whole; interrupted and partial transfers still move every byte; an
// unreadable file is never replaced.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <thread>

#include "platform/FileIo.h"
#include "platform/SysCalls.h"
#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "settings/MacroLibrary.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsStore.h"
#include "tests/settings/FilledProfile.h"
#include "tests/support/SameBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempProgramFolder.h"

namespace kelm {
namespace {

using test::FolderEntries;
using test::ReadFile;
using test::WriteFile;

// Real calls with faults switched on per test. Writes are counted only on
// the temporary files a save creates.
class FaultySysCalls : public SysCalls {
public:
    int Open(const char* path, int flags, mode_t mode) override {
        log.push_back(std::string("open ") + path);
        if (interruptOpens > 0) {
            --interruptOpens;
            errno = EINTR;
            return -1;
        }
        const int fd = SysCalls::Open(path, flags, mode);
        if (fd >= 0) paths[fd] = path;
        return fd;
    }
    int MkTemp(char* pathTemplate) override {
        const int fd = SysCalls::MkTemp(pathTemplate);
        if (fd >= 0) {
            paths[fd] = pathTemplate;
            temps.insert(fd);
        }
        return fd;
    }
    ssize_t Read(int fd, void* buffer, std::size_t size) override {
        if (failReadsOf && paths[fd] == *failReadsOf) {
            errno = EIO;
            return -1;
        }
        if (interruptEveryOther && (++calls % 2 == 0)) {
            errno = EINTR;
            return -1;
        }
        if (maxChunk > 0) size = std::min(size, maxChunk);
        return SysCalls::Read(fd, buffer, size);
    }
    ssize_t Write(int fd, const void* buffer, std::size_t size) override {
        if (interruptEveryOther && (++calls % 2 == 0)) {
            errno = EINTR;
            return -1;
        }
        if (maxChunk > 0) size = std::min(size, maxChunk);
        if (temps.count(fd) != 0 && writeBudget) {
            if (*writeBudget == 0) {
                errno = ENOSPC;
                return -1;
            }
            size = std::min(size, *writeBudget);
            *writeBudget -= size;
        }
        const ssize_t n = SysCalls::Write(fd, buffer, size);
        if (n > 0 && temps.count(fd) != 0) {
            written += static_cast<std::size_t>(n);
            if (killAfter && written >= *killAfter) ::raise(SIGKILL);
        }
        return n;
    }
    int Fsync(int fd) override {
        log.push_back("fsync " + paths[fd]);
        if (failFsync) {
            errno = EIO;
            return -1;
        }
        return SysCalls::Fsync(fd);
    }
    int Fchmod(int fd, mode_t mode) override {
        if (failFchmod) {
            errno = EPERM;
            return -1;
        }
        return SysCalls::Fchmod(fd, mode);
    }
    int Close(int fd) override {
        const bool temp = temps.erase(fd) != 0;
        paths.erase(fd);
        const int rc = SysCalls::Close(fd);
        if (temp && failTempClose) {
            errno = EIO;
            return -1;
        }
        return rc;
    }
    int Rename(const char* from, const char* to) override {
        log.push_back(std::string("rename ") + from + " " + to);
        if (failRename) {
            errno = EXDEV;
            return -1;
        }
        return SysCalls::Rename(from, to);
    }

    // Faults.
    int interruptOpens = 0;
    bool interruptEveryOther = false;
    std::size_t maxChunk = 0;
    std::optional<std::size_t> writeBudget;
    std::optional<std::size_t> killAfter;
    std::optional<std::string> failReadsOf;
    bool failFsync = false;
    bool failTempClose = false;
    bool failRename = false;
    bool failFchmod = false;

    // Observations.
    std::vector<std::string> log;
    std::size_t written = 0;

private:
    std::map<int, std::string> paths;
    std::set<int> temps;
    unsigned calls = 0;
};

class CrashSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldProfile = std::make_unique<ProfileRecord>();
        newProfile = std::make_unique<ProfileRecord>();
        std::memset(oldProfile.get(), 0, sizeof(ProfileRecord));
        DefaultProfile(*oldProfile, 0);
        test::FillProfile(*newProfile, 9);
        ASSERT_TRUE(SaveProfile(*oldProfile, path));
        oldBytes = ReadFile(path);
        entriesBefore = FolderEntries(where.ConfigFolder());
    }
    // The save just failed: the old file is whole and nothing is left over.
    void ExpectOldFileIntact() {
        EXPECT_TRUE(ReadFile(path) == oldBytes);
        EXPECT_EQ(FolderEntries(where.ConfigFolder()), entriesBefore);
        auto loaded = std::make_unique<ProfileRecord>();
        std::memset(loaded.get(), 0, sizeof(ProfileRecord));
        LoadProfile(*loaded, path);
        EXPECT_TRUE(test::SameBytes(*loaded, *oldProfile));
    }
    std::string NewBytes() {
        const std::string other = folder.Root() + "/reference.vkp";
        EXPECT_TRUE(SaveProfile(*newProfile, other));
        return ReadFile(other);
    }

    test::TempProgramFolder folder;
    const StoreLocation& where = folder.Where();
    std::string path = where.ProfilePath(0);
    std::unique_ptr<ProfileRecord> oldProfile, newProfile;
    std::string oldBytes;
    std::set<std::string> entriesBefore;
    FaultySysCalls faults;
};

TEST_F(CrashSafetyTest, WriteFailingHalfWayKeepsTheOldFile) {
    faults.writeBudget = NewBytes().size() / 2;
    {
        ScopedSysCalls scoped(faults);
        EXPECT_FALSE(SaveProfile(*newProfile, path));
    }
    EXPECT_EQ(faults.written, NewBytes().size() / 2);
    ExpectOldFileIntact();
}

TEST_F(CrashSafetyTest, FailedFsyncKeepsTheOldFile) {
    faults.failFsync = true;
    {
        ScopedSysCalls scoped(faults);
        EXPECT_FALSE(SaveProfile(*newProfile, path));
    }
    ExpectOldFileIntact();
}

TEST_F(CrashSafetyTest, FailedCloseKeepsTheOldFile) {
    faults.failTempClose = true;
    {
        ScopedSysCalls scoped(faults);
        EXPECT_FALSE(SaveProfile(*newProfile, path));
    }
    ExpectOldFileIntact();
}

TEST_F(CrashSafetyTest, FailedRenameKeepsTheOldFile) {
    faults.failRename = true;
    {
        ScopedSysCalls scoped(faults);
        EXPECT_FALSE(SaveProfile(*newProfile, path));
    }
    ExpectOldFileIntact();
}

TEST_F(CrashSafetyTest, FileSystemWithoutPermissionsStillSaves) {
    faults.failFchmod = true;
    {
        ScopedSysCalls scoped(faults);
        ASSERT_TRUE(SaveProfile(*newProfile, path));
    }
    EXPECT_TRUE(ReadFile(path) == NewBytes());
    EXPECT_EQ(FolderEntries(where.ConfigFolder()), entriesBefore);
}

TEST_F(CrashSafetyTest, DataReachesTheDiskBeforeTheRenameAndTheFolderAfterIt) {
    {
        ScopedSysCalls scoped(faults);
        ASSERT_TRUE(SaveProfile(*newProfile, path));
    }
    const auto& log = faults.log;
    const auto rename =
        std::find_if(log.begin(), log.end(), [](const std::string& s) { return s.rfind("rename", 0) == 0; });
    ASSERT_NE(rename, log.end());
    const auto fileSync = std::find_if(log.begin(), rename, [](const std::string& s) {
        return s.rfind("fsync ", 0) == 0 && s.find("/.Default0.vkp.") != std::string::npos;
    });
    EXPECT_NE(fileSync, rename) << "no fsync of the new file before the rename";
    const std::string folderName = where.ConfigFolder().substr(0, where.ConfigFolder().size() - 1);
    EXPECT_NE(std::find(rename, log.end(), "fsync " + folderName), log.end()) << "folder not synced after rename";
    EXPECT_TRUE(ReadFile(path) == NewBytes());
}

TEST_F(CrashSafetyTest, InterruptedAndShortWritesProduceTheRightBytes) {
    faults.interruptEveryOther = true;
    faults.maxChunk = 7;
    {
        ScopedSysCalls scoped(faults);
        ASSERT_TRUE(SaveProfile(*newProfile, path));
    }
    EXPECT_TRUE(ReadFile(path) == NewBytes());
    EXPECT_EQ(FolderEntries(where.ConfigFolder()), entriesBefore);
}

TEST_F(CrashSafetyTest, InterruptedAndShortReadsLoadTheWholeFile) {
    ASSERT_TRUE(SaveProfile(*newProfile, path));
    faults.interruptEveryOther = true;
    faults.maxChunk = 3;
    faults.interruptOpens = 2;
    auto loaded = std::make_unique<ProfileRecord>();
    std::memset(loaded.get(), 0, sizeof(ProfileRecord));
    FileContents contents;
    {
        ScopedSysCalls scoped(faults);
        contents = ReadWholeFile(path);
        LoadProfile(*loaded, path);
    }
    EXPECT_EQ(contents.status, ReadStatus::Ok);
    EXPECT_EQ(contents.bytes, ReadFile(path));
    EXPECT_TRUE(test::SameBytes(*loaded, *newProfile));
}

TEST_F(CrashSafetyTest, UnreadableFileIsNeverOverwritten) {
    // Read when opened, but no longer when the save reads it again.
    IniFile openedBefore(path);
    openedBefore.WriteInt("Setting", "KBDelay", 2);
    faults.failReadsOf = path;
    {
        ScopedSysCalls scoped(faults);
        EXPECT_EQ(ReadWholeFile(path).status, ReadStatus::Failed);
        IniFile ini(path);
        EXPECT_FALSE(ini.Readable());
        ini.WriteInt("Setting", "KBDelay", 3);
        EXPECT_FALSE(ini.Save());
        EXPECT_FALSE(SaveProfile(*newProfile, path));
        EXPECT_FALSE(openedBefore.Save());
    }
    ExpectOldFileIntact();
}

TEST_F(CrashSafetyTest, UnreadableSlotFileSurvivesLoadAllAndSaveAll) {
    auto record = std::make_unique<SettingsRecord>();
    std::memset(record.get(), 0, sizeof *record);
    ClearSettings(*record);
    faults.failReadsOf = path;
    {
        ScopedSysCalls scoped(faults);
        LoadAll(*record, where);
        EXPECT_EQ(SaveAll(*record, where), 0);
    }
    EXPECT_TRUE(ReadFile(path) == oldBytes);
    EXPECT_TRUE(test::Exists(where.ProfilePath(1)));
}

TEST_F(CrashSafetyTest, UnreadableLibraryAndTimerFilesAreNotReplaced) {
    // Both are rewritten whole from what was loaded; a file that could not
    // be read loaded as empty, and replacing it would lose all it holds.
    MacroLibrary lib;
    lib.Sets.push_back({"Work", {}});
    ASSERT_TRUE(SaveMacroLibrary(lib, where));
    ASSERT_TRUE(SaveTimers({TimerRecord{60, "Tea"}}, where));
    const std::string libraryBytes = ReadFile(where.MacroLibraryPath());
    const std::string timerBytes = ReadFile(where.TimerPath());

    faults.failReadsOf = where.MacroLibraryPath();
    {
        ScopedSysCalls scoped(faults);
        MacroLibrary loaded;
        LoadMacroLibrary(loaded, where);
        EXPECT_TRUE(loaded.Sets.empty());
        loaded.Sets.push_back({"Fresh", {}});
        EXPECT_FALSE(SaveMacroLibrary(loaded, where));
    }
    faults.failReadsOf = where.TimerPath();
    {
        ScopedSysCalls scoped(faults);
        TimerList timers;
        LoadTimers(timers, where);
        EXPECT_TRUE(timers.empty());
        timers.push_back(TimerRecord{5, "Egg"});
        EXPECT_FALSE(SaveTimers(timers, where));
    }
    EXPECT_EQ(ReadFile(where.MacroLibraryPath()), libraryBytes);
    EXPECT_EQ(ReadFile(where.TimerPath()), timerBytes);
    EXPECT_EQ(FolderEntries(where.ConfigFolder()),
              (std::set<std::string>{"Default0.vkp", "Preset_sequence.dat", "Timer.ini"}));
}

TEST_F(CrashSafetyTest, UnreadableConfigIniIsNeverOverwritten) {
    const std::string config = where.ConfigPath();
    WriteFile(config, "[Setting]\r\nCurrentProfile=3\r\nFWVersion=115\r\n");
    auto record = std::make_unique<SettingsRecord>();
    std::memset(record.get(), 0, sizeof *record);
    DefaultSettings(*record);
    faults.failReadsOf = config;
    {
        ScopedSysCalls scoped(faults);
        EXPECT_EQ(SaveAll(*record, where), 0);
    }
    EXPECT_EQ(ReadFile(config), "[Setting]\r\nCurrentProfile=3\r\nFWVersion=115\r\n");
}

TEST_F(CrashSafetyTest, ExistingFileKeepsItsPermissionsAndNewFilesFollowTheUmask) {
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(SaveProfile(*newProfile, path));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    const mode_t old = ::umask(027);
    const std::string fresh = where.ConfigFolder() + "fresh.vkp";
    const bool saved = SaveProfile(*newProfile, fresh);
    ::umask(old);
    ASSERT_TRUE(saved);
    ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

mode_t UmaskOfProcess() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    return 0777;
}

TEST_F(CrashSafetyTest, SavingNewFilesNeverClearsTheProcessUmask) {
    // Files other threads create meanwhile must get the process's mask; a
    // save that reads the mask by setting it opens a window in which it is 0.
    if (UmaskOfProcess() == 0777) GTEST_SKIP() << "no Umask line in /proc/self/status";
    const mode_t old = ::umask(077);
    std::atomic<bool> done{false};
    std::atomic<int> clearedSeen{0};
    std::thread watcher([&] {
        while (!done.load())
            if (UmaskOfProcess() != 077) ++clearedSeen;
    });
    bool saved = true;
    for (int i = 0; i < 150 && saved; ++i) {
        const std::string fresh = where.ConfigFolder() + "fresh" + std::to_string(i) + ".ini";
        saved = ReplaceFileAtomically(fresh, "[A]\r\nk=1\r\n");
    }
    done = true;
    watcher.join();
    ::umask(old);
    ASSERT_TRUE(saved);
    EXPECT_EQ(clearedSeen.load(), 0);
    struct stat st {};
    ASSERT_EQ(::stat((where.ConfigFolder() + "fresh0.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST_F(CrashSafetyTest, LinkedSettingsFileStaysALink) {
    const std::string real = folder.Root() + "/dotfiles/Default0.vkp";
    std::filesystem::create_directories(folder.Root() + "/dotfiles");
    std::filesystem::rename(path, real);
    std::filesystem::create_symlink(real, path);
    ASSERT_TRUE(SaveProfile(*newProfile, path));
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_TRUE(ReadFile(real) == NewBytes());
    EXPECT_EQ(FolderEntries(folder.Root() + "/dotfiles"), std::set<std::string>{"Default0.vkp"});
}

TEST_F(CrashSafetyTest, ProcessKilledWhileWritingLeavesTheOldFile) {
    const std::size_t total = NewBytes().size();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        faults.killAfter = total / 2;
        faults.maxChunk = 4096;
        ScopedSysCalls scoped(faults);
        SaveProfile(*newProfile, path);
        ::_exit(3);  // the kill did not happen
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "child exited with " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGKILL);

    EXPECT_TRUE(ReadFile(path) == oldBytes);
    auto loaded = std::make_unique<ProfileRecord>();
    LoadProfile(*loaded, path);
    EXPECT_TRUE(test::SameBytes(*loaded, *oldProfile));
    // The killed save left its half-written temporary file beside the
    // slot file; it is never mistaken for the slot file itself.
    std::size_t partial = 0;
    for (const auto& e : std::filesystem::directory_iterator(where.ConfigFolder()))
        if (e.path().filename().string().rfind(".Default0.vkp.tmp-", 0) == 0) partial = e.file_size();
    EXPECT_GE(partial, total / 2);
    EXPECT_LT(partial, total);

    // The next save goes through and takes away what the killed one left,
    // its lock file too, but nothing that is not a temporary file of this
    // slot file.
    const std::set<std::string> neighbours = {".Default1.vkp.tmp-Ab12Cd", ".Default0.vkp.backup",
                                              ".Default0.vkp.tmp-Ab12C", "Default0.vkp.tmp-Ab12Cd"};
    for (const std::string& name : neighbours) WriteFile(where.ConfigFolder() + name, "keep");
    WriteFile(where.ConfigFolder() + ".Default0.vkp.tmp-zz9ZZ9", "an older crash");
    ASSERT_TRUE(SaveProfile(*newProfile, path));
    EXPECT_TRUE(ReadFile(path) == NewBytes());
    std::set<std::string> expected = entriesBefore;
    expected.insert(neighbours.begin(), neighbours.end());
    EXPECT_EQ(FolderEntries(where.ConfigFolder()), expected);
}

}  // namespace
}  // namespace kelm
