// The file behind a named shared object (a block or a mutex), mapped whole,
// with the lifetime of a named kernel object:
//
//   Every holder keeps a shared flock on the file, and an object exists
//   while someone holds it. A file that nobody holds is stale (its holders
//   ended without letting go) and counts as absent: creating recreates it,
//   zero-filled; opening fails. The last holder to let go removes the file.
//
// Deciding whether a file is new, stale or held, and letting go, happen
// under a guard: an exclusive open-file-description lock (fcntl F_OFD_*,
// which does not interact with flock) on the same file. So no two processes
// decide at once, a new object is initialised before anyone else can open
// it, and trying flock LOCK_EX to see whether anyone else holds the file
// (which drops our own shared lock when it fails) opens no gap that another
// process could take for staleness.
//
//   open path ──► take guard ──► path still names this file? ──no──► again
//                                          │ yes
//                 flock LOCK_EX|LOCK_NB succeeds? ──yes──► NOBODY HOLDS IT
//                          │ no                      Create: truncate to size,
//                          ▼                         0600, initialise ─► CREATED
//                      HELD ─► OPENED                OpenExisting: remove ─► absent
//   CREATED / OPENED: flock LOCK_SH, map, release guard
//   let go: unmap, take guard, flock LOCK_EX|LOCK_NB succeeds ─► last one: remove
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/MappedRegion.h"
#include "platform/UniqueFd.h"

namespace kelm {

class SharedObjectFile {
public:
    enum class Mode { Create, OpenExisting };
    // Fills a newly created object before any other process can open it.
    using Initializer = std::function<bool(void* data)>;

    SharedObjectFile() = default;
    // The object at path, mapped for reading and writing; a new one has
    // exactly size bytes, an existing one must have at least size. Empty when
    // it cannot be had, or, for OpenExisting, does not exist.
    static SharedObjectFile Acquire(const std::string& path, std::size_t size, Mode mode,
                                    const Initializer& initialize = {});

    ~SharedObjectFile() { Release(); }
    SharedObjectFile(SharedObjectFile&& other) noexcept;
    SharedObjectFile& operator=(SharedObjectFile&& other) noexcept;
    SharedObjectFile(const SharedObjectFile&) = delete;
    SharedObjectFile& operator=(const SharedObjectFile&) = delete;

    explicit operator bool() const { return static_cast<bool>(view_); }
    // False when the object existed already ("already exists").
    bool Created() const { return created_; }
    void* Data() const { return view_.Data(); }
    std::size_t Size() const { return view_.Size(); }

    // Unmaps and lets go; the last holder removes the file.
    void Release();

private:
    std::string path_;
    UniqueFd fd_;
    MappedRegion view_;
    bool created_ = false;
};

}  // namespace kelm
