// KelmFlash's update window: it closes KelmWatch, opens the keyboard through
// devbridge, runs one update pass on the worker thread with a progress bar,
// reports the outcome in a dialog and, after success only, starts KelmWatch
// again when it closes. The decisions are UpdateSteps'; this is their face.
#pragma once

#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "flash/FirmwareImage.h"
#include "flash/FlashFlow.h"
#include "flash/FlashFolders.h"
#include "skin/SkinDialog.h"

class QProgressBar;
class QTimer;

namespace kelm {

class KelmWindowAdapter;
class ProcessLauncher;
class QtMessageLoop;
class SystemClock;
class UpdateDevice;
class UpdateEngine;
class UpdateWorker;
class WindowEndpoint;
class WindowRelay;

// The timer that starts the pass, and how long after the window is ready.
inline constexpr int TIMER_START_UPDATE = 100;
inline constexpr int kStartUpdateDelayMs = 1000;

class CFlashWnd : public skin::SkinDialog {
    Q_OBJECT
public:
    CFlashWnd(const FlashFolders& folders, ProcessLauncher& launcher, QWidget* parent = nullptr);
    ~CFlashWnd() override;

    // Shows the window and runs it to its close: true when the update
    // succeeded.
    bool Run();

    UpdatePhase Phase() const { return steps_.Phase(); }
    int ProgressValue() const;
    int ProgressMaximum() const;
    QString StatusText() const { return status_; }
    QString LoaderVersion() const { return loaderVersion_; }
    QString ImageName() const { return imageName_; }

    // The closing of the window, for the close button, WM_CLOSE and the
    // window manager: while a pass runs it waits for the pass.
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Initialise();
    void MonitorClosed(MonitorClose how);
    void OpenKeyboard();
    void StartPass();
    void OnProgress(std::size_t block);
    void OnResult(bool ok, const QString& why);
    void SetStatus(const QString& text);
    // Releases everything in order once no pass runs; starts KelmWatch when
    // the pass succeeded.
    void Release();

    FlashFolders folders_;
    ProcessLauncher& launcher_;
    UpdateSteps steps_;
    std::optional<FlashPackConfig> config_;
    QString configError_;
    QString imageName_;
    QString loaderVersion_ = QStringLiteral("N/A");
    QString status_;
    QProgressBar* progress_;
    QTimer* startTimer_;

    std::unique_ptr<QtMessageLoop> loop_;
    std::unique_ptr<KelmWindowAdapter> adapter_;
    std::unique_ptr<WindowEndpoint> endpoint_;
    std::unique_ptr<UpdateDevice> device_;
    std::unique_ptr<SystemClock> clock_;
    std::unique_ptr<UpdateEngine> engine_;
    std::unique_ptr<WindowRelay> relay_;
    std::unique_ptr<UpdateWorker> worker_;
    std::thread monitorCloser_;
    std::atomic<bool> stopClosing_{false};
    bool released_ = false;
};

}  // namespace kelm
