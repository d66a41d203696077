#include "engine/Banner.h"

#include "core/base/nLog.h"

static const char* const EngineVersion = "1.2.2";

void PrintBanner()
{
    nLog& log = nLogHolder::Get();
    log << "Vornicade stand-alone.\n";
    log << "https://www.vornicade.example/\n";
    log << "Version: " << EngineVersion << "\n";
    log << "Built by the Kestrun team.\n";
}
