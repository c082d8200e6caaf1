// The Pact monitor's blocks as this monitor sees them: opened, never
// created, each with its mutex, and copied whole under that mutex.
//
// Opening: the mutex first (missing: the block is not open), then the
// block. A block that nobody holds is simply absent; one that is held but
// cannot be mapped (too small, or the mapping refused) is reported with the
// message box "Could not map view of file." and stays closed.
#pragma once

#include <cstddef>
#include <string_view>

#include "monitor/MonitorPorts.h"
#include "platform/NamedMutex.h"
#include "platform/SharedMapping.h"

namespace kelm {

class ForeignBlock {
public:
    ForeignBlock(std::string_view blockName, std::string_view mutexName, std::size_t size)
        : blockName_(blockName), mutexName_(mutexName), size_(size) {}

    bool Open(IMessageBox& messageBox);
    void Close();
    bool IsOpen() const { return static_cast<bool>(block_); }
    // Whole copies under the mutex; false when the block is not open or the
    // mutex cannot be had. A read under a mutex whose holder died counts as
    // failed; a write replaces whatever that holder left.
    bool Read(void* out);
    bool Write(const void* in);

private:
    std::string_view blockName_;
    std::string_view mutexName_;
    std::size_t size_;
    NamedMutex mutex_;
    SharedMapping block_;
};

class PactBlocks final : public IPactBlocks {
public:
    explicit PactBlocks(IMessageBox& messageBox);

    bool OpenStatus() override;
    bool OpenAmbient() override;
    void CloseStatus() override { status_.Close(); }
    void CloseAmbient() override { ambient_.Close(); }
    bool ReadStatus(PactStatusRecord& record) override { return status_.Read(&record); }
    bool WriteStatus(const PactStatusRecord& record) override { return status_.Write(&record); }
    bool ReadAmbient(AmbientLightRecord& record) override { return ambient_.Read(&record); }

private:
    IMessageBox& messageBox_;
    ForeignBlock status_;
    ForeignBlock ambient_;
};

}  // namespace kelm
