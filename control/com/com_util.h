// Small COM helpers in the manner of the usual smart-pointer libraries:
// an owning interface pointer, an owning BSTR, conversions between BSTR and
// the core's UTF-16 strings, HRESULT early returns, and the IUnknown
// plumbing that objects share.  Nothing here depends on the component, so
// the reference host may use it as well.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <olectl.h>

#include <string>
#include <string_view>
#include <utility>

namespace rotam::com {

#define ROTAM_RETURN_IF_FAILED(expr)     \
    do {                                 \
        const HRESULT hr_ = (expr);      \
        if (FAILED(hr_))                 \
            return hr_;                  \
    } while (0)

#define ROTAM_RETURN_HR_IF_NULL(hr, ptr) \
    do {                                 \
        if (!(ptr))                      \
            return (hr);                 \
    } while (0)

// Owns one reference to an interface.
template <class T>
class com_ptr {
public:
    com_ptr() = default;
    com_ptr(std::nullptr_t) {}
    // Takes a new reference.
    explicit com_ptr(T *p) : p_(p) {
        if (p_)
            p_->AddRef();
    }
    com_ptr(const com_ptr &o) : com_ptr(o.p_) {}
    com_ptr(com_ptr &&o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    com_ptr &operator=(com_ptr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~com_ptr() { reset(); }

    // Adopts a reference the caller already owns.
    static com_ptr attach(T *p) {
        com_ptr r;
        r.p_ = p;
        return r;
    }
    T *detach() { return std::exchange(p_, nullptr); }
    void reset() {
        if (T *p = std::exchange(p_, nullptr))
            p->Release();
    }
    // For out parameters: drops what is held and hands out the slot.
    T **put() {
        reset();
        return &p_;
    }
    void **put_void() { return reinterpret_cast<void **>(put()); }

    T *get() const { return p_; }
    T *operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    template <class U>
    com_ptr<U> query(REFIID iid) const {
        com_ptr<U> r;
        if (p_)
            p_->QueryInterface(iid, r.put_void());
        return r;
    }
    // Hands a new reference to an out parameter.
    HRESULT copy_to(T **out) const {
        if (!out)
            return E_POINTER;
        *out = p_;
        if (p_)
            p_->AddRef();
        return S_OK;
    }

private:
    T *p_ = nullptr;
};

// Owns a BSTR.
class unique_bstr {
public:
    unique_bstr() = default;
    explicit unique_bstr(BSTR b) : b_(b) {}
    unique_bstr(const unique_bstr &) = delete;
    unique_bstr &operator=(const unique_bstr &) = delete;
    unique_bstr(unique_bstr &&o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
    unique_bstr &operator=(unique_bstr &&o) noexcept {
        reset(std::exchange(o.b_, nullptr));
        return *this;
    }
    ~unique_bstr() { reset(); }

    void reset(BSTR b = nullptr) {
        if (b_ != b)
            SysFreeString(b_);
        b_ = b;
    }
    BSTR get() const { return b_; }
    BSTR release() { return std::exchange(b_, nullptr); }
    BSTR *put() {
        reset();
        return &b_;
    }

private:
    BSTR b_ = nullptr;
};

// A BSTR keeps its length, so embedded nulls survive both ways; a null BSTR
// is the empty string.
inline BSTR to_bstr(std::u16string_view s) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR *>(s.data()),
                             static_cast<UINT>(s.size()));
}

inline std::u16string from_bstr(BSTR b) {
    if (!b)
        return {};
    return std::u16string(reinterpret_cast<const char16_t *>(b), SysStringLen(b));
}

inline std::u16string to_u16(std::wstring_view s) {
    return std::u16string(reinterpret_cast<const char16_t *>(s.data()), s.size());
}

inline std::wstring to_wide(std::u16string_view s) {
    return std::wstring(reinterpret_cast<const wchar_t *>(s.data()), s.size());
}

// UTF-8 (the run-time errors' texts) to a BSTR.
inline BSTR utf8_to_bstr(std::string_view s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    BSTR b = SysAllocStringLen(nullptr, static_cast<UINT>(n));
    if (b && n > 0)
        MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), b, n);
    return b;
}

// A VARIANT that clears itself.
struct unique_variant : VARIANT {
    unique_variant() { VariantInit(this); }
    unique_variant(const unique_variant &) = delete;
    unique_variant &operator=(const unique_variant &) = delete;
    ~unique_variant() { VariantClear(this); }
    void reset() { VariantClear(this); }
};

// QueryInterface's answer, given the object as the interface asked for, or
// null when it has no such interface.
inline HRESULT answer_query(IUnknown *found, void **out) {
    ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
    *out = found;
    ROTAM_RETURN_HR_IF_NULL(E_NOINTERFACE, found);
    found->AddRef();
    return S_OK;
}

// AddRef and Release for an object that deletes itself with its last
// reference.  Derived is the final class: it is deleted as itself because
// COM interfaces have no virtual destructor.
template <class Derived, class Base>
class RefCounted : public Base {
public:
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG r = --refs_;
        if (r == 0)
            delete static_cast<Derived *>(this);
        return r;
    }

private:
    ULONG refs_ = 1;
};

}  // namespace rotam::com
