// The installer under Wine: a silent install, the files, the Add/Remove
// Programs entry and the Start menu shortcut, the installed program started
// as the shortcut starts it, and a silent uninstall that leaves nothing.
#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/e2e_support.h"
#include "resources/resource.h"

namespace {

const char *const uninstall_key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvel";

// A value of the installer's Add/Remove Programs entry; "(missing)" when
// there is none.
std::string uninstall_value(const char *name, DWORD *number = nullptr)
{
    char text[1024] = "(missing)";
    DWORD size = sizeof text;
    DWORD type = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, uninstall_key, name, RRF_RT_ANY | RRF_SUBKEY_WOW6464KEY, &type,
                     text, &size) != ERROR_SUCCESS)
        return "(missing)";
    if (type == REG_DWORD && number)
        *number = *(DWORD *)text;
    return type == REG_SZ ? text : "";
}

bool uninstall_entry_exists(void)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, uninstall_key, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Runs a command line to its end; its exit code, or 0xFFFFFFFF.
DWORD run_to_end(const std::string &command_line)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFF;
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

struct Shortcut {
    std::string target;
    std::string folder;
};

bool read_shortcut(const std::string &path, Shortcut *shortcut)
{
    IShellLinkA *link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void **)&link)))
        return false;
    IPersistFile *file = nullptr;
    bool read = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))) {
        std::wstring wide(path.begin(), path.end());
        char target[MAX_PATH] = "", folder[MAX_PATH] = "";
        read = SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
               SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
               SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH));
        shortcut->target = target;
        shortcut->folder = folder;
        file->Release();
    }
    link->Release();
    return read;
}

}  // namespace

TEST(Installer, InstallsAWorkingProgramAndUninstallsItWhole)
{
    // scripts/test passes the installer that scripts/package builds.
    const char *installer = getenv("QUORVEL_INSTALLER");
    if (!installer)
        GTEST_SKIP() << "QUORVEL_INSTALLER is not set (scripts/test sets it)";
    ASSERT_EQ(0u, run_to_end("\"" + windows_path(installer) + "\" /S"));

    ASSERT_TRUE(uninstall_entry_exists());
    std::string folder = uninstall_value("InstallLocation");
    EXPECT_EQ("Quorvel", std::filesystem::path(folder).filename().string());
    EXPECT_EQ("Quorvel 1.0 beta", uninstall_value("DisplayName"));
    EXPECT_EQ("1.0 beta", uninstall_value("DisplayVersion"));
    EXPECT_EQ("The Quorvel project", uninstall_value("Publisher"));
    EXPECT_EQ(folder + "\\quorvel.exe,0", uninstall_value("DisplayIcon"));
    std::string uninstaller = uninstall_value("UninstallString");
    EXPECT_EQ("\"" + folder + "\\Uninstall.exe\"", uninstaller);
    DWORD kilobytes = 0;
    uninstall_value("EstimatedSize", &kilobytes);
    EXPECT_GT(kilobytes, 500u);
    EXPECT_LT(kilobytes, 100000u);
    for (const char *file : {"quorvel.exe", "Uninstall.exe", "User Guide.txt", "data\\maps\\ll.bmp",
                             "data\\maps\\lr.bmp", "data\\maps\\ul.bmp", "data\\maps\\ur.bmp",
                             "data\\samples\\sample-survey.qvd", "data\\samples\\sample-survey.csv"})
        EXPECT_TRUE(std::filesystem::exists(folder + "\\" + file)) << file;

    // The Start menu shortcut starts the program in the install folder,
    // where it finds its map.
    char programs[MAX_PATH] = "";
    ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, programs));
    std::string link = std::string(programs) + "\\Quorvel.lnk";
    Shortcut shortcut;
    CoInitialize(nullptr);
    ASSERT_TRUE(read_shortcut(link, &shortcut)) << link;
    CoUninitialize();
    EXPECT_EQ(folder + "\\quorvel.exe", shortcut.target);
    EXPECT_EQ(folder, shortcut.folder);
    bool error_shown;
    EXPECT_EQ(0u, run_program_and_end_it(shortcut.target, shortcut.folder, WM_COMMAND, CMD_QUIT,
                                         &error_shown));
    EXPECT_FALSE(error_shown) << "the installed program could not read its base map";

    // The uninstaller hands its work to a copy of itself and returns; the
    // copy removes the folder, the shortcut and the entry.
    EXPECT_EQ(0u, run_to_end(uninstaller + " /S"));
    for (int tries = 0; tries < 300 && (std::filesystem::exists(folder) || uninstall_entry_exists());
         tries++)
        pump_messages(100);
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_FALSE(uninstall_entry_exists());
    EXPECT_FALSE(std::filesystem::exists(link));
}
