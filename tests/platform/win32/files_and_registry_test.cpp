// Full path names, file handles for existence tests, and the registry that
// is empty unless a test fills it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/win32/file_handles.h"
#include "platform/win32/registry.h"

namespace fs = std::filesystem;

TEST(FullPathName, ResolvesAgainstTheWorkingFolderAndReportsSizes) {
  std::string cwd = fs::current_path().string();
  char out[MAX_PATH];
  LPSTR part = nullptr;
  DWORD n = GetFullPathNameA("bitmaps\\..\\Bitmaps\\.\\grass.jpg", MAX_PATH, out, &part);
  std::string expected = cwd + "/Bitmaps/grass.jpg";
  EXPECT_EQ(n, expected.size());
  EXPECT_EQ(std::string(out), expected);
  ASSERT_NE(part, nullptr);
  EXPECT_STREQ(part, "grass.jpg");
  char tiny[4] = "abc";
  EXPECT_EQ(GetFullPathNameA("/a/b", sizeof(tiny), tiny, &part), 5u);  // needed, with terminator
  EXPECT_STREQ(tiny, "abc");
  EXPECT_EQ(GetFullPathNameA("", MAX_PATH, out, &part), 0u);
}

TEST(FileHandles, OpenExistingFindsFilesWithoutRegardToCase) {
  fs::path dir = fs::temp_directory_path() / ("vornel_handles_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "Tree.X") << "xof";
  HANDLE h = CreateFileA((dir.string() + "\\tree.x").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(h));
  h = CreateFileA((dir / "missing.x").string().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                  nullptr);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
  fs::remove_all(dir);
}

TEST(Registry, EmptyStoreFailsCleanlyAndAFilledOneAnswers) {
  ClearRegistry();
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\DirectX SDK", 0, KEY_READ, &key),
            static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(key, nullptr);
  SetRegistryString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\DirectX SDK", "DX9SDK Samples Path", "C:\\SDK");
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\microsoft\\directx sdk", 0, KEY_READ, &key), 0);
  BYTE data[260];
  DWORD size = sizeof(data), type = 0;
  ASSERT_EQ(RegQueryValueExA(key, "DX9SDK Samples Path", nullptr, &type, data, &size), 0);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 7u);
  EXPECT_STREQ(reinterpret_cast<char*>(data), "C:\\SDK");
  size = 3;
  EXPECT_EQ(RegQueryValueExA(key, "DX9SDK Samples Path", nullptr, &type, data, &size),
            static_cast<LSTATUS>(ERROR_MORE_DATA));
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(RegQueryValueExA(key, "Other", nullptr, &type, data, &size), static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
  // A key above a value exists too; other roots stay empty.
  HKEY above = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &above), 0);
  EXPECT_EQ(RegCloseKey(above), 0);
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &above), 0);
  EXPECT_EQ(RegCloseKey(key), 0);
  EXPECT_NE(RegCloseKey(key), 0);
  ClearRegistry();
}
