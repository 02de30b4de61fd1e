// Ending the program at once: no further event handler of any window runs.
#pragma once

namespace qd {

// Exit status of a run that ended because a required file was missing.
inline constexpr int kExitMissingFiles = 1;

// The seam behind EndProgram. The real one ends the process on the spot
// (QApplication::quit would let queued events and close handlers run).
class ProgramEnder {
public:
    virtual ~ProgramEnder() = default;
    // Ends the process. A test's stand-in may return; EndProgram then raises
    // ProgramEnded so that nothing after the call runs.
    virtual void end(int status) = 0;
};

class ProcessEnder final : public ProgramEnder {
public:
    void end(int status) override;
};

// Raised only when a test's stand-in ender returns. Not a Failure: no step
// runner swallows it.
struct ProgramEnded {
    int status;
};

[[noreturn]] void EndProgram(int status = 0);

}  // namespace qd
