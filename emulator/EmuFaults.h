// Faults the software keyboard injects on command. Each is a count that the
// reports it affects use up; a fault of count 0 is off.
#pragma once

#include <cstddef>
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
    // Update mode: the next count commands are answered "repeat" (status 4)
    // and not carried out; kForever until cleared.
    void RepeatCommands(int count) { repeats_ = count; }
    // Update mode: the data of this block is answered with a failure, as a
    // flash write that went wrong.
    void FailBlock(int block) { failBlock_ = block; }
    // Update mode: the keyboard is unplugged right after it has taken the
    // data of this many more blocks (at least 1).
    void UnplugAfterBlocks(int blocks) { unplugAfterBlocks_ = blocks; }
    void Clear() { *this = EmuFaults{}; }

    bool TakeBusyPoll() { return Take(busyPolls_); }
    bool TakeReadFailure() { return Take(readFailures_); }
    bool TakeChecksumFault() { return Take(checksumFaults_); }
    bool TakeRepeat() { return Take(repeats_); }
    bool TakeBlockFailure(std::size_t block) {
        if (failBlock_ != static_cast<int>(block)) return false;
        failBlock_.reset();
        return true;
    }
    // Counts one block taken; true when the keyboard is to be unplugged now.
    bool CountBlock() {
        if (!unplugAfterBlocks_) return false;
        if (--*unplugAfterBlocks_ > 0) return false;
        unplugAfterBlocks_.reset();
        return true;
    }
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
    int Repeats() const { return repeats_; }
    std::optional<int> FailingBlock() const { return failBlock_; }
    std::optional<int> UnplugBlockCountdown() const { return unplugAfterBlocks_; }

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
    int repeats_ = 0;
    std::optional<int> failBlock_;
    std::optional<int> unplugAfterBlocks_;
};

}  // namespace kelm::emu
