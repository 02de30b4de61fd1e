// A guard for tests of code that must never wait on a FIFO.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>

#include <gtest/gtest.h>

namespace qd::test {

// Runs `action`; when it blocks on `fifo`, the test fails and a second end
// opened on the FIFO lets it go, so the suite never hangs.
inline void ExpectNoWaitOn(const std::filesystem::path& fifo, const std::function<void()>& action)
{
    auto done = std::async(std::launch::async, action);
    if (done.wait_for(std::chrono::seconds(30)) == std::future_status::timeout) {
        ADD_FAILURE() << "blocked on " << fifo;
        const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
        done.wait();
        ::close(fd);
    }
    done.get();
}

}  // namespace qd::test
