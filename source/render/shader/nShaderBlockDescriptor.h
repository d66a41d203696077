#pragma once

#include <cstdint>

struct nShaderBlockDescriptor
{
    const char* name;
    const char* description;
};

struct nShaderInputDescriptor
{
    const char* name;
    const char* description;
    uint32_t acceptedTypes;
};
