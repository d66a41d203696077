#pragma once

#include "animation/nACECommand.h"
#include "core/base/nList.h"

// Runs one compiled command list, one group of commands at a time. A derived unit gives the
// codes of its vocabulary their meaning in ExecuteCommand and hands every other code to this
// class, which handles the reserved ones.
class nACEUnit
{
public:
    using CommandNode = nListNode<nACECommand>;

    nACEUnit() = default;
    nACEUnit(const nACEUnit&) = delete;
    nACEUnit& operator=(const nACEUnit&) = delete;
    virtual ~nACEUnit() = default;

    virtual bool ExecuteCommand(nACECommand* command, float step);

    void Update(float dt);
    void ResetCommandList();
    bool IsCommandListDone() const { return m_current == nullptr; }
    void DumpCommandList() const;

    nList<nACECommand>& GetCommandList() { return m_commands; }
    const nList<nACECommand>& GetCommandList() const { return m_commands; }
    // The compiler starts a successfully compiled list from its head.
    void StartCommandList() { m_current = m_commands.GetHead(); }

private:
    nList<nACECommand> m_commands;
    CommandNode* m_current = nullptr;   // first command of the group that runs now
    CommandNode* m_loopStart = nullptr; // first command of the group in which "loop" last ran
};
