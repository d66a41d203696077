#include "engine/animation/nACEUnit.h"

#include "engine/animation/nACECommand.h"

nACEUnit::~nACEUnit() = default;

bool nACEUnit::ExecuteCommand(nACECommand* command, float step)
{
    return command && step != 0.0f;
}

void nACEUnit::Update(float)
{
}
