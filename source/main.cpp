#include "engine/KestrunDriver.h"

int main(int argc, char** argv)
{
    return RunKestrun(argc, argv);
}
