#pragma once
#include <QString>

// Ownership of the working folder: an exclusive flock on a lock file in it.
// The kernel drops the lock when the holder ends, however it ends, so a
// crashed owner never keeps a later start out.
class InstanceLock {
public:
    enum class State {
        Owned,     // this process owns the folder
        Held,      // another live process owns it
        Unusable,  // no lock file could be opened (the folder is missing or read-only)
    };

    explicit InstanceLock(QString lockFile);
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // Tries once, without waiting; an owned lock stays owned.
    State tryLock();
    State state() const { return state_; }
    QString error() const { return error_; }

private:
    void release();

    QString path_;
    int fd_ = -1;
    State state_ = State::Unusable;
    QString error_;
};
