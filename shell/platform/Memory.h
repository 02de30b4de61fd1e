// Big buffers on huge pages. Each first touch of a fresh 4 KiB page costs a
// page fault, and for the bank tool reading and writing files of tens of
// megabytes those faults were a third of its time; a 2 MiB huge page takes
// one fault where 512 small ones did.
#pragma once

#include <cstddef>

namespace qd {

// Asks the kernel to back the whole 2 MiB pages within [data, data + bytes)
// with huge pages, where it offers them; best effort, and nothing for less
// than 2 MiB. Call it before the memory is first written.
void AdviseHugePages(void* data, std::size_t bytes);

// Reserves room for `count` elements in a string or vector and advises huge
// pages for it: for a buffer about to be filled.
template <class Container>
void ReserveLarge(Container& container, std::size_t count)
{
    container.reserve(count);
    AdviseHugePages(container.data(), container.capacity() * sizeof(*container.data()));
}

}  // namespace qd
