#pragma once

#include <cstddef>

// Asks the system to back the whole pages of a block with huge pages where it allows that: the
// first touch of a block of tens of megabytes then costs a few dozen page faults instead of tens
// of thousands. Only a hint; nothing changes where the system refuses it.
void HostAdviseHugePages(void* block, size_t size);
