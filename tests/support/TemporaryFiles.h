#pragma once

#include "core/base/nSharedPtr.h"
#include "core/io/nIOCFile.h"
#include "platform/nPlatform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// A fresh host directory mounted as the unnamed root of the process's mount table for the
// lifetime of a test, so that relative paths such as "x.wav" name its files.
class TemporaryFiles
{
public:
    TemporaryFiles()
    {
        char pattern[] = "/tmp/kestrun-files-XXXXXX";
        if (mkdtemp(pattern))
            m_directory = pattern;
        m_mount = nSharedPtr<nIOCFile>(new nIOCFile(nString(m_directory.c_str())));
        EXPECT_TRUE(nPlatform::Get().GetIOSystem().Mount(m_mount.Get()));
    }
    ~TemporaryFiles()
    {
        nPlatform::Get().GetIOSystem().Unmount(m_mount.Get());
        std::filesystem::remove_all(m_directory);
    }
    TemporaryFiles(const TemporaryFiles&) = delete;
    TemporaryFiles& operator=(const TemporaryFiles&) = delete;

    void Write(const std::string& name, const std::string& content) const
    {
        const std::filesystem::path path = m_directory / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }
    void Remove(const std::string& name) const { std::filesystem::remove(m_directory / name); }
    const std::filesystem::path& GetDirectory() const { return m_directory; }

private:
    std::filesystem::path m_directory;
    nSharedPtr<nIOCFile> m_mount;
};
