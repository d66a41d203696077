#pragma once

struct nACECommand;

// Runs one compiled command list. A unit class gives meaning to the codes of its manager's
// vocabulary through ExecuteCommand and hands every other code to the base.
class nACEUnit
{
public:
    nACEUnit() = default;
    nACEUnit(const nACEUnit&) = delete;
    nACEUnit& operator=(const nACEUnit&) = delete;

    // One step of the command; false for a missing command or a step of 0.
    virtual bool ExecuteCommand(nACECommand* command, float step);
    // One frame of the command list.
    void Update(float dt);
    virtual ~nACEUnit();
};
