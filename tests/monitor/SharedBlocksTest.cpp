// The shared blocks on the real platform layer, in a private runtime folder:
// the settings block the monitor creates, and the Pact monitor's blocks it
// only opens.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "MonitorFakes.h"
#include "monitor/MonitorIds.h"
#include "monitor/PactBlocks.h"
#include "monitor/SettingsBlock.h"
#include "platform/ObjectPaths.h"
#include "tests/support/TempRuntime.h"

namespace kelm::test {
namespace {

// Runs body in a child process and returns its exit code.
template <typename Body>
int InChild(Body body) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body());
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// A holder of the mutex that ends without letting go, as a crash would: it
// ends still mapping the mutex, or its death would go unnoticed.
void AbandonMutex(std::string_view name) {
    ASSERT_EQ(InChild([name] {
                  NamedMutex mutex = NamedMutex::Open(name);
                  if (!mutex || mutex.Lock() != LockResult::Acquired) return 1;
                  ::_exit(0);
              }),
              0);
}

class SettingsBlockTest : public ::testing::Test {
protected:
    void SetUp() override {
        DefaultSettings(*record);
        ASSERT_EQ(block.CreateMutex(), MutexCreation::Created);
        ASSERT_TRUE(block.CreateBlock());
    }
    SettingsRecord* Shared() { return static_cast<SettingsRecord*>(view.Data()); }

    TempRuntime runtime;
    SettingsBlock block;
    std::unique_ptr<SettingsRecord> record = std::make_unique<SettingsRecord>();
    SharedMapping view;
};

TEST_F(SettingsBlockTest, CopiesTheWholeRecordBothWays) {
    record->Profiles[3].Keys[57].QuickLaunchPath[259] = 'x';
    record->Flags.CurrentProfileChanged = 1;
    block.PublishRecord(*record);
    view = SharedMapping::Open(kSettingsBlockName, sizeof(SettingsRecord));
    ASSERT_TRUE(view);
    EXPECT_EQ(std::memcmp(Shared(), record.get(), sizeof(SettingsRecord)), 0);

    Shared()->Profiles[4].LtTimeout = 30;
    auto copy = std::make_unique<SettingsRecord>(*record);
    EXPECT_TRUE(block.CopyToRecord(*copy));
    EXPECT_EQ(copy->Profiles[4].LtTimeout, 30);
    EXPECT_EQ(std::memcmp(Shared(), copy.get(), sizeof(SettingsRecord)), 0);
}

TEST_F(SettingsBlockTest, AnAbandonedMutexMakesTheMonitorRewriteTheBlock) {
    block.PublishRecord(*record);
    view = SharedMapping::Open(kSettingsBlockName, sizeof(SettingsRecord));
    ASSERT_TRUE(view);
    std::memset(Shared(), 0x5A, sizeof(SettingsRecord) / 2);  // half a copy
    AbandonMutex(kSettingsBlockMutexName);

    auto copy = std::make_unique<SettingsRecord>(*record);
    EXPECT_FALSE(block.CopyToRecord(*copy));
    EXPECT_EQ(std::memcmp(copy.get(), record.get(), sizeof(SettingsRecord)), 0);
    EXPECT_EQ(std::memcmp(Shared(), record.get(), sizeof(SettingsRecord)), 0);
    // The mutex works normally afterwards.
    EXPECT_TRUE(block.CopyToRecord(*copy));
}

TEST_F(SettingsBlockTest, ASecondMonitorFindsTheMutexTaken) {
    SettingsBlock second;
    EXPECT_EQ(second.CreateMutex(), MutexCreation::AlreadyExisted);
}

TEST_F(SettingsBlockTest, WithoutABlockEveryCopyIsSkipped) {
    block.CloseBlock();
    EXPECT_FALSE(block.CopyToRecord(*record));
    block.PublishRecord(*record);
    EXPECT_FALSE(SharedMapping::Open(kSettingsBlockName, sizeof(SettingsRecord)));
}

TEST_F(SettingsBlockTest, AnotherUserCannotOpenTheBlockOrItsMutex) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a child as another user";
    const std::string path = SharedObjectPath(kSettingsBlockName);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    const int code = InChild([] {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
            ::setresuid(65534, 65534, 65534) != 0)
            return 9;
        const bool opened = static_cast<bool>(SharedMapping::Open(kSettingsBlockName, sizeof(SettingsRecord)));
        const bool locked = static_cast<bool>(NamedMutex::Open(kSettingsBlockMutexName));
        return (opened ? 1 : 0) | (locked ? 2 : 0);
    });
    EXPECT_EQ(code, 0);
}

// ---- the Pact monitor's blocks ----

class PactBlocksTest : public ::testing::Test {
protected:
    // What the Pact monitor creates.
    void CreatePactObjects(std::size_t statusSize = sizeof(PactStatusRecord)) {
        statusMutex = NamedMutex::Create(kPactStatusMutexName);
        status = SharedMapping::Create(kPactStatusBlockName, statusSize);
        ambientMutex = NamedMutex::Create(kAmbientMutexName);
        ambient = SharedMapping::Create(kAmbientBlockName, sizeof(AmbientLightRecord));
    }

    TempRuntime runtime;
    CallLog log;
    FakeMessageBox messageBox{log};
    PactBlocks blocks{messageBox};
    NamedMutex statusMutex, ambientMutex;
    SharedMapping status, ambient;
};

TEST_F(PactBlocksTest, NothingToOpenWithoutThePactMonitor) {
    EXPECT_FALSE(blocks.OpenStatus());
    EXPECT_FALSE(blocks.OpenAmbient());
    PactStatusRecord record{};
    EXPECT_FALSE(blocks.ReadStatus(record));
    EXPECT_FALSE(blocks.WriteStatus(record));
    EXPECT_TRUE(log.Entries().empty());
    // The monitor never creates them.
    EXPECT_FALSE(SharedMapping::Open(kPactStatusBlockName, sizeof(PactStatusRecord)));
}

TEST_F(PactBlocksTest, AMutexWithoutItsBlockIsSilentlyNotOpen) {
    statusMutex = NamedMutex::Create(kPactStatusMutexName);
    EXPECT_FALSE(blocks.OpenStatus());
    EXPECT_TRUE(log.Entries().empty());
}

TEST_F(PactBlocksTest, ABlockThatCannotBeMappedIsReported) {
    CreatePactObjects(8);  // too small for the record
    EXPECT_FALSE(blocks.OpenStatus());
    EXPECT_EQ(log.Entries(), std::vector<std::string>{"MessageBox Could not map view of file."});
}

TEST_F(PactBlocksTest, RecordsGoBothWaysUnderTheMutex) {
    CreatePactObjects();
    ASSERT_TRUE(blocks.OpenStatus());
    ASSERT_TRUE(blocks.OpenAmbient());
    const PactStatusRecord out{0x0201, 0xFFFF, 1, 255, 3};
    EXPECT_TRUE(blocks.WriteStatus(out));
    PactStatusRecord seen{};
    std::memcpy(&seen, status.Data(), sizeof seen);
    EXPECT_EQ(seen, out);

    const AmbientLightRecord light{0x11223344, 5};
    std::memcpy(ambient.Data(), &light, sizeof light);
    AmbientLightRecord read{};
    EXPECT_TRUE(blocks.ReadAmbient(read));
    EXPECT_EQ(read, light);

    // Opening again is harmless; closing lets go.
    EXPECT_TRUE(blocks.OpenStatus());
    blocks.CloseStatus();
    EXPECT_FALSE(blocks.ReadStatus(seen));
}

TEST_F(PactBlocksTest, AReadUnderAnAbandonedMutexFailsAndAWriteRepairs) {
    CreatePactObjects();
    ASSERT_TRUE(blocks.OpenStatus());
    AbandonMutex(kPactStatusMutexName);
    PactStatusRecord record{};
    EXPECT_FALSE(blocks.ReadStatus(record));
    AbandonMutex(kPactStatusMutexName);
    EXPECT_TRUE(blocks.WriteStatus({0x0201, 0xFFFF, 0, 0, 0}));
    EXPECT_TRUE(blocks.ReadStatus(record));
    EXPECT_EQ(record, (PactStatusRecord{0x0201, 0xFFFF, 0, 0, 0}));
}

}  // namespace
}  // namespace kelm::test
