// What LoadAll and SaveAll are measured against. The floor is the least
// any store must do: move the files' bytes and find their lines. The
// Windows way is how the profile functions work: every key read or
// written reads and parses the whole file again.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "settings/StoreLocation.h"

namespace kelm::bench {

// The files LoadAll reads and SaveAll writes.
std::vector<std::string> StoreFiles(const StoreLocation& where);

// One value as a file holds it.
struct StoredValue {
    std::string path, section, key, value;
};
// Every value of the files, in file order.
std::vector<StoredValue> CollectValues(const std::vector<std::string>& paths);

// Reads each file and counts its lines; returns the count.
std::size_t ReadFloor(const std::vector<std::string>& paths);

struct FileBytes {
    std::string path, bytes;
};
std::vector<FileBytes> Snapshot(const std::vector<std::string>& paths);
// Writes each file's bytes as SaveAll writes a file (crash-safe
// replacement); false when any write failed.
bool WriteFloor(const std::vector<FileBytes>& files);

// For each value: read and parse its file, then look the value up.
// Returns the total length found, so that nothing is optimised away.
std::size_t LoadWindowsWay(const std::vector<StoredValue>& values);
// For each value: read and parse its file, set the value, write the file.
bool SaveWindowsWay(const std::vector<StoredValue>& values);

}  // namespace kelm::bench
