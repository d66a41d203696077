#include "animation/nACEUnit.h"

#include "core/base/nLog.h"

namespace
{
// A command with no more time than this left has finished.
constexpr float kFinishedTime = 0.00001f;
}

bool nACEUnit::ExecuteCommand(nACECommand* command, float step)
{
    if (!command || step == 0.0f)
        return false;
    switch (command->code)
    {
    case ACECommandNext:
        command->remaining = 0.0f;
        m_current = m_loopStart;
        break;
    case ACECommandLoop:
        command->remaining = 0.0f;
        m_loopStart = m_current;
        break;
    case ACECommandBarrier:
        nLogHolder::Get() << "[*] ACE unit is executing exec opcode (?!).\n";
        break;
    default:
        break;
    }
    return true;
}

void nACEUnit::Update(float dt)
{
    if (!m_current)
        return;

    bool groupFinished = true;
    bool nextRan = false;
    CommandNode* node = m_current;
    while (node && node->value.code != ACECommandBarrier)
    {
        nACECommand& command = node->value;
        if (command.remaining > kFinishedTime)
        {
            float step = command.remaining < dt ? command.remaining : dt;
            if (command.remaining > dt)
                groupFinished = false;
            ExecuteCommand(&command, step);
            command.remaining -= step;
            if (command.code == ACECommandNext)
                nextRan = true;
        }
        node = node->next;
    }
    CommandNode* after = node ? node->next : nullptr;

    if (nextRan)
    {
        // "next" has already moved the current command back to the loop start (or cleared it
        // when no loop ran, which ends the list).
        for (CommandNode* rearmed = m_current; rearmed && rearmed != after; rearmed = rearmed->next)
            rearmed->value.remaining = rearmed->value.duration;
        return;
    }
    if (groupFinished)
        m_current = after;
}

void nACEUnit::ResetCommandList()
{
    m_commands.Clear();
    m_current = nullptr;
    m_loopStart = nullptr;
}

void nACEUnit::DumpCommandList() const
{
    nLog& log = nLogHolder::Get();
    for (CommandNode* node = m_commands.GetHead(); node; node = node->next)
    {
        const nACECommand& command = node->value;
        log << "Command [" << static_cast<int>(command.code) << "] : " << command.duration << "s, parm = {"
            << command.parameters[0] << ", " << command.parameters[1] << ", " << command.parameters[2]
            << "}.\n";
    }
}
