// Registering and unregistering rotamcmd.dll, for the machine and for the
// current user, directly and through regsvr32: each round trip leaves the
// registry exactly as it found it.  (The tests run in the build tree's own
// Wine prefix.)
#include <map>
#include <string>

#include "wintest_util.h"

namespace rotam::test {
namespace {

using Snapshot = std::map<std::wstring, std::wstring>;

// Every key and value below root\path, as text.
void dump(HKEY key, const std::wstring &name, Snapshot &out) {
    out[name] = L"";
    DWORD index = 0;
    for (;;) {
        wchar_t value_name[512];
        DWORD name_length = 512, type = 0, bytes = 0;
        if (RegEnumValueW(key, index, value_name, &name_length, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
            break;
        std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD data_bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        name_length = 512;
        RegEnumValueW(key, index, value_name, &name_length, nullptr, &type, reinterpret_cast<BYTE *>(data.data()),
                      &data_bytes);
        out[name + L"|" + value_name] = std::to_wstring(type) + L":" + data;
        ++index;
    }
    for (index = 0;; ++index) {
        wchar_t sub[512];
        DWORD length = 512;
        if (RegEnumKeyExW(key, index, sub, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY child = nullptr;
        if (RegOpenKeyExW(key, sub, 0, KEY_READ, &child) == ERROR_SUCCESS) {
            dump(child, name + L"\\" + sub, out);
            RegCloseKey(child);
        }
    }
}

Snapshot classes(HKEY root) {
    Snapshot s;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, L"Software\\Classes", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        dump(key, L"", s);
        RegCloseKey(key);
    }
    return s;
}

std::wstring value(HKEY root, const std::wstring &key, const wchar_t *name = nullptr) {
    wchar_t data[1024] = {};
    DWORD bytes = sizeof data - sizeof(wchar_t);
    const std::wstring path = L"Software\\Classes\\" + key;
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &bytes) != ERROR_SUCCESS)
        return L"<missing>";
    return data;
}

bool key_exists(HKEY root, const std::wstring &key) {
    HKEY k = nullptr;
    const std::wstring path = L"Software\\Classes\\" + key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

// Differences, for a readable failure.
std::wstring diff(const Snapshot &a, const Snapshot &b) {
    std::wstring out;
    for (const auto &[k, v] : a)
        if (!b.count(k) || b.at(k) != v)
            out += L"- " + k + L"\n";
    for (const auto &[k, v] : b)
        if (!a.count(k))
            out += L"+ " + k + L"\n";
    return out.substr(0, 4000);
}

std::string narrow(const std::wstring &w) { return std::string(w.begin(), w.end()); }

const std::wstring kClsidKey = L"CLSID\\{93065203-8A40-44E8-A1EA-161916329191}";
const std::wstring kLibKey = L"TypeLib\\{5A1EE85E-7367-4D00-916B-526916093BDD}";

class Registration : public ::testing::Test {
protected:
    OleThread ole;
    Dll dll;

    // Each case starts from an unregistered component, whatever an earlier
    // run left in this prefix.
    void SetUp() override {
        ASSERT_TRUE(dll.ok());
        dll.unregister_server();
        dll.install(FALSE, L"user");
    }

    // What any registration writes, under one root.
    void expect_registered(HKEY root) {
        EXPECT_EQ(value(root, kClsidKey + L"\\InprocServer32"), dll_path());
        EXPECT_EQ(value(root, kClsidKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
        EXPECT_EQ(value(root, kClsidKey + L"\\ProgID"), L"rotamcmd.ZynOptCmd120");
        EXPECT_TRUE(key_exists(root, kClsidKey + L"\\Control"));
        EXPECT_EQ(value(root, L"rotamcmd.ZynOptCmd120\\CLSID"), L"{93065203-8A40-44E8-A1EA-161916329191}");
#ifdef _WIN64
        EXPECT_EQ(value(root, kLibKey + L"\\1.0\\0\\win64"), dll_path());
#else
        EXPECT_EQ(value(root, kLibKey + L"\\1.0\\0\\win32"), dll_path());
#endif
        // The events interface marshals through the type library.
        EXPECT_EQ(value(root, L"Interface\\{C32F831F-32EC-4763-9C9E-474968030B2B}\\ProxyStubClsid32"),
                  L"{00020420-0000-0000-C000-000000000046}");
        EXPECT_EQ(value(root, L"Interface\\{C32F831F-32EC-4763-9C9E-474968030B2B}\\TypeLib", L"Version"), L"1.0");
    }
};

TEST_F(Registration, ForTheMachineRoundTripsAndCreatesByProgramIdentifier) {
    const Snapshot machine = classes(HKEY_LOCAL_MACHINE), user = classes(HKEY_CURRENT_USER);
    ASSERT_EQ(dll.register_server(), S_OK);
    expect_registered(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(classes(HKEY_CURRENT_USER), user);

    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(L"rotamcmd.ZynOptCmd120", &clsid), S_OK);
    EXPECT_EQ(clsid, com::CLSID_ZynOptCmd120);
    com_ptr<IDispatch> control;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, control.put_void()), S_OK);
    // The registered library is the same one the control describes itself by.
    com_ptr<ITypeLib> registered;
    EXPECT_EQ(LoadRegTypeLib(com::LIBID_rotamcmd, 1, 0, 0, registered.put()), S_OK);
    control.reset();

    ASSERT_EQ(dll.unregister_server(), S_OK);
    const Snapshot after = classes(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(after, machine) << narrow(diff(machine, after));
    EXPECT_NE(CLSIDFromProgID(L"rotamcmd.ZynOptCmd120", &clsid), S_OK);
}

TEST_F(Registration, ForTheUserTouchesOnlyTheUsersClasses) {
    const Snapshot machine = classes(HKEY_LOCAL_MACHINE), user = classes(HKEY_CURRENT_USER);
    ASSERT_EQ(dll.install(TRUE, L"user"), S_OK);
    expect_registered(HKEY_CURRENT_USER);
    EXPECT_EQ(classes(HKEY_LOCAL_MACHINE), machine);
    ASSERT_EQ(dll.install(FALSE, L"USER"), S_OK);
    const Snapshot after = classes(HKEY_CURRENT_USER);
    EXPECT_EQ(after, user) << narrow(diff(user, after));
}

TEST_F(Registration, UnknownScopesAndRepeatedUnregistrationChangeNothing) {
    const Snapshot machine = classes(HKEY_LOCAL_MACHINE), user = classes(HKEY_CURRENT_USER);
    EXPECT_EQ(dll.install(TRUE, L"everyone"), E_INVALIDARG);
    EXPECT_EQ(dll.unregister_server(), S_OK);
    EXPECT_EQ(dll.install(FALSE, L"user"), S_OK);
    EXPECT_EQ(classes(HKEY_LOCAL_MACHINE), machine);
    EXPECT_EQ(classes(HKEY_CURRENT_USER), user);
}

// Another version of the library registered beside ours is not ours to
// remove, nor is its library key.
TEST_F(Registration, UnregisteringLeavesOtherVersionsOfTheLibrary) {
    const std::wstring other = L"Software\\Classes\\" + kLibKey + L"\\2.0";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, other.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(dll.install(TRUE, L"user"), S_OK);
    ASSERT_EQ(dll.install(FALSE, L"user"), S_OK);
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, kLibKey + L"\\2.0"));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, kLibKey + L"\\1.0"));
    RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + kLibKey).c_str());
}

DWORD run_regsvr32(const std::wstring &arguments) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(system) + L"\\regsvr32.exe\" " + arguments + L" \"" + dll_path() + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 0xFFFFFFFF;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0xFFFFFFFE;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

TEST_F(Registration, Regsvr32RegistersAndUnregistersBothWays) {
    const Snapshot machine = classes(HKEY_LOCAL_MACHINE), user = classes(HKEY_CURRENT_USER);
    ASSERT_EQ(run_regsvr32(L"/s"), 0u);
    expect_registered(HKEY_LOCAL_MACHINE);
    ASSERT_EQ(run_regsvr32(L"/u /s"), 0u);
    EXPECT_EQ(classes(HKEY_LOCAL_MACHINE), machine);

    ASSERT_EQ(run_regsvr32(L"/s /n /i:user"), 0u);
    expect_registered(HKEY_CURRENT_USER);
    EXPECT_EQ(classes(HKEY_LOCAL_MACHINE), machine);
    ASSERT_EQ(run_regsvr32(L"/u /s /n /i:user"), 0u);
    EXPECT_EQ(classes(HKEY_CURRENT_USER), user);
}

}  // namespace
}  // namespace rotam::test
