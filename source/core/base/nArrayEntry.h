#pragma once

// Base of what an nArrayList holds, so that the list can delete its entries.
class nArrayEntry
{
public:
    virtual ~nArrayEntry() = default;
};
