#pragma once

#include "core/io/nIOCFile.h"
#include "platform/nPlatform.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// A fresh host directory mounted as a root back end for the test's lifetime, so that plain
// virtual paths ("f.nml") name files in it.
class NmlFileFixture
{
public:
    NmlFileFixture()
    {
        char pattern[] = "/tmp/nmltestXXXXXX";
        directory = mkdtemp(pattern);
        base = new nIOCFile(nString(directory.c_str()));
        base->AddRef();
        nPlatform::Get().GetIOSystem().Mount(base);
    }

    ~NmlFileFixture()
    {
        nPlatform::Get().GetIOSystem().Unmount(base);
        base->Release();
        std::filesystem::remove_all(directory);
    }

    void Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(directory + "/" + name, std::ios::binary) << text;
    }

    std::string Read(const std::string& name) const
    {
        std::ifstream in(directory + "/" + name, std::ios::binary | std::ios::ate);
        std::string text(in ? static_cast<size_t>(in.tellg()) : 0, '\0');
        in.seekg(0);
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        return text;
    }

    bool Exists(const std::string& name) const { return std::filesystem::exists(directory + "/" + name); }

    std::string directory;
    nIOCFile* base;
};
