// The real probes of kelmctl doctor, each a thin look at the system.
#pragma once

#include <string>

#include "platform/DeviceLibrary.h"
#include "tools/kelmctl/CommandLine.h"
#include "tools/kelmctl/Doctor.h"

namespace kelm::ctl {

class SystemProbes final : public IDoctorProbes {
public:
    explicit SystemProbes(std::string programFolder) : programFolder_(std::move(programFolder)) {}

    std::string Environment(const char* name) override;
    bool DeviceLibraryLoads(std::string& error) override;
    bool KeyboardAnswers() override;
    std::optional<HidKeyboard> FindHidKeyboard(std::string& error) override;
    bool CanReadWrite(const std::string& path) override;
    bool FolderWritable(const std::string& path) override;
    bool StatusNotifierWatcher() override;
    bool X11SystemTray() override;
    bool CanberraLoads() override;
    bool AlsaPlaybackDevice() override;
    bool SessionBus() override;
    bool Logind() override;
    bool MonitorRunning() override;

private:
    std::string programFolder_;
    DeviceLibrary library_;
};

int RunDoctor(const CommandArgs& args, CommandIo& io);

}  // namespace kelm::ctl
