// connection_point.cpp -- IConnectionPointContainer with its two connection
// points, for the event interfaces __TVKChecksum2 and __TVKChecksum.
#include "connection_point.h"

#include <new>

namespace tvkcom {

const IID &event_iid(EventPoint point) {
    return point == kFirstEvents ? DIID___TVKChecksum : DIID___TVKChecksum2;
}

namespace {

HRESULT add_sink(ControlObject *obj, EventPoint point, IDispatch *dispatch, DWORD *cookie) {
    try {
        if (!obj->sinks)
            obj->sinks = new SinkList;
        const DWORD id = obj->sinks->next_cookie++;
        obj->sinks->sinks.push_back(Sink{id, dispatch, point});
        *cookie = id;
        return S_OK;
    } catch (...) {
        IDispatch_Release(dispatch);
        return E_OUTOFMEMORY;
    }
}

HRESULT query_dispatch(IUnknown *sink, const IID &iid, IDispatch **out) {
    return IUnknown_QueryInterface(sink, iid, reinterpret_cast<void **>(out));
}

} // namespace

HRESULT connect_sink(ControlObject *obj, EventPoint point, IUnknown *sink, DWORD *cookie) {
    if (!sink || !cookie)
        return E_POINTER;
    *cookie = 0;
    IDispatch *dispatch = nullptr;
    if (FAILED(query_dispatch(sink, event_iid(point), &dispatch)) &&
        FAILED(query_dispatch(sink, IID_IDispatch, &dispatch)))
        return CONNECT_E_CANNOTCONNECT;
    return add_sink(obj, point, dispatch, cookie);
}

HRESULT connect_container_sink(ControlObject *obj, IUnknown *sink, DWORD *cookie) {
    if (!sink || !cookie)
        return E_POINTER;
    // A container built against the first version answers its interface only.
    IDispatch *probe = nullptr;
    EventPoint point = kEvents;
    if (FAILED(query_dispatch(sink, event_iid(kEvents), &probe)) &&
        SUCCEEDED(query_dispatch(sink, event_iid(kFirstEvents), &probe)))
        point = kFirstEvents;
    if (probe)
        IDispatch_Release(probe);
    return connect_sink(obj, point, sink, cookie);
}

HRESULT disconnect_sink(ControlObject *obj, EventPoint point, DWORD cookie) {
    if (obj->sinks) {
        auto &list = obj->sinks->sinks;
        for (auto it = list.begin(); it != list.end(); ++it) {
            if (it->cookie == cookie && it->point == point) {
                IDispatch *sink = it->sink;
                list.erase(it);
                IDispatch_Release(sink);
                return S_OK;
            }
        }
    }
    return CONNECT_E_NOCONNECTION;
}

void release_sinks(ControlObject *obj) {
    SinkList *list = obj->sinks;
    obj->sinks = nullptr;
    if (!list)
        return;
    for (Sink &entry : list->sinks)
        IDispatch_Release(entry.sink);
    delete list;
}

void fire_event(ControlObject *obj, DISPID id, VARIANTARG *args, UINT count, bool first_version) {
    if (!obj->sinks || obj->sinks->sinks.empty())
        return;
    // Handlers may connect, disconnect or release the control: call a copy
    // of the list, each sink held for the call.
    std::vector<IDispatch *> targets;
    targets.reserve(obj->sinks->sinks.size());
    for (Sink &entry : obj->sinks->sinks) {
        if (entry.point == kFirstEvents && !first_version)
            continue;
        IDispatch_AddRef(entry.sink);
        targets.push_back(entry.sink);
    }
    DISPPARAMS params = {args, nullptr, count, 0};
    for (IDispatch *sink : targets) {
        IDispatch_Invoke(sink, id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                         nullptr, nullptr);
        IDispatch_Release(sink);
    }
}

namespace {

// IConnectionPointContainer

HRESULT STDMETHODCALLTYPE cpc_enum(IConnectionPointContainer *iface, IEnumConnectionPoints **out) {
    return create_connection_points_enum(impl_from(iface), out);
}

HRESULT STDMETHODCALLTYPE cpc_find(IConnectionPointContainer *iface, REFIID riid,
                                   IConnectionPoint **out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    ControlObject *obj = impl_from(iface);
    for (const EventPoint point : {kEvents, kFirstEvents}) {
        if (IsEqualGUID(riid, event_iid(point))) {
            *out = &obj->ConnectionPoint_iface[point];
            object_add_ref(obj);
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

// IConnectionPoint, one vtable per point. A point is part of the control
// object, but its QueryInterface answers only for itself, as a separate
// object would.

template <EventPoint Point>
HRESULT STDMETHODCALLTYPE cp_query_interface(IConnectionPoint *iface, REFIID riid, void **out) {
    if (!out)
        return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IConnectionPoint)) {
        *out = iface;
        object_add_ref(impl_from_point<Point>(iface));
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

template <EventPoint Point> ULONG STDMETHODCALLTYPE cp_add_ref(IConnectionPoint *iface) {
    return object_add_ref(impl_from_point<Point>(iface));
}

template <EventPoint Point> ULONG STDMETHODCALLTYPE cp_release(IConnectionPoint *iface) {
    return object_release(impl_from_point<Point>(iface));
}

template <EventPoint Point>
HRESULT STDMETHODCALLTYPE cp_get_interface(IConnectionPoint *, IID *iid) {
    if (!iid)
        return E_POINTER;
    *iid = event_iid(Point);
    return S_OK;
}

template <EventPoint Point>
HRESULT STDMETHODCALLTYPE cp_get_container(IConnectionPoint *iface,
                                           IConnectionPointContainer **out) {
    if (!out)
        return E_POINTER;
    ControlObject *obj = impl_from_point<Point>(iface);
    *out = &obj->ConnectionPointContainer_iface;
    object_add_ref(obj);
    return S_OK;
}

template <EventPoint Point>
HRESULT STDMETHODCALLTYPE cp_advise(IConnectionPoint *iface, IUnknown *sink, DWORD *cookie) {
    return connect_sink(impl_from_point<Point>(iface), Point, sink, cookie);
}

template <EventPoint Point>
HRESULT STDMETHODCALLTYPE cp_unadvise(IConnectionPoint *iface, DWORD cookie) {
    return disconnect_sink(impl_from_point<Point>(iface), Point, cookie);
}

template <EventPoint Point>
HRESULT STDMETHODCALLTYPE cp_enum_connections(IConnectionPoint *iface, IEnumConnections **out) {
    return create_connections_enum(impl_from_point<Point>(iface), Point, out);
}

template <EventPoint Point> constexpr IConnectionPointVtbl point_vtbl() {
    return {
        cp_query_interface<Point>, cp_add_ref<Point>,          cp_release<Point>,
        cp_get_interface<Point>,   cp_get_container<Point>,    cp_advise<Point>,
        cp_unadvise<Point>,        cp_enum_connections<Point>,
    };
}

} // namespace

const IConnectionPointContainerVtbl cpc_vtbl = {
    forward_query_interface<IConnectionPointContainer>,
    forward_add_ref<IConnectionPointContainer>,
    forward_release<IConnectionPointContainer>,
    cpc_enum,
    cpc_find,
};

const IConnectionPointVtbl connection_point_vtbl[kEventPoints] = {
    point_vtbl<kEvents>(),
    point_vtbl<kFirstEvents>(),
};

} // namespace tvkcom
