#include "engine/BootstrapReader.h"

// "bootstrap.txt" and "@core/bootstrap.txt" are NML files reached through the mount table;
// until the NML reader and the file system exist no bootstrap file can be read.
bool ReadBootstrap(QuenvarViewerBase&)
{
    return false;
}
