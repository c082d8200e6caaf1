#include "monitor/PactBlocks.h"

#include <unistd.h>

#include <cstring>

#include "monitor/MonitorIds.h"
#include "platform/ObjectPaths.h"

namespace kelm {

namespace {

constexpr std::string_view kMapViewFailed = "Could not map view of file.";

// After a failed open: a block that nobody holds has no file (a stale one
// was removed by the attempt), so a file that is still there belongs to a
// holder whose block could not be mapped.
bool HeldByAnother(std::string_view name) {
    const std::string path = SharedObjectPath(name);
    return !path.empty() && ::access(path.c_str(), F_OK) == 0;
}

}  // namespace

bool ForeignBlock::Open(IMessageBox& messageBox) {
    Close();
    mutex_ = NamedMutex::Open(mutexName_);
    if (!mutex_) return false;
    block_ = SharedMapping::Open(blockName_, size_);
    if (!block_) {
        if (HeldByAnother(blockName_)) messageBox.Show(kMapViewFailed);
        return false;
    }
    return true;
}

void ForeignBlock::Close() {
    block_ = SharedMapping();
    mutex_ = NamedMutex();
}

bool ForeignBlock::Read(void* out) {
    if (!block_) return false;
    const NamedMutexLock lock(mutex_);
    if (lock.Result() != LockResult::Acquired) return false;
    std::memcpy(out, block_.Data(), size_);
    return true;
}

bool ForeignBlock::Write(const void* in) {
    if (!block_) return false;
    const NamedMutexLock lock(mutex_);
    if (!lock.Held()) return false;
    std::memcpy(block_.Data(), in, size_);
    return true;
}

PactBlocks::PactBlocks(IMessageBox& messageBox)
    : messageBox_(messageBox),
      status_(kPactStatusBlockName, kPactStatusMutexName, sizeof(PactStatusRecord)),
      ambient_(kAmbientBlockName, kAmbientMutexName, sizeof(AmbientLightRecord)) {}

bool PactBlocks::OpenStatus() { return status_.Open(messageBox_); }

bool PactBlocks::OpenAmbient() { return ambient_.Open(messageBox_); }

}  // namespace kelm
