#include "event_fire.h"

#include <array>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "runtime_error.h"

namespace rotam::com {
namespace {

// Where one by-reference argument lives while a sink has it.
union Slot {
    SHORT i2;
    LONG i4;
    double r8;
    BSTR bstr;
};

// Enough for every event of the catalogue (the longest has 59 arguments);
// a longer list goes to the heap.
constexpr std::size_t kInlineArgs = 64;

class Frame {
public:
    Frame(EventArg *args, std::size_t count) : args_(args), count_(count) {
        if (count > kInlineArgs) {
            heap_va_.resize(count);
            heap_slots_.resize(count);
            va_ = heap_va_.data();
            slots_ = heap_slots_.data();
        }
    }
    Frame(const Frame &) = delete;
    Frame &operator=(const Frame &) = delete;
    ~Frame() { free_strings(); }

    // Copies the caller's values into fresh slots for the next sink.
    void load() {
        free_strings();
        for (std::size_t i = 0; i < count_; ++i) {
            VARIANTARG &v = va_[count_ - 1 - i];
            Slot &s = slots_[i];
            void *ref = args_[i].ref;
            switch (args_[i].type) {
            case ArgType::I2:
                s.i2 = *static_cast<std::int16_t *>(ref);
                v.vt = VT_BYREF | VT_I2;
                v.piVal = &s.i2;
                break;
            case ArgType::I4:
                s.i4 = *static_cast<std::int32_t *>(ref);
                v.vt = VT_BYREF | VT_I4;
                v.plVal = &s.i4;
                break;
            case ArgType::R8:
                s.r8 = *static_cast<double *>(ref);
                v.vt = VT_BYREF | VT_R8;
                v.pdblVal = &s.r8;
                break;
            case ArgType::Str: {
                const auto &text = *static_cast<std::u16string *>(ref);
                s.bstr = to_bstr(text);
                if (!s.bstr) {
                    strings_loaded_ = i;
                    throw RuntimeError(7, "Out of memory");
                }
                v.vt = VT_BYREF | VT_BSTR;
                v.pbstrVal = &s.bstr;
                break;
            }
            case ArgType::I4ByVal:
                v.vt = VT_I4;
                v.lVal = *static_cast<std::int32_t *>(ref);
                break;
            }
        }
        strings_loaded_ = count_;
    }

    // Hands what the sink wrote back to the caller.  A sink may have put a
    // string of its own in place of ours; it freed ours in doing so.
    void store() {
        for (std::size_t i = 0; i < count_; ++i) {
            const Slot &s = slots_[i];
            void *ref = args_[i].ref;
            switch (args_[i].type) {
            case ArgType::I2:
                *static_cast<std::int16_t *>(ref) = s.i2;
                break;
            case ArgType::I4:
                *static_cast<std::int32_t *>(ref) = s.i4;
                break;
            case ArgType::R8:
                *static_cast<double *>(ref) = s.r8;
                break;
            case ArgType::Str: {
                auto &text = *static_cast<std::u16string *>(ref);
                const UINT n = s.bstr ? SysStringLen(s.bstr) : 0;
                if (n != text.size() || (n && text.compare(0, n, reinterpret_cast<const char16_t *>(s.bstr), n) != 0))
                    text.assign(reinterpret_cast<const char16_t *>(s.bstr), n);
                break;
            }
            case ArgType::I4ByVal:
                break;
            }
        }
    }

    DISPPARAMS params() {
        return DISPPARAMS{va_, nullptr, static_cast<UINT>(count_), 0};
    }

private:
    void free_strings() {
        for (std::size_t i = 0; i < strings_loaded_; ++i) {
            if (args_[i].type == ArgType::Str) {
                SysFreeString(slots_[i].bstr);
                slots_[i].bstr = nullptr;
            }
        }
        strings_loaded_ = 0;
    }

    EventArg *args_;
    std::size_t count_;
    std::size_t strings_loaded_ = 0;
    std::array<VARIANTARG, kInlineArgs> inline_va_;
    std::array<Slot, kInlineArgs> inline_slots_;
    std::vector<VARIANTARG> heap_va_;
    std::vector<Slot> heap_slots_;
    VARIANTARG *va_ = inline_va_.data();
    Slot *slots_ = inline_slots_.data();
};

}  // namespace

void fire_event(std::span<const com_ptr<IDispatch>> sinks, DISPID dispid, EventArg *args,
                std::size_t count) {
    if (sinks.empty())
        return;
    try {
        Frame frame(args, count);
        for (const com_ptr<IDispatch> &sink : sinks) {
            frame.load();
            DISPPARAMS params = frame.params();
            VARIANT result;
            VariantInit(&result);
            EXCEPINFO excep{};
            UINT arg_error = 0;
            const HRESULT hr = sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                            &params, &result, &excep, &arg_error);
            VariantClear(&result);
            SysFreeString(excep.bstrSource);
            SysFreeString(excep.bstrDescription);
            SysFreeString(excep.bstrHelpFile);
            if (SUCCEEDED(hr))
                frame.store();
        }
    } catch (const std::bad_alloc &) {
        throw RuntimeError(7, "Out of memory");
    }
}

}  // namespace rotam::com
