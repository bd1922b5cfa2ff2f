// The Windows file services and settings location on real files, each test
// in a fresh folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/native_file_system.h"
#include "platform/profile_file.h"
#include "platform/windows/text.h"
#include "tests/windows_folder.h"

namespace tarnwick {
namespace {

using testing::ReadAll;
using testing::WindowsFolder;
using testing::WriteAll;
namespace fs = std::filesystem;

bool Replace(const std::string& path, const std::string& text) {
    std::unique_ptr<OutputFile> output = NativeFileSystem().OpenForReplacing(path);
    return output != nullptr && output->Write(text) && output->Commit();
}

// The attributes a replaced file may keep; a new text is always marked for
// backup (archive).
DWORD Attributes(const fs::path& path) {
    return ::GetFileAttributesW(path.c_str()) &
           (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
}

// A handle held as another program would hold it: open, sharing nothing.
struct HeldFile {
    explicit HeldFile(const fs::path& path)
        : handle(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldFile() { ::CloseHandle(handle); }
    HANDLE handle;
};

TEST(WindowsFileSystemTest, ReplacementKeepsTheAttributesAndLeavesNoTemporaryFile) {
    WindowsFolder folder;
    for (const DWORD attributes : {DWORD{FILE_ATTRIBUTE_NORMAL}, DWORD{FILE_ATTRIBUTE_HIDDEN},
                                   DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}}) {
        WriteAll(folder.Path(L"tail.txt"), "old\r\n");
        ASSERT_TRUE(::SetFileAttributesW(folder.Path(L"tail.txt").c_str(), attributes));
        EXPECT_TRUE(Replace(folder.Text(L"tail.txt"), "new\r\n")) << attributes;
        EXPECT_EQ(ReadAll(folder.Path(L"tail.txt")), "new\r\n");
        EXPECT_EQ(Attributes(folder.Path(L"tail.txt")),
                  (attributes & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_ARCHIVE);
        EXPECT_EQ(folder.Count(), 1);
    }
    // A new file is an ordinary one, not hidden like the temporary file.
    EXPECT_TRUE(Replace(folder.Text(L"new.txt"), "x"));
    EXPECT_EQ(Attributes(folder.Path(L"new.txt")), DWORD{FILE_ATTRIBUTE_ARCHIVE});
}

TEST(WindowsFileSystemTest, AbandonedOrRefusedReplacementKeepsTheOldTail) {
    WindowsFolder folder;
    const fs::path tail = folder.Path(L"tail.txt");
    WriteAll(tail, "keep me\r\n");
    {
        std::unique_ptr<OutputFile> output = NativeFileSystem().OpenForReplacing(folder.Text(L"tail.txt"));
        ASSERT_NE(output, nullptr);
        EXPECT_TRUE(output->Write(std::string(300000, 'x')));  // more than one buffer reaches the disk
    }
    EXPECT_EQ(ReadAll(tail), "keep me\r\n");
    EXPECT_EQ(folder.Count(), 1);

    // Held open by another program from the start, or only once the new text
    // is being written: refused at once, or at the rename.
    for (const bool heldFromTheStart : {true, false}) {
        SCOPED_TRACE(heldFromTheStart ? "held from the start" : "held while writing");
        std::unique_ptr<HeldFile> held;
        if (heldFromTheStart) {
            held = std::make_unique<HeldFile>(tail);
        }
        std::unique_ptr<OutputFile> output = NativeFileSystem().OpenForReplacing(folder.Text(L"tail.txt"));
        if (!heldFromTheStart) {
            ASSERT_NE(output, nullptr);
            held = std::make_unique<HeldFile>(tail);
        }
        EXPECT_FALSE(output != nullptr && output->Write("new\r\n") && output->Commit());
        output.reset();
        held.reset();
        EXPECT_EQ(ReadAll(tail), "keep me\r\n");
        EXPECT_EQ(folder.Count(), 1);
    }
}

// Each refused with its reason: the system's words where they fit.
TEST(WindowsFileSystemTest, DevicesAndMissingFilesAreNoBaseFile) {
    WindowsFolder folder;
    for (const auto& [path, reason] : std::vector<std::pair<std::string, std::string>>{
             {folder.Text(L"missing.txt"), SystemErrorText(ERROR_FILE_NOT_FOUND)},
             {"NUL", std::string(kNotARegularFile)}}) {
        NativeFileSystem files;
        EXPECT_EQ(files.OpenForReading(path), nullptr) << path;
        EXPECT_EQ(files.FailureReason(), reason) << path;
    }
}

TEST(WindowsFileSystemTest, SymbolicLinkIsFollowedAndStaysALink) {
    WindowsFolder folder;
    fs::create_directory(folder.Path(L"real"));
    WriteAll(folder.Path(L"real\\tail.txt"), "old\r\n");
    // Wine's CreateSymbolicLinkW reports success and makes nothing.
    ::CreateSymbolicLinkW(folder.Path(L"link").c_str(), folder.Path(L"real\\tail.txt").c_str(), 0);
    if (!fs::is_symlink(folder.Path(L"link"))) {
        GTEST_SKIP()
            << "no symbolic link could be made (it needs a privilege on Windows, and wine makes none)";
    }
    ASSERT_TRUE(Replace(folder.Text(L"link"), "through the link\r\n"));
    EXPECT_TRUE(fs::is_symlink(folder.Path(L"link")));
    EXPECT_EQ(ReadAll(folder.Path(L"real\\tail.txt")), "through the link\r\n");
}

TEST(WindowsFileSystemTest, SameFileSeesThroughSpellingsAndHardLinks) {
    WindowsFolder folder;
    fs::create_directory(folder.Path(L"sub"));
    WriteAll(folder.Path(L"base.txt"), "base");
    WriteAll(folder.Path(L"other.txt"), "base");
    ASSERT_TRUE(::CreateHardLinkW(folder.Path(L"hard").c_str(), folder.Path(L"base.txt").c_str(), nullptr));
    const std::string base = folder.Text(L"base.txt");
    std::string forward = base;
    for (char& c : forward) {
        c = c == '\\' ? '/' : c;
    }
    NativeFileSystem files;
    for (const std::string& same :
         {folder.Text(L"BASE.TXT"), folder.Text(L"hard"), folder.Text(L"sub\\..\\base.txt"),
          folder.Text(L".\\base.txt"), forward}) {
        EXPECT_TRUE(files.SameFile(base, same)) << same;
    }
    EXPECT_FALSE(files.SameFile(base, folder.Text(L"other.txt")));
    EXPECT_FALSE(files.SameFile(folder.Text(L"missing"), folder.Text(L"missing")));
}

// Past MAX_PATH a path goes to the system with the "\\?\" prefix, which
// turns off the system's clean-up of "..": the path must be made full first.
TEST(WindowsFileSystemTest, LongPathsAreUsedWhole) {
    WindowsFolder folder;
    std::wstring deep = L"d";
    for (wchar_t c = L'a'; c < L'f'; ++c) {
        deep += L"\\" + std::wstring(60, c);
    }
    fs::create_directories(folder.Path(deep + L"\\sub"));
    const std::string spelled = folder.Text(deep + L"\\sub\\..\\tail.txt");
    ASSERT_GT(spelled.size(), std::size_t{MAX_PATH});
    EXPECT_TRUE(Replace(spelled, "long\r\n"));
    EXPECT_EQ(ReadAll(folder.Path(deep + L"\\tail.txt")), "long\r\n");
    EXPECT_TRUE(NativeFileSystem().SameFile(spelled, folder.Text(deep + L"\\tail.txt")));
    EXPECT_NE(NativeFileSystem().OpenForReading(spelled), nullptr);
    // The standard library cannot walk so deep a folder to remove it.
    const std::wstring prefixed = L"\\\\?\\" + folder.Path(deep).wstring();
    ::DeleteFileW((prefixed + L"\\tail.txt").c_str());
    ::RemoveDirectoryW((prefixed + L"\\sub").c_str());
    for (std::wstring path = prefixed; path.size() > prefixed.size() - deep.size();
         path.resize(path.rfind(L'\\'))) {
        ::RemoveDirectoryW(path.c_str());
    }
}

// The program's own folder when it takes a file, found by creating one that
// is gone again at once.
TEST(WindowsProfileFileTest, SettingsFileBesideAWritableProgramFolder) {
    WindowsFolder folder;
    EXPECT_EQ(SettingsFilePath(folder.Text(L"")), folder.Text(L"Tarnwick.ini"));
    EXPECT_EQ(folder.Count(), 0);
    // A folder that takes no file cannot be made under wine, which keeps no
    // access lists; a missing folder stands in for one.
    ASSERT_TRUE(::SetEnvironmentVariableW(L"APPDATA", L"C:\\Users\\u\\AppData\\Roaming"));
    EXPECT_EQ(SettingsFilePath(folder.Text(L"missing")),
              "C:\\Users\\u\\AppData\\Roaming\\Tarnwick\\Tarnwick.ini");
}

}  // namespace
}  // namespace tarnwick
