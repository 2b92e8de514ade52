// The one outgoing interface of the control: a connection point for
// __ZynOptCmd120 that any number of sinks may join.
#pragma once

#include <ocidl.h>

#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "com_util.h"

namespace rotam::com {

class ConnectionPoint final : public IConnectionPoint {
public:
    // The point lives inside its container and shares its reference count.
    ConnectionPoint(IConnectionPointContainer &container, REFIID iid);
    ~ConnectionPoint();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IConnectionPoint
    STDMETHODIMP GetConnectionInterface(IID *iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer **out) override;
    STDMETHODIMP Advise(IUnknown *sink, DWORD *cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections **out) override;

    struct Connection {
        DWORD cookie;
        com_ptr<IDispatch> sink;
    };
    // The sinks as they are now.  The list is never changed in place (Advise
    // and Unadvise make a new one), so a raise can keep walking the list it
    // started with while a handler connects or disconnects.
    using Sinks = std::vector<com_ptr<IDispatch>>;
    std::shared_ptr<const Sinks> sinks() const { return sinks_; }

    // Lets every sink go; the owner calls this when it is destroyed.
    void disconnect_all();

private:
    void publish();

    IConnectionPointContainer &container_;
    IID iid_;
    std::vector<Connection> connections_;
    std::shared_ptr<const Sinks> sinks_;
    DWORD next_cookie_ = 1;
};

// An enumerator of connection points over a fixed list.
HRESULT make_connection_point_enum(std::span<IConnectionPoint *const> points,
                                   IEnumConnectionPoints **out);

}  // namespace rotam::com
