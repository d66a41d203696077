#pragma once

#include "core/base/nLog.h"

#include <string>

// Installs itself as the process log for its lifetime and keeps every written line.
class NmlLogCapture : public nLog
{
public:
    NmlLogCapture() { nLogHolder::Set(this); }
    ~NmlLogCapture() override { nLogHolder::Set(nullptr); }

    void Output(const char* line, uint8_t) override { text += line; }

    std::string text;
};
