#pragma once

#include "core/base/nMemory.h"
#include "core/base/nSharedPtr.h"
#include "core/io/nArchive.h"
#include "core/io/nIOCFile.h"
#include "platform/nPlatform.h"
#include "support/CapturedLog.h"
#include "viewer/QuenvarViewerDesktop.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

inline std::string Text(const nString& text)
{
    return text.GetText() ? text.GetText() : "";
}

// Runs each test in a fresh working directory and gives it viewers as the program has them when it
// starts to read its command line. The mount table belongs to the process, so it is emptied before
// and after each test and for each new viewer.
class ViewerWorkingDirectory : public ::testing::Test
{
protected:
    void SetUp() override
    {
        nPlatform::Get().GetIOSystem().UnmountAll();
        m_previous = std::filesystem::current_path();
        char pattern[] = "/tmp/kestrun-viewer-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_directory = pattern;
        std::filesystem::current_path(m_directory);
    }

    void TearDown() override
    {
        m_viewer.reset();
        nPlatform::Get().GetIOSystem().UnmountAll();
        std::filesystem::current_path(m_previous);
        std::filesystem::remove_all(m_directory);
    }

    // A pre-initialised viewer in place of the previous one, on an empty mount table; the log
    // starts after its banner.
    QuenvarViewerDesktop& NewViewer()
    {
        m_viewer.reset();
        nPlatform::Get().GetIOSystem().UnmountAll();
        m_viewer = std::make_unique<QuenvarViewerDesktop>();
        m_viewer->PreInitialise();
        m_log.text.clear();
        return *m_viewer;
    }

    // Writes a file under the working directory, creating its directories.
    void Write(const std::string& name, const std::string& content) const
    {
        const std::filesystem::path path = m_directory / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }

    // Writes an archive of the named entries under the working directory.
    void WriteArchive(const std::string& name,
                      std::initializer_list<std::pair<const char*, std::string>> entries)
    {
        std::filesystem::create_directories((m_directory / name).parent_path());
        nIOSystem& files = nPlatform::Get().GetIOSystem();
        const nSharedPtr<nIOCFile> directory(new nIOCFile(nString(m_directory.c_str())));
        ASSERT_TRUE(files.Mount(directory.Get(), "test@writer/"));
        nArchive archive;
        EXPECT_TRUE(archive.Create(("test@writer/" + name).c_str()));
        for (const auto& [entry, content] : entries)
            EXPECT_TRUE(
                archive.AddEntry(nString(entry), content.data(), static_cast<uint32_t>(content.size()), 6));
        EXPECT_TRUE(archive.Close());
        files.Unmount(directory.Get());
    }

    // Parses "Kestrun" followed by the arguments; no arguments read the bootstrap file.
    static bool Parse(QuenvarViewerBase& viewer, std::initializer_list<const char*> arguments)
    {
        std::vector<char*> argv{const_cast<char*>("Kestrun")};
        for (const char* argument : arguments)
            argv.push_back(const_cast<char*>(argument));
        argv.push_back(nullptr);
        return viewer.ParseCommandLine(static_cast<int>(argv.size() - 1), argv.data());
    }

    // The whole file at a virtual path, or "(unreadable)".
    static std::string ReadVirtual(const char* path)
    {
        nAutoArray<uint8_t> block(MemCategoryFilesystem);
        if (!nPlatform::Get().GetIOSystem().LoadFile(nString(path), block))
            return "(unreadable)";
        return std::string(reinterpret_cast<const char*>(block.GetData()), block.GetCount());
    }

    CapturedLog m_log;
    std::unique_ptr<QuenvarViewerDesktop> m_viewer;
    std::filesystem::path m_directory;
    std::filesystem::path m_previous;
};
