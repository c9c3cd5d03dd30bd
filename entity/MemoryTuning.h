#pragma once

namespace corvo {

/// Keeps the large blocks of big tables and packets in the allocator's reach once freed.
/// By default glibc hands blocks of more than 32 MiB straight back to the kernel, so every
/// packet or column of a million-row table is fresh memory, faulted in and zeroed page by page
/// again; that costs more than the work done on it. Programs call this once at the start of
/// main (the client, the server, the benchmarks); it only changes allocator settings.
void configureAllocatorForLargeTables() noexcept;

} // namespace corvo
