// The decisions of KelmFlash's window, apart from the widgets: which flow the
// command line opens, and what the update window does at each step of its
// one pass: the progress it shows, what a close request waits for, and
// whether KelmWatch is started again.
//
//   argument none, "1", "2" ──► confirmation ──OK──► update window
//                                            ──Cancel/close──► close KelmWatch, end
//   argument "0" ──► notice ──► close KelmWatch, end
//   any other    ──► update window
//
// The update window:
//
//   Preparing (KelmWatch closing, devbridge opening)
//     ──ready──► Waiting (1 s) ──► Updating ──pass ends──► Succeeded / Failed
//     ──cannot go on──► Failed (nothing sent)
//   Succeeded: the success dialog, then the window closes and KelmWatch is
//              started again.
//   Failed:    the failure dialog; the window stays until the user closes it.
//   A close asked for while Updating waits for the pass to end; the keyboard
//   would otherwise be left between two commands of its update mode.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelm {

enum class StartFlow { Confirm, Notice, Window };

// Only the first character counts, as KelmWatch passes a single digit.
StartFlow FlowForArgument(std::string_view argument);

// After the opening dialog: true to open the update window, false to close
// KelmWatch and end.
bool OpensWindowAfter(StartFlow flow, bool accepted);

enum class UpdatePhase { Preparing, Waiting, Updating, Succeeded, Failed };

class UpdateSteps {
public:
    UpdatePhase Phase() const { return phase_; }

    // KelmWatch is gone and the keyboard is open: the pass starts after the
    // window's 1 s timer.
    void Ready();
    // The image is loaded and handed to the worker.
    void PassStarted(std::size_t blocks);
    // Anything that ends the window's one pass, before or after it started.
    struct Outcome {
        bool showSuccess = false;
        bool showFailure = false;
        bool closeAfterDialog = false;
    };
    Outcome PassEnded(bool ok);

    // The bar's range and its position after block n (0-based): the range is
    // the block count, and a written block fills its own step, so the bar
    // reaches its end with the last block whatever the image's size.
    int ProgressMaximum() const;
    static int ProgressAfterBlock(std::size_t block) { return static_cast<int>(block) + 1; }

    // True when the window may close now; false when a close has been
    // noted and the window closes once the pass has ended.
    bool MayClose();
    bool ClosePending() const { return closePending_; }
    // Set only by a successful pass.
    bool RestartMonitor() const { return phase_ == UpdatePhase::Succeeded; }

private:
    UpdatePhase phase_ = UpdatePhase::Preparing;
    std::size_t blocks_ = 0;
    bool closePending_ = false;
};

// The image file's name as the window shows it: the part after the last '/'.
std::string ImageFileName(std::string_view name);

}  // namespace kelm
