// Hosts that misbehave, through real COM sinks and the real dialog: each row
// is one kind of bad host.  Whatever the host does, the run must end, the
// host must hear the end the way a good host does, the user's list files
// must be left as they were (the dialog is closed with its close box), and
// once the host lets go nothing of the component may stay alive.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "wintest_util.h"

namespace rotam::test {
namespace {

constexpr DISPID kInitCommand = 0x60030000, kGCINEnd = 0x60030002, kUrgentExit = 0x60030006;
constexpr DISPID kExit = 1, kVersion = 224, kTitle = 255, kRestGCIN = 264;

// Under Wine on a display without a window manager (the tests' Xvfb), every
// hide of a managed window waits two seconds for the manager's answer: a
// hundred runs would take minutes.  This program's windows go unmanaged; the
// setting is read when the first window is made, so it is written before
// main.
const bool kUnmanagedUnderWine = [] {
    if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        return false;
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring name = std::filesystem::path(exe).filename().wstring();
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + name + L"\\X11 Driver";
    return RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Managed", REG_SZ, L"N", 2 * sizeof(wchar_t)) ==
           ERROR_SUCCESS;
}();

Dll &dll() {
    static Dll d;
    return d;
}

// A hang is a failure of its own, not a test run that never ends.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit, std::string what)
        : thread_([this, limit, what = std::move(what)] {
              std::unique_lock lock(mutex_);
              if (!done_cv_.wait_for(lock, limit, [this] { return done_; })) {
                  std::fprintf(stderr, "hang: %s still running after %lld s\n", what.c_str(),
                               static_cast<long long>(limit.count()));
                  std::fflush(stderr);
                  TerminateProcess(GetCurrentProcess(), 3);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        done_cv_.notify_one();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_cv_;
    bool done_ = false;
    std::thread thread_;
};

// The list files beside the component, as bytes ("absent" when missing).
const wchar_t *const kListFiles[] = {L"prnfiles.ara", L"lcount.ara"};

std::vector<std::string> list_files() {
    std::vector<std::string> all;
    for (const wchar_t *name : kListFiles) {
        std::ifstream in(std::filesystem::path(exe_folder() + name), std::ios::binary);
        all.push_back(in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("absent"));
    }
    return all;
}

// A list to leave alone: the user's own when there is one, else one of ours
// for as long as the test runs.
class SomeList {
public:
    SomeList() {
        const char *const content[] = {"C:\\図面\\A.QVZ\r\nC:\\図面\\B.QVZ\r\n", "2\r\n"};
        for (std::size_t i = 0; i < std::size(kListFiles); ++i) {
            const std::filesystem::path path(exe_folder() + kListFiles[i]);
            if (std::filesystem::exists(path))
                continue;
            std::ofstream(path, std::ios::binary) << content[i];
            made_.push_back(path);
        }
    }
    ~SomeList() {
        for (const auto &path : made_)
            std::filesystem::remove(path);
    }

private:
    std::vector<std::filesystem::path> made_;
};

// While the dialog is open: the row's own doings, then the close box if the
// dialog is still there.
class WhileOpen {
public:
    explicit WhileOpen(std::function<void()> action) : action_(std::move(action)) {
        current() = this;
        id_ = SetTimer(nullptr, 0, 20, &WhileOpen::tick);
    }
    ~WhileOpen() {
        KillTimer(nullptr, id_);
        current() = nullptr;
    }

private:
    static WhileOpen *&current() {
        static WhileOpen *now = nullptr;
        return now;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD) {
        WhileOpen *self = current();
        if (!self || self->id_ != id || !find_dialog())
            return;
        KillTimer(nullptr, id);
        self->id_ = 0;
        if (self->action_)
            self->action_();
        if (HWND dialog = find_dialog())
            PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    std::function<void()> action_;
    UINT_PTR id_ = 0;
};

HRESULT answer_version(std::vector<VARIANTARG *> &args, const std::wstring &text) {
    SysFreeString(*args[0]->pbstrVal);
    *args[0]->pbstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return S_OK;
}

// What the bad host has at hand inside its handlers.
struct Host {
    IDispatch *control = nullptr;  // good while the run lasts
    std::vector<DWORD> cookies;    // the hostile sink's first
    std::vector<HRESULT> calls;    // of the calls its handlers made
};

using Behaviour = std::function<HRESULT(Host &, DISPID, std::vector<VARIANTARG *> &)>;

struct Row {
    const char *name;
    Behaviour hostile;  // the first sink
    std::function<void(Host &)> while_open;
    std::vector<DISPID> hostile_hears, others_hear;
    int sinks = 2;  // the hostile one, then well-behaved ones
    int runs = 1;
    bool sink_owns_the_control = false;  // the host's only reference
};

const Behaviour kGood = [](Host &, DISPID id, std::vector<VARIANTARG *> &args) {
    return id == kVersion ? answer_version(args, L"2, 0, 3, 4") : S_OK;
};

const std::vector<DISPID> kOneRun = {kVersion, kExit, kExit};

TEST(HostileHosts, TheRunEndsAsUsualAndNothingIsLeftBehind) {
    OleThread ole;
    ASSERT_TRUE(dll().ok());
    SomeList list;
    IDispatch *owned = nullptr;  // for the row whose sink holds the control
    const Row rows[] = {
        {"a sink that fails every event",
         [](Host &, DISPID id, std::vector<VARIANTARG *> &args) {
             if (id == kVersion)
                 answer_version(args, L"9, 9, 9, 9");
             return DISP_E_EXCEPTION;
         },
         nullptr, kOneRun, kOneRun},
        {"a sink that releases the host's last reference in the end notice",
         [&owned](Host &, DISPID id, std::vector<VARIANTARG *> &) {
             if (id == kExit && owned)
                 std::exchange(owned, nullptr)->Release();
             return S_OK;
         },
         nullptr, kOneRun, kOneRun, 2, 1, true},
        // The urgent exit in the title event ends the run in the middle of a
        // nested call: the well-behaved sink hears the end before the title.
        {"a sink that asks for an urgent exit in every event, the end notice too",
         [](Host &host, DISPID, std::vector<VARIANTARG *> &) {
             host.calls.push_back(call(host.control, kUrgentExit, {}).hr);
             return S_OK;
         },
         [](Host &host) {
             LONG l = 0;
             double d = 0;
             BSTR s = SysAllocString(L"");
             host.calls.push_back(call(host.control, kGCINEnd,
                                       {ref(l), ref(l), ref(l), ref(l), ref(d), ref(d), ref(d), ref(d), ref(d),
                                        ref(d), ref(d), ref(d), ref(l), ref(l), ref(l), ref(l), ref(s)})
                                      .hr);
             SysFreeString(s);
         },
         {kVersion, kTitle, kExit, kRestGCIN, kExit}, {kVersion, kExit, kTitle, kRestGCIN, kExit}},
        {"a sink that disconnects itself in an event",
         [](Host &host, DISPID, std::vector<VARIANTARG *> &) {
             host.calls.push_back(unadvise(host.control, host.cookies[0]));
             return S_OK;
         },
         nullptr, {kVersion}, kOneRun},
        // Empty as a script host hands it out: no string at all.
        {"an empty version",
         [](Host &, DISPID id, std::vector<VARIANTARG *> &args) {
             if (id == kVersion)
                 SysFreeString(std::exchange(*args[0]->pbstrVal, nullptr));
             return S_OK;
         },
         nullptr, kOneRun, kOneRun},
        {"a version that is no version",
         [](Host &, DISPID id, std::vector<VARIANTARG *> &args) {
             return id == kVersion ? answer_version(args, L"garbage") : S_OK;
         },
         nullptr, kOneRun, kOneRun},
        {"a version of 10 MB",
         [](Host &, DISPID id, std::vector<VARIANTARG *> &args) {
             return id == kVersion ? answer_version(args, std::wstring(10 << 20, L'9')) : S_OK;
         },
         nullptr, kOneRun, kOneRun},
        {"100 runs back to back, 3 sinks each", kGood, nullptr, kOneRun, kOneRun, 3, 100},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Watchdog watchdog(std::chrono::seconds(row.runs * 5 + 60), row.name);
        const std::vector<std::string> files_before = list_files();
        for (int run = 0; run < row.runs && !HasFailure(); ++run) {
            com_ptr<IDispatch> control = dll().create();
            ASSERT_TRUE(control);
            Host host;
            host.control = control.get();
            std::vector<com_ptr<Sink>> sinks;
            std::vector<std::vector<DISPID>> heard(row.sinks);
            for (int i = 0; i < row.sinks; ++i) {
                sinks.push_back(Sink::make());
                const Behaviour &behave = i == 0 ? row.hostile : kGood;
                sinks[i]->handler = [&host, &heard, &behave, i](DISPID id, std::vector<VARIANTARG *> &args) {
                    heard[i].push_back(id);
                    return behave(host, id, args);
                };
                host.cookies.push_back(advise(control.get(), sinks[i].get()));
                ASSERT_NE(host.cookies.back(), 0u);
            }
            if (row.sink_owns_the_control)
                owned = control.detach();
            {
                WhileOpen act([&] {
                    if (row.while_open)
                        row.while_open(host);
                });
                // No reference of the call's own: the row's sink may drop the
                // last one while the call is inside the control.
                const Outcome o = call(host.control, kInitCommand, {});
                EXPECT_EQ(o.hr, S_OK);
            }
            EXPECT_EQ(find_dialog(), nullptr);
            control.reset();
            host.control = nullptr;
            EXPECT_EQ(owned, nullptr);
            for (HRESULT hr : host.calls)
                EXPECT_EQ(hr, S_OK);
            for (int i = 0; i < row.sinks; ++i) {
                EXPECT_EQ(heard[i], i == 0 ? row.hostile_hears : row.others_hear) << "sink " << i << " run " << run;
                EXPECT_EQ(sinks[i]->refs, 1u) << "the control let go of sink " << i;
            }
        }
        EXPECT_EQ(list_files(), files_before);
        EXPECT_EQ(dll().can_unload_now(), S_OK);
    }
}

}  // namespace
}  // namespace rotam::test
