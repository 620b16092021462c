// connection_enumerators.cpp -- IEnumConnectionPoints (the one connection
// point) and IEnumConnections (a snapshot of the connected sinks). Each
// enumerator holds the control object while it lives.
#include "connection_point.h"
#include "module.h"

#include <new>

namespace tvkcom {
namespace {

template <typename Item> struct Enumerator {
    LONG ref = 1;
    ControlObject *owner = nullptr;
    std::vector<Item> items; // each item holds one reference
    std::size_t position = 0;
};

void add_ref_item(IConnectionPoint *item) {
    IConnectionPoint_AddRef(item);
}
void add_ref_item(const CONNECTDATA &item) {
    IUnknown_AddRef(item.pUnk);
}
void release_item(IConnectionPoint *item) {
    IConnectionPoint_Release(item);
}
void release_item(const CONNECTDATA &item) {
    IUnknown_Release(item.pUnk);
}

template <typename Item> Enumerator<Item> *make_enumerator(ControlObject *owner) {
    auto *e = new (std::nothrow) Enumerator<Item>;
    if (e) {
        e->owner = owner;
        object_add_ref(owner);
        module_object_created();
    }
    return e;
}

template <typename Item> void destroy_enumerator(Enumerator<Item> *e) {
    for (const Item &item : e->items)
        release_item(item);
    object_release(e->owner);
    delete e;
    module_object_destroyed();
}

template <typename Item> HRESULT next(Enumerator<Item> *e, ULONG count, Item *out, ULONG *fetched) {
    if (!out || (count > 1 && !fetched))
        return E_POINTER;
    ULONG done = 0;
    while (done < count && e->position < e->items.size()) {
        out[done] = e->items[e->position++];
        add_ref_item(out[done]);
        ++done;
    }
    if (fetched)
        *fetched = done;
    return done == count ? S_OK : S_FALSE;
}

template <typename Item> HRESULT skip(Enumerator<Item> *e, ULONG count) {
    const std::size_t left = e->items.size() - e->position;
    if (count > left) {
        e->position = e->items.size();
        return S_FALSE;
    }
    e->position += count;
    return S_OK;
}

template <typename Item> Enumerator<Item> *copy(Enumerator<Item> *e) {
    Enumerator<Item> *twin = make_enumerator<Item>(e->owner);
    if (!twin)
        return nullptr;
    try {
        twin->items = e->items;
    } catch (...) {
        destroy_enumerator(twin);
        return nullptr;
    }
    for (const Item &item : twin->items)
        add_ref_item(item);
    twin->position = e->position;
    return twin;
}

// IEnumConnectionPoints

struct PointsEnum {
    IEnumConnectionPoints iface;
    Enumerator<IConnectionPoint *> *state;
};

PointsEnum *impl_from_points(IEnumConnectionPoints *iface) {
    return reinterpret_cast<PointsEnum *>(iface);
}

HRESULT wrap_points(Enumerator<IConnectionPoint *> *state, IEnumConnectionPoints **out);

HRESULT STDMETHODCALLTYPE points_qi(IEnumConnectionPoints *iface, REFIID riid, void **out) {
    if (!out)
        return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IEnumConnectionPoints)) {
        *out = iface;
        IEnumConnectionPoints_AddRef(iface);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE points_add_ref(IEnumConnectionPoints *iface) {
    return static_cast<ULONG>(InterlockedIncrement(&impl_from_points(iface)->state->ref));
}
ULONG STDMETHODCALLTYPE points_release(IEnumConnectionPoints *iface) {
    PointsEnum *e = impl_from_points(iface);
    const LONG ref = InterlockedDecrement(&e->state->ref);
    if (ref == 0) {
        destroy_enumerator(e->state);
        delete e;
    }
    return static_cast<ULONG>(ref);
}
HRESULT STDMETHODCALLTYPE points_next(IEnumConnectionPoints *iface, ULONG count,
                                      IConnectionPoint **out, ULONG *fetched) {
    return next(impl_from_points(iface)->state, count, out, fetched);
}
HRESULT STDMETHODCALLTYPE points_skip(IEnumConnectionPoints *iface, ULONG count) {
    return skip(impl_from_points(iface)->state, count);
}
HRESULT STDMETHODCALLTYPE points_reset(IEnumConnectionPoints *iface) {
    impl_from_points(iface)->state->position = 0;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE points_clone(IEnumConnectionPoints *iface, IEnumConnectionPoints **out) {
    if (!out)
        return E_POINTER;
    auto *twin = copy(impl_from_points(iface)->state);
    return twin ? wrap_points(twin, out) : E_OUTOFMEMORY;
}

const IEnumConnectionPointsVtbl points_vtbl = {
    points_qi, points_add_ref, points_release, points_next, points_skip, points_reset, points_clone,
};

HRESULT wrap_points(Enumerator<IConnectionPoint *> *state, IEnumConnectionPoints **out) {
    auto *e = new (std::nothrow) PointsEnum{{&points_vtbl}, state};
    if (!e) {
        destroy_enumerator(state);
        *out = nullptr;
        return E_OUTOFMEMORY;
    }
    *out = &e->iface;
    return S_OK;
}

// IEnumConnections

struct ConnectionsEnum {
    IEnumConnections iface;
    Enumerator<CONNECTDATA> *state;
};

ConnectionsEnum *impl_from_connections(IEnumConnections *iface) {
    return reinterpret_cast<ConnectionsEnum *>(iface);
}

HRESULT wrap_connections(Enumerator<CONNECTDATA> *state, IEnumConnections **out);

HRESULT STDMETHODCALLTYPE connections_qi(IEnumConnections *iface, REFIID riid, void **out) {
    if (!out)
        return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IEnumConnections)) {
        *out = iface;
        IEnumConnections_AddRef(iface);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE connections_add_ref(IEnumConnections *iface) {
    return static_cast<ULONG>(InterlockedIncrement(&impl_from_connections(iface)->state->ref));
}
ULONG STDMETHODCALLTYPE connections_release(IEnumConnections *iface) {
    ConnectionsEnum *e = impl_from_connections(iface);
    const LONG ref = InterlockedDecrement(&e->state->ref);
    if (ref == 0) {
        destroy_enumerator(e->state);
        delete e;
    }
    return static_cast<ULONG>(ref);
}
HRESULT STDMETHODCALLTYPE connections_next(IEnumConnections *iface, ULONG count, CONNECTDATA *out,
                                           ULONG *fetched) {
    return next(impl_from_connections(iface)->state, count, out, fetched);
}
HRESULT STDMETHODCALLTYPE connections_skip(IEnumConnections *iface, ULONG count) {
    return skip(impl_from_connections(iface)->state, count);
}
HRESULT STDMETHODCALLTYPE connections_reset(IEnumConnections *iface) {
    impl_from_connections(iface)->state->position = 0;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE connections_clone(IEnumConnections *iface, IEnumConnections **out) {
    if (!out)
        return E_POINTER;
    auto *twin = copy(impl_from_connections(iface)->state);
    return twin ? wrap_connections(twin, out) : E_OUTOFMEMORY;
}

const IEnumConnectionsVtbl connections_vtbl = {
    connections_qi,   connections_add_ref, connections_release, connections_next,
    connections_skip, connections_reset,   connections_clone,
};

HRESULT wrap_connections(Enumerator<CONNECTDATA> *state, IEnumConnections **out) {
    auto *e = new (std::nothrow) ConnectionsEnum{{&connections_vtbl}, state};
    if (!e) {
        destroy_enumerator(state);
        *out = nullptr;
        return E_OUTOFMEMORY;
    }
    *out = &e->iface;
    return S_OK;
}

} // namespace

HRESULT create_connection_points_enum(ControlObject *obj, IEnumConnectionPoints **out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    auto *state = make_enumerator<IConnectionPoint *>(obj);
    if (!state)
        return E_OUTOFMEMORY;
    try {
        for (IConnectionPoint &point : obj->ConnectionPoint_iface)
            state->items.push_back(&point);
    } catch (...) {
        state->items.clear(); // no reference taken yet
        destroy_enumerator(state);
        return E_OUTOFMEMORY;
    }
    for (IConnectionPoint *item : state->items)
        add_ref_item(item);
    return wrap_points(state, out);
}

HRESULT create_connections_enum(ControlObject *obj, EventPoint point, IEnumConnections **out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    auto *state = make_enumerator<CONNECTDATA>(obj);
    if (!state)
        return E_OUTOFMEMORY;
    try {
        if (obj->sinks)
            for (const Sink &entry : obj->sinks->sinks)
                if (entry.point == point)
                    state->items.push_back(
                        CONNECTDATA{reinterpret_cast<IUnknown *>(entry.sink), entry.cookie});
    } catch (...) {
        state->items.clear(); // no reference taken yet
        destroy_enumerator(state);
        return E_OUTOFMEMORY;
    }
    for (const CONNECTDATA &item : state->items)
        add_ref_item(item);
    return wrap_connections(state, out);
}

} // namespace tvkcom
