#pragma once

#include "core/base/nLog.h"

#include <string>

// Installs itself as the process log for the lifetime of a test and keeps every written line.
class CapturedLog : public nLog
{
public:
    CapturedLog() { nLogHolder::Set(this); }
    ~CapturedLog() override { nLogHolder::Set(nullptr); }

    void Output(const char* line, uint8_t) override { text += line; }

    std::string text;
};
