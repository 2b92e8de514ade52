// What the component's automation objects answer alike, all from the type
// library embedded in the component: IDispatch's type information and names,
// and ISupportErrorInfo, for the dispatch interface Iid.  Each object keeps
// its own IUnknown and Invoke.
#pragma once

#include "com_util.h"
#include "module.h"

namespace rotam::com {

template <const IID &Iid>
class TypeLibDispatch : public IDispatch, public ISupportErrorInfo {
public:
    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT *count) override {
        ROTAM_RETURN_HR_IF_NULL(E_POINTER, count);
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo **out) override {
        ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
        *out = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        return type_info(Iid, out);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR *names, UINT count, LCID,
                               DISPID *ids) override {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        com_ptr<ITypeInfo> info;
        ROTAM_RETURN_IF_FAILED(type_info(Iid, info.put()));
        return info->GetIDsOfNames(names, count, ids);
    }

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == Iid || riid == IID_IDispatch ? S_OK : S_FALSE;
    }

protected:
    // QueryInterface's part for these two interfaces; null for any other.
    IUnknown *dispatch_interface(REFIID riid) {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == Iid)
            return static_cast<IDispatch *>(this);
        if (riid == IID_ISupportErrorInfo)
            return static_cast<ISupportErrorInfo *>(this);
        return nullptr;
    }
};

}  // namespace rotam::com
