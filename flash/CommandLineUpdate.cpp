#include "flash/CommandLineUpdate.h"

#include <sys/signalfd.h>
#include <unistd.h>

#include <ctime>
#include <ostream>

#include "flash/FlashIds.h"
#include "flash/UpdateDevice.h"
#include "flash/UpdateWorker.h"
#include "platform/EventLoop.h"
#include "platform/KelmWindowAdapter.h"
#include "platform/UniqueFd.h"

namespace kelm {

namespace {

// The worker's messages, into the loop of the thread that runs it.
class LoopWindow final : public IUpdateWindow {
public:
    explicit LoopWindow(KelmWindowAdapter& adapter) : window_(adapter.Window()) {}
    void PostMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override {
        window_->post(window_, msg, wParam, lParam);
    }

private:
    KelmWindow* window_;
};

// One pass with its progress lines on a loop of its own; the worker has
// stopped (the pass ended) and devbridge is released when this returns.
bool RunPass(const FlashFolders& folders, const FlashPackConfig& config, FirmwareImage image,
             const sigset_t& stopSignals, std::ostream& out, std::ostream& err) {
    auto loop = EventLoop::Create();
    if (!loop) {
        err << "KelmFlash: cannot create the event loop; nothing was sent\n";
        return false;
    }
    const std::size_t blocks = image.Blocks();
    bool ok = false;
    KelmWindowAdapter adapter(*loop, [&](std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
        if (msg == MSG_FLASH_PROGRESS) {
            out << "block " << wParam + 1 << "/" << blocks << std::endl;
        } else if (msg == MSG_FLASH_RESULT) {
            ok = lParam == 1;
            loop->Quit();
        }
    });
    std::string error;
    const auto device = UpdateDevice::Open(folders, adapter.Window(), &error);
    if (!device) {
        err << "KelmFlash: " << error << "; nothing was sent\n";
        return false;
    }
    if (!device->KeyboardOpen()) {
        err << "KelmFlash: no keyboard found (" << DeviceSettingText() << "); nothing was sent\n";
        return false;
    }
    SystemClock clock;
    UpdateEngine engine(device->Feature(), clock, config.signatures);
    out << "KelmFlash: DFU V" << LoaderVersionText(engine.ReadLoaderVersion()) << std::endl;

    const UniqueFd signals(::signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK));
    loop->Watch(signals.Get(), [&] {
        signalfd_siginfo info{};
        while (::read(signals.Get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        }
        out << "KelmFlash: the update runs to its end; stopping it now could leave the keyboard without firmware"
            << std::endl;
    });
    LoopWindow window(adapter);
    UpdateWorker worker(engine, window);
    worker.StartPass(std::move(image));
    loop->Run();
    worker.Stop();
    const std::optional<UpdateResult> result = worker.LastResult();
    out << "KelmFlash: update " << (ok ? "succeeded: " : "failed: ")
        << (result ? result->message : std::string("the pass did not run")) << std::endl;
    return ok;
}

}  // namespace

int RunCommandLineUpdate(const FlashFolders& folders, const sigset_t& stopSignals, std::ostream& out,
                         std::ostream& err) {
    std::string error;
    const auto config = ReadFlashPackConfig(folders.program, &error);
    std::optional<FirmwareImage> image;
    if (config) image = LoadImage(folders.program, *config, &error);
    if (!image) {
        err << "KelmFlash: " << error << "; nothing was sent\n";
        return 1;
    }
    out << "KelmFlash: firmware image " << config->imageName << " (" << image->Size() << " bytes, " << image->Blocks()
        << " blocks)" << std::endl;

    if (MonitorRunning()) {
        out << "KelmFlash: closing KelmWatch" << std::endl;
        const MonitorClose closed = CloseMonitor([&stopSignals](int ms) {
            const timespec wait{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
            return ::sigtimedwait(&stopSignals, nullptr, &wait) > 0;
        });
        if (closed == MonitorClose::StillThere) {
            err << "KelmFlash: KelmWatch did not close within " << kMonitorCloseWaitMs / 1000
                << " s; nothing was sent\n";
            return 1;
        }
        if (closed == MonitorClose::Stopped) {
            err << "KelmFlash: stopped; nothing was sent\n";
            return 1;
        }
    }

    if (!RunPass(folders, *config, std::move(*image), stopSignals, out, err)) return 1;
    SystemLauncher launcher;
    if (StartMonitorAgain(launcher, folders)) {
        out << "KelmFlash: KelmWatch started again" << std::endl;
    } else {
        err << "KelmFlash: the update succeeded, but " << folders.installation << "KelmWatch could not be started\n";
    }
    return 0;
}

}  // namespace kelm
