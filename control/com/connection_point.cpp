#include "connection_point.h"

#include <algorithm>
#include <new>

#include "module.h"

namespace rotam::com {
namespace {

// The two enumerators the connection interfaces ask for, over a snapshot.
template <class Enum, class Item, class Stored>
class Enumerator final : public RefCounted<Enumerator<Enum, Item, Stored>, Enum> {
public:
    using Items = std::vector<Stored>;
    Enumerator(std::shared_ptr<const Items> items, const IID &iid, std::size_t pos = 0)
        : items_(std::move(items)), iid_(iid), pos_(pos) {
        object_created();
    }
    ~Enumerator() { object_destroyed(); }

    STDMETHODIMP QueryInterface(REFIID riid, void **out) override {
        const bool known = riid == IID_IUnknown || riid == iid_;
        return answer_query(known ? static_cast<Enum *>(this) : nullptr, out);
    }
    STDMETHODIMP Next(ULONG count, Item *out, ULONG *fetched) override {
        ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
        if (count > 1 && !fetched)
            return E_INVALIDARG;
        ULONG n = 0;
        while (n < count && pos_ < items_->size())
            out[n++] = hand_out((*items_)[pos_++]);
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        const std::size_t left = items_->size() - pos_;
        pos_ += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        pos_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Enum **out) override {
        ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
        *out = new (std::nothrow) Enumerator(items_, iid_, pos_);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

private:
    static IConnectionPoint *hand_out(const com_ptr<IConnectionPoint> &p) {
        p->AddRef();
        return p.get();
    }
    static CONNECTDATA hand_out(const ConnectionPoint::Connection &c) {
        IUnknown *unknown = nullptr;
        c.sink->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&unknown));
        return CONNECTDATA{unknown, c.cookie};
    }

    std::shared_ptr<const Items> items_;
    IID iid_;
    std::size_t pos_;
};

using ConnectionEnum = Enumerator<IEnumConnections, CONNECTDATA, ConnectionPoint::Connection>;
using PointEnum = Enumerator<IEnumConnectionPoints, IConnectionPoint *, com_ptr<IConnectionPoint>>;

}  // namespace

ConnectionPoint::ConnectionPoint(IConnectionPointContainer &container, REFIID iid)
    : container_(container), iid_(iid), sinks_(std::make_shared<const Sinks>()) {}

ConnectionPoint::~ConnectionPoint() { disconnect_all(); }

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID riid, void **out) {
    const bool known = riid == IID_IUnknown || riid == IID_IConnectionPoint;
    return answer_query(known ? this : nullptr, out);
}

STDMETHODIMP_(ULONG) ConnectionPoint::AddRef() { return container_.AddRef(); }
STDMETHODIMP_(ULONG) ConnectionPoint::Release() { return container_.Release(); }

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID *iid) {
    ROTAM_RETURN_HR_IF_NULL(E_POINTER, iid);
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer **out) {
    ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
    *out = &container_;
    container_.AddRef();
    return S_OK;
}

// A sink must speak the event interface; a plain IDispatch that does not
// claim it is taken as well, since script engines' sinks answer only that.
STDMETHODIMP ConnectionPoint::Advise(IUnknown *sink, DWORD *cookie) {
    ROTAM_RETURN_HR_IF_NULL(E_POINTER, cookie);
    *cookie = 0;
    ROTAM_RETURN_HR_IF_NULL(E_POINTER, sink);
    com_ptr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(iid_, dispatch.put_void())) &&
        FAILED(sink->QueryInterface(IID_IDispatch, dispatch.put_void())))
        return CONNECT_E_CANNOTCONNECT;
    try {
        connections_.push_back(Connection{next_cookie_, std::move(dispatch)});
        publish();
    } catch (const std::bad_alloc &) {
        if (!connections_.empty() && connections_.back().cookie == next_cookie_)
            connections_.pop_back();
        return E_OUTOFMEMORY;
    }
    *cookie = next_cookie_++;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
    auto it = std::find_if(connections_.begin(), connections_.end(),
                           [cookie](const Connection &c) { return c.cookie == cookie; });
    if (it == connections_.end())
        return CONNECT_E_NOCONNECTION;
    // The sink may hold the last reference to its own host object: let it go
    // only after our lists no longer name it.
    com_ptr<IDispatch> leaving = std::move(it->sink);
    connections_.erase(it);
    try {
        publish();
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections **out) {
    ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
    *out = nullptr;
    try {
        auto items = std::make_shared<const std::vector<Connection>>(connections_);
        *out = new ConnectionEnum(std::move(items), IID_IEnumConnections);
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

void ConnectionPoint::disconnect_all() {
    std::vector<Connection> leaving;
    leaving.swap(connections_);
    sinks_ = std::make_shared<const Sinks>();
}

void ConnectionPoint::publish() {
    auto sinks = std::make_shared<Sinks>();
    sinks->reserve(connections_.size());
    for (const Connection &c : connections_)
        sinks->push_back(c.sink);
    sinks_ = std::move(sinks);
}

HRESULT make_connection_point_enum(std::span<IConnectionPoint *const> points,
                                   IEnumConnectionPoints **out) {
    ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
    *out = nullptr;
    try {
        auto items = std::make_shared<std::vector<com_ptr<IConnectionPoint>>>();
        for (IConnectionPoint *p : points)
            items->emplace_back(p);
        *out = new PointEnum(std::move(items), IID_IEnumConnectionPoints);
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

}  // namespace rotam::com
