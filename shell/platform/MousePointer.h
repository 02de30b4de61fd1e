// The application-wide mouse pointer.
#pragma once

namespace qd {

inline constexpr int kDefaultPointer = 0;
inline constexpr int kHourglass = 11;

// Sets the pointer of every window of the program (kDefaultPointer or kHourglass).
void SetMousePointer(int pointer);
int MousePointer();

// Shows a pointer change on the screen.
class PointerDisplay {
public:
    virtual ~PointerDisplay() = default;
    virtual void show(int pointer) = 0;
};

// Where there are no windows there is no pointer to show.
class NoPointerDisplay final : public PointerDisplay {
public:
    void show(int) override { }
};

}  // namespace qd
