// object_lifetime.cpp -- creation, QueryInterface and the reference count of
// the control object, and its destruction: the portable control goes first
// (it cancels a running job and frees the engine), then the windows and
// whatever the container left with us.
#include "connection_point.h"
#include "control_object.h"
#include "control_window.h"
#include "event_bridge.h"
#include "module.h"

#include "TVKChecksum.h"

#include <new>

namespace tvkcom {
namespace {

void release_and_clear(IUnknown **slot) {
    if (*slot) {
        IUnknown *held = *slot;
        *slot = nullptr;
        IUnknown_Release(held);
    }
}

template <typename T> void release_and_clear(T **slot) {
    release_and_clear(reinterpret_cast<IUnknown **>(slot));
}

void destroy(ControlObject *obj) {
    // Keeps the object alive if the portable control's shutdown calls back.
    obj->ref = 1;
    delete obj->control;
    obj->control = nullptr;
    destroy_control_windows(obj);
    release_sinks(obj);
    release_and_clear(&obj->inplace_site);
    release_and_clear(&obj->client_site);
    release_and_clear(&obj->advise_holder);
    release_and_clear(&obj->view_sink);
    release_and_clear(&obj->interface_info);
    release_and_clear(&obj->dispatch_info);
    release_and_clear(&obj->typelib);
    delete obj->events;
    delete obj;
    module_object_destroyed();
}

} // namespace

HRESULT create_control_object(IUnknown *outer, REFIID riid, void **out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;

    auto *obj = new (std::nothrow) ControlObject{};
    if (!obj)
        return E_OUTOFMEMORY;
    obj->Checksum_iface.lpVtbl = &checksum_vtbl;
    obj->ConnectionPointContainer_iface.lpVtbl = &cpc_vtbl;
    for (int point = 0; point < kEventPoints; ++point)
        obj->ConnectionPoint_iface[point].lpVtbl = &connection_point_vtbl[point];
    obj->ProvideClassInfo2_iface.lpVtbl = &provide_class_info_vtbl;
    obj->OleObject_iface.lpVtbl = &ole_object_vtbl;
    obj->OleControl_iface.lpVtbl = &ole_control_vtbl;
    obj->OleInPlaceObject_iface.lpVtbl = &inplace_object_vtbl;
    obj->OleInPlaceActiveObject_iface.lpVtbl = &inplace_active_vtbl;
    obj->ViewObject2_iface.lpVtbl = &view_object_vtbl;
    obj->PersistStreamInit_iface.lpVtbl = &persist_stream_vtbl;
    obj->PersistPropertyBag_iface.lpVtbl = &persist_bag_vtbl;
    obj->QuickActivate_iface.lpVtbl = &quick_activate_vtbl;
    obj->SupportErrorInfo_iface.lpVtbl = &support_error_info_vtbl;
    obj->ref = 1;
    module_object_created();

    // Creating the portable control loads nothing and starts no timer.
    try {
        obj->events = new EventBridge(obj);
        obj->control = new tvk::TVKChecksum(obj->events);
        obj->control->Timer1.OnEnabledChanged = [obj](bool) { timer_follow(obj); };
        obj->control->UserControl_Resize();
        obj->extent = control_extent_himetric(obj);
    } catch (...) {
        destroy(obj);
        return E_OUTOFMEMORY;
    }

    const HRESULT hr = object_query_interface(obj, riid, out);
    object_release(obj);
    return hr;
}

HRESULT object_query_interface(ControlObject *obj, REFIID riid, void **out) {
    if (!out)
        return E_POINTER;
    void *found = nullptr;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDispatch) ||
        IsEqualGUID(riid, IID__TVKChecksum3) || IsEqualGUID(riid, IID__TVKChecksum2) ||
        IsEqualGUID(riid, IID__TVKChecksum))
        found = &obj->Checksum_iface; // _TVKChecksum3 begins with the earlier two
    else if (IsEqualGUID(riid, IID_IConnectionPointContainer))
        found = &obj->ConnectionPointContainer_iface;
    else if (IsEqualGUID(riid, IID_IProvideClassInfo) || IsEqualGUID(riid, IID_IProvideClassInfo2))
        found = &obj->ProvideClassInfo2_iface;
    else if (IsEqualGUID(riid, IID_IOleObject))
        found = &obj->OleObject_iface;
    else if (IsEqualGUID(riid, IID_IOleControl))
        found = &obj->OleControl_iface;
    else if (IsEqualGUID(riid, IID_IOleWindow) || IsEqualGUID(riid, IID_IOleInPlaceObject))
        found = &obj->OleInPlaceObject_iface;
    else if (IsEqualGUID(riid, IID_IOleInPlaceActiveObject))
        found = &obj->OleInPlaceActiveObject_iface;
    else if (IsEqualGUID(riid, IID_IViewObject) || IsEqualGUID(riid, IID_IViewObject2))
        found = &obj->ViewObject2_iface;
    else if (IsEqualGUID(riid, IID_IPersist) || IsEqualGUID(riid, IID_IPersistStreamInit))
        found = &obj->PersistStreamInit_iface;
    else if (IsEqualGUID(riid, IID_IPersistPropertyBag))
        found = &obj->PersistPropertyBag_iface;
    else if (IsEqualGUID(riid, IID_IQuickActivate))
        found = &obj->QuickActivate_iface;
    else if (IsEqualGUID(riid, IID_ISupportErrorInfo))
        found = &obj->SupportErrorInfo_iface;

    *out = found;
    if (!found)
        return E_NOINTERFACE;
    object_add_ref(obj);
    return S_OK;
}

ULONG object_add_ref(ControlObject *obj) {
    return static_cast<ULONG>(InterlockedIncrement(&obj->ref));
}

ULONG object_release(ControlObject *obj) {
    const LONG ref = InterlockedDecrement(&obj->ref);
    if (ref == 0)
        destroy(obj);
    return static_cast<ULONG>(ref);
}

} // namespace tvkcom
