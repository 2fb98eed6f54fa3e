#pragma once
// Lock files: "<name>.lock" beside a file tells other processes, and other owners in this one,
// that a running program keeps that file. A lock whose process has ended is stale: the next
// one to ask takes it over.

#include <memory>
#include <string>

namespace lex {

// A lock taken; it is released, and its lock file removed, when this is destroyed.
class FileLock {
public:
    virtual ~FileLock() = default;
};

class FileLocks {
public:
    virtual ~FileLocks() = default;
    // Takes the lock file `lock_path` at once, taking over a stale one; null when a running
    // process holds it (this one included) or the lock file cannot be made.
    virtual std::unique_ptr<FileLock> try_lock(const std::string& lock_path) = 0;
};

// FileLocks built on QLockFile (Qt layer): the lock names its process and machine, and counts
// as stale only once that process has ended, however old it is.
FileLocks& qt_file_locks();

} // namespace lex
