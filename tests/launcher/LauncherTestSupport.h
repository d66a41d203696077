#pragma once

#include "core/base/nLog.h"
#include "launcher/LauncherProcessStarter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Keeps every log line while it lives, and keeps the test output free of them.
class LauncherLogCapture : public nLog
{
public:
    LauncherLogCapture() { nLogHolder::Set(this); }
    ~LauncherLogCapture() override { nLogHolder::Set(nullptr); }

    void Output(const char* line, uint8_t) override { text += line; }

    std::string text;
};

// Records what the model would start instead of starting it.
class RecordingStarter : public LauncherProcessStarter
{
public:
    bool Start(const char* path) override
    {
        started.emplace_back(path);
        return result;
    }

    std::vector<std::string> started;
    bool result = true;
};

// A fresh host directory for one test, removed afterwards.
class LauncherDirectory
{
public:
    LauncherDirectory()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrun-launcher-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path = pattern;
    }
    ~LauncherDirectory() { std::filesystem::remove_all(path); }

    std::string Path(const std::string& relative) const { return (path / relative).string(); }

    void Write(const std::string& relative, const std::string& text) const
    {
        std::filesystem::create_directories((path / relative).parent_path());
        std::ofstream(path / relative, std::ios::binary) << text;
    }

    std::string Read(const std::string& relative) const
    {
        std::ifstream in(path / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    bool Exists(const std::string& relative) const { return std::filesystem::exists(path / relative); }

    std::filesystem::path path;
};
