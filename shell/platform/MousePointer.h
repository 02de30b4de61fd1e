// The application-wide mouse pointer.
#pragma once

namespace qd {

inline constexpr int kDefaultPointer = 0;
inline constexpr int kHourglass = 11;

// Sets the pointer of every window of the program (kDefaultPointer or kHourglass).
void SetMousePointer(int pointer);
int MousePointer();

}  // namespace qd
