// Lock files through QLockFile.

#include "document/file_lock.h"

#include <QLockFile>
#include <QString>

namespace lex {

namespace {

class QtLock final : public FileLock {
public:
    explicit QtLock(const QString& path) : lock_(path) {}
    QLockFile& lock() { return lock_; }

private:
    QLockFile lock_;
};

class QtLocks final : public FileLocks {
public:
    std::unique_ptr<FileLock> try_lock(const std::string& lock_path) override {
        auto taken = std::make_unique<QtLock>(
            QString::fromUtf8(lock_path.data(), qsizetype(lock_path.size())));
        // Never stale by age: a window may keep its rows for days.
        taken->lock().setStaleLockTime(0);
        if (!taken->lock().tryLock(0)) return nullptr;
        return taken;
    }
};

} // namespace

FileLocks& qt_file_locks() {
    static QtLocks locks;
    return locks;
}

} // namespace lex
