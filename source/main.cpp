#include "viewer/KestrunDriver.h"

int main(int argc, char** argv)
{
    return RunKestrun(argc, argv);
}
