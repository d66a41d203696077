#include "platform/nProgramDirectory.h"

#include <string>
#include <unistd.h>

nString GetProgramDirectory()
{
    // readlink truncates without saying so: a result that fills the buffer is read again larger.
    std::string target(256, '\0');
    for (;;)
    {
        const ssize_t length = ::readlink("/proc/self/exe", target.data(), target.size());
        if (length <= 0)
            return nString();
        if (static_cast<size_t>(length) < target.size())
        {
            target.resize(static_cast<size_t>(length));
            break;
        }
        target.resize(target.size() * 2);
    }
    // Only "/" separates here: a Linux file name may hold ":" or "\".
    return nString(target.substr(0, target.rfind('/') + 1).c_str());
}
