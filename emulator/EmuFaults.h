// Faults the software keyboard injects on command. Each is a count that the
// reports it affects use up; a fault of count 0 is off.
#pragma once

#include <optional>

namespace kelm::emu {

class EmuFaults {
public:
    static constexpr int kForever = -1;

    // The next polls status reads answer busy; kForever until cleared.
    void BusyFor(int polls) { busyPolls_ = polls; }
    // The next count reads fail.
    void FailReads(int count) { readFailures_ = count; }
    // The next count reads of reports that carry a checksum carry a wrong one.
    void CorruptChecksums(int count) { checksumFaults_ = count; }
    // The keyboard is unplugged right after it has handled reports more
    // reports (reads and writes, at least 1).
    void UnplugAfter(int reports) { unplugAfter_ = reports; }
    void Clear() { *this = EmuFaults{}; }

    bool TakeBusyPoll() { return Take(busyPolls_); }
    bool TakeReadFailure() { return Take(readFailures_); }
    bool TakeChecksumFault() { return Take(checksumFaults_); }
    // Counts one handled report; true when the keyboard is to be unplugged now.
    bool CountReport() {
        if (!unplugAfter_) return false;
        if (--*unplugAfter_ > 0) return false;
        unplugAfter_.reset();
        return true;
    }

    int BusyPolls() const { return busyPolls_; }
    int ReadFailures() const { return readFailures_; }
    int ChecksumFaults() const { return checksumFaults_; }
    std::optional<int> UnplugCountdown() const { return unplugAfter_; }

private:
    static bool Take(int& count) {
        if (count == 0) return false;
        if (count > 0) --count;
        return true;
    }

    int busyPolls_ = 0;
    int readFailures_ = 0;
    int checksumFaults_ = 0;
    std::optional<int> unplugAfter_;
};

}  // namespace kelm::emu
