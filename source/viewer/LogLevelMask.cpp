#include "viewer/LogLevelMask.h"

#include "core/base/nLog.h"

uint8_t ParseLogLevelMask(const char* letters)
{
    uint8_t mask = LogLevelNone;
    for (const char* letter = letters; letter && *letter; ++letter)
    {
        switch (*letter)
        {
        case 's':
            mask |= LogLevelStandard;
            break;
        case 'H':
            mask |= LogLevelHeader;
            break;
        case '*':
            mask |= LogLevelWarning;
            break;
        case '!':
            mask |= LogLevelError;
            break;
        case 'S':
            mask |= LogLevelScript;
            break;
        case 'a':
            mask = LogLevelAll;
            break;
        case 'n':
            mask = LogLevelNone;
            break;
        default:
            break;
        }
    }
    return mask;
}
