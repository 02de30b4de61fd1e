// Starting another program: detached, without a shell, without waiting.
#pragma once

#include <QString>

namespace qd {

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts the program at `path` with no arguments; false when it cannot.
    virtual bool start(const QString& path) = 0;
};

class DetachedProcessStarter final : public ProcessStarter {
public:
    bool start(const QString& path) override;
};

}  // namespace qd
