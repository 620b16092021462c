// connection_point.cpp -- IConnectionPointContainer with its one connection
// point, for the event interface __TVKChecksum.
#include "connection_point.h"

#include <new>

namespace tvkcom {

HRESULT connect_sink(ControlObject *obj, IUnknown *sink, DWORD *cookie) {
    if (!sink || !cookie)
        return E_POINTER;
    *cookie = 0;
    IDispatch *dispatch = nullptr;
    if (FAILED(IUnknown_QueryInterface(sink, DIID___TVKChecksum,
                                       reinterpret_cast<void **>(&dispatch))) &&
        FAILED(IUnknown_QueryInterface(sink, IID_IDispatch, reinterpret_cast<void **>(&dispatch))))
        return CONNECT_E_CANNOTCONNECT;
    try {
        if (!obj->sinks)
            obj->sinks = new SinkList;
        const DWORD id = obj->sinks->next_cookie++;
        obj->sinks->sinks.emplace_back(id, dispatch);
        *cookie = id;
        return S_OK;
    } catch (...) {
        IDispatch_Release(dispatch);
        return E_OUTOFMEMORY;
    }
}

HRESULT disconnect_sink(ControlObject *obj, DWORD cookie) {
    if (obj->sinks) {
        auto &list = obj->sinks->sinks;
        for (auto it = list.begin(); it != list.end(); ++it) {
            if (it->first == cookie) {
                IDispatch *sink = it->second;
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
    for (auto &entry : list->sinks)
        IDispatch_Release(entry.second);
    delete list;
}

void fire_event(ControlObject *obj, DISPID id, VARIANTARG *args, UINT count) {
    if (!obj->sinks || obj->sinks->sinks.empty())
        return;
    // Handlers may connect, disconnect or release the control: call a copy
    // of the list, each sink held for the call.
    std::vector<IDispatch *> targets;
    targets.reserve(obj->sinks->sinks.size());
    for (auto &entry : obj->sinks->sinks) {
        IDispatch_AddRef(entry.second);
        targets.push_back(entry.second);
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
    if (!IsEqualGUID(riid, DIID___TVKChecksum))
        return CONNECT_E_NOCONNECTION;
    ControlObject *obj = impl_from(iface);
    *out = &obj->ConnectionPoint_iface;
    object_add_ref(obj);
    return S_OK;
}

// IConnectionPoint

HRESULT STDMETHODCALLTYPE cp_get_interface(IConnectionPoint *, IID *iid) {
    if (!iid)
        return E_POINTER;
    *iid = DIID___TVKChecksum;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE cp_get_container(IConnectionPoint *iface,
                                           IConnectionPointContainer **out) {
    if (!out)
        return E_POINTER;
    ControlObject *obj = impl_from(iface);
    *out = &obj->ConnectionPointContainer_iface;
    object_add_ref(obj);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE cp_advise(IConnectionPoint *iface, IUnknown *sink, DWORD *cookie) {
    return connect_sink(impl_from(iface), sink, cookie);
}

HRESULT STDMETHODCALLTYPE cp_unadvise(IConnectionPoint *iface, DWORD cookie) {
    return disconnect_sink(impl_from(iface), cookie);
}

HRESULT STDMETHODCALLTYPE cp_enum_connections(IConnectionPoint *iface, IEnumConnections **out) {
    return create_connections_enum(impl_from(iface), out);
}

} // namespace

const IConnectionPointContainerVtbl cpc_vtbl = {
    forward_query_interface<IConnectionPointContainer>,
    forward_add_ref<IConnectionPointContainer>,
    forward_release<IConnectionPointContainer>,
    cpc_enum,
    cpc_find,
};

// The connection point is part of the control object, but its
// QueryInterface answers only for itself, as a separate object would.
namespace {

HRESULT STDMETHODCALLTYPE cp_query_interface(IConnectionPoint *iface, REFIID riid, void **out) {
    if (!out)
        return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IConnectionPoint)) {
        *out = iface;
        object_add_ref(impl_from(iface));
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

} // namespace

const IConnectionPointVtbl connection_point_vtbl = {
    cp_query_interface,
    forward_add_ref<IConnectionPoint>,
    forward_release<IConnectionPoint>,
    cp_get_interface,
    cp_get_container,
    cp_advise,
    cp_unadvise,
    cp_enum_connections,
};

} // namespace tvkcom
