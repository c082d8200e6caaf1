#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "platform/NamedMutex.h"
#include "platform/ObjectPaths.h"
#include "platform/SharedMapping.h"
#include "tests/support/InChild.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempRuntime.h"

namespace kelm {
namespace {

constexpr const char* kBlock = "VELDAN_Kelm_Keyboard_Share_Data";
constexpr const char* kMutex = "Veldan_Kelm_Keyboard_Mutex_Object";
constexpr std::size_t kBlockSize = 744640;

struct FileFacts {
    bool exists = false;
    mode_t mode = 0;
    off_t size = 0;
};

FileFacts Facts(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return {true, st.st_mode & 07777, st.st_size};
}

using test::InChild;

class SharedObjects : public ::testing::Test {
protected:
    test::TempRuntime runtime_;
};

TEST_F(SharedObjects, SecondCreateReportsAlreadyExistsAndSharesTheBytes) {
    SharedMapping first = SharedMapping::Create(kBlock, kBlockSize);
    ASSERT_TRUE(first);
    EXPECT_FALSE(first.AlreadyExisted());
    EXPECT_EQ(first.Size(), kBlockSize);
    const char* bytes = static_cast<const char*>(first.Data());
    EXPECT_EQ(std::count(bytes, bytes + kBlockSize, '\0'), static_cast<long>(kBlockSize));

    std::memcpy(first.Data(), "record", 6);
    SharedMapping second = SharedMapping::Create(kBlock, kBlockSize);
    ASSERT_TRUE(second);
    EXPECT_TRUE(second.AlreadyExisted());
    EXPECT_EQ(std::memcmp(second.Data(), "record", 6), 0);
}

TEST_F(SharedObjects, FilesAreExactlyTheBlockAndOwnerOnly) {
    const mode_t oldMask = ::umask(0);
    SharedMapping block = SharedMapping::Create(kBlock, kBlockSize);
    NamedMutex mutex = NamedMutex::Create(kMutex);
    ::umask(oldMask);
    ASSERT_TRUE(block);
    ASSERT_TRUE(mutex);
    const FileFacts blockFile = Facts(runtime_.Runtime() + "/shm/" + kBlock);
    EXPECT_EQ(blockFile.mode, 0600u);
    EXPECT_EQ(blockFile.size, static_cast<off_t>(kBlockSize));
    EXPECT_EQ(Facts(runtime_.Runtime() + "/shm/" + kMutex + ".mutex").mode, 0600u);
    EXPECT_EQ(Facts(runtime_.Runtime() + "/shm").mode, 0700u);
}

TEST_F(SharedObjects, OpenOnlyNeedsSomeoneHoldingTheBlock) {
    EXPECT_FALSE(SharedMapping::Open("VELDAN_Pact_Active_Status_Share_Data", 20));
    EXPECT_FALSE(Facts(SharedObjectPath("VELDAN_Pact_Active_Status_Share_Data")).exists);

    SharedMapping owner = SharedMapping::Create("VELDAN_Pact_Active_Status_Share_Data", 20);
    ASSERT_TRUE(owner);
    SharedMapping reader = SharedMapping::Open("VELDAN_Pact_Active_Status_Share_Data", 20);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(reader.AlreadyExisted());
    EXPECT_FALSE(SharedMapping::Open("VELDAN_Pact_Active_Status_Share_Data", 21));  // past its end
}

TEST_F(SharedObjects, ObjectLivesWhileAnyoneHoldsItAndTheLastRemovesIt) {
    const std::string path = SharedObjectPath(kBlock);
    auto owner = std::make_unique<SharedMapping>(SharedMapping::Create(kBlock, 64));
    auto reader = std::make_unique<SharedMapping>(SharedMapping::Open(kBlock, 64));
    ASSERT_TRUE(*owner && *reader);
    owner.reset();
    EXPECT_TRUE(Facts(path).exists);
    EXPECT_TRUE(SharedMapping::Create(kBlock, 64).AlreadyExisted());
    reader.reset();
    EXPECT_FALSE(Facts(path).exists);
    EXPECT_FALSE(SharedMapping::Create(kBlock, 64).AlreadyExisted());
}

TEST_F(SharedObjects, StaleFileIsRecreatedZeroFilled) {
    const std::string path = SharedObjectPath(kBlock);
    test::WriteFile(path, "left by a crashed owner");
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    EXPECT_FALSE(SharedMapping::Open(kBlock, 8));
    EXPECT_FALSE(Facts(path).exists);

    test::WriteFile(path, "left by a crashed owner");
    SharedMapping block = SharedMapping::Create(kBlock, 4096);
    ASSERT_TRUE(block);
    EXPECT_FALSE(block.AlreadyExisted());
    const FileFacts facts = Facts(path);
    EXPECT_EQ(facts.size, 4096);
    EXPECT_EQ(facts.mode, 0600u);
    const char* bytes = static_cast<const char*>(block.Data());
    EXPECT_EQ(std::count(bytes, bytes + 4096, '\0'), 4096);
}

TEST_F(SharedObjects, TwoProcessesSeeTheSameBytes) {
    SharedMapping block = SharedMapping::Create(kBlock, kBlockSize);
    ASSERT_TRUE(block);
    char* bytes = static_cast<char*>(block.Data());
    std::memcpy(bytes + kBlockSize - 5, "hello", 5);
    const int child = InChild([] {
        SharedMapping mine = SharedMapping::Open(kBlock, kBlockSize);
        if (!mine) return 1;
        char* view = static_cast<char*>(mine.Data());
        if (std::memcmp(view + kBlockSize - 5, "hello", 5) != 0) return 2;
        std::memcpy(view, "world", 5);
        return 0;
    });
    EXPECT_EQ(child, 0);
    EXPECT_EQ(std::memcmp(bytes, "world", 5), 0);
}

TEST_F(SharedObjects, NamesAreFileNamesOrRefused) {
    const SharedMapping odd = SharedMapping::Create("Global/Odd", 8);
    EXPECT_TRUE(odd);
    EXPECT_TRUE(Facts(runtime_.Runtime() + "/shm/Global_Odd").exists);
    EXPECT_FALSE(SharedMapping::Create("..", 8));
    EXPECT_FALSE(SharedMapping::Create("", 8));
    EXPECT_FALSE(SharedMapping::Create("Empty", 0));
}

TEST_F(SharedObjects, MutexCreateTwiceReportsAlreadyExistsAndOpenNeedsAHolder) {
    EXPECT_FALSE(NamedMutex::Open(kMutex));
    NamedMutex first = NamedMutex::Create(kMutex);
    ASSERT_TRUE(first);
    EXPECT_FALSE(first.AlreadyExisted());
    EXPECT_TRUE(NamedMutex::Create(kMutex).AlreadyExisted());
    EXPECT_TRUE(NamedMutex::Open(kMutex));
    EXPECT_TRUE(Facts(SharedObjectPath(kMutex) + ".mutex").exists);
}

TEST_F(SharedObjects, AbandonedMutexIsAcquiredWithOwnerDied) {
    NamedMutex mutex = NamedMutex::Create(kMutex);
    ASSERT_TRUE(mutex);
    const int child = InChild([] {
        NamedMutex mine = NamedMutex::Open(kMutex);
        if (!mine || mine.Lock() != LockResult::Acquired) return 1;
        ::_exit(0);  // ends holding it, as a crash would
    });
    ASSERT_EQ(child, 0);
    {
        NamedMutexLock lock(mutex);
        EXPECT_EQ(lock.Result(), LockResult::OwnerDied);
        EXPECT_TRUE(lock.Held());
    }
    NamedMutexLock again(mutex);
    EXPECT_EQ(again.Result(), LockResult::Acquired);
}

TEST_F(SharedObjects, MutexIsRecursiveForItsOwner) {
    NamedMutex mutex = NamedMutex::Create(kMutex);
    ASSERT_TRUE(mutex);
    NamedMutexLock outer(mutex);
    NamedMutexLock inner(mutex);
    EXPECT_EQ(inner.Result(), LockResult::Acquired);
}

TEST_F(SharedObjects, MutexExcludesOtherProcesses) {
    NamedMutex mutex = NamedMutex::Create(kMutex);
    ASSERT_TRUE(mutex);
    SharedMapping counter = SharedMapping::Create(kBlock, sizeof(int));
    ASSERT_TRUE(counter);
    constexpr int kRounds = 20000;
    auto count = [&] {
        NamedMutex mine = NamedMutex::Open(kMutex);
        SharedMapping block = SharedMapping::Open(kBlock, sizeof(int));
        if (!mine || !block) return 1;
        auto* value = static_cast<volatile int*>(block.Data());
        for (int i = 0; i < kRounds; ++i) {
            NamedMutexLock lock(mine);
            *value = *value + 1;
        }
        return 0;
    };
    const pid_t child = ::fork();
    if (child == 0) ::_exit(count());
    EXPECT_EQ(count(), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(*static_cast<volatile int*>(counter.Data()), 2 * kRounds);
}

}  // namespace
}  // namespace kelm
