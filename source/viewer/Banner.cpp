#include "viewer/Banner.h"

#include "core/base/nLog.h"
#include "engine/Quenvar.h"

void PrintBanner()
{
    nLog& log = nLogHolder::Get();
    log << "Vornicade stand-alone.\n";
    log << "https://www.vornicade.example/\n";
    log << "Version: " << Quenvar::GetVersion() << "\n";
    log << "Built by the Kestrun team.\n";
    Quenvar::WriteLayoutReport(true);
}
