// control_object.h -- the COM object of the control: one struct holding one
// interface (a vtable pointer) per COM interface it implements, and the
// state of the container protocols. Every interface method finds the object
// with impl_from_<interface>; reference counting lives in object_lifetime.cpp.
#ifndef TVK_COM_CONTROL_OBJECT_H
#define TVK_COM_CONTROL_OBJECT_H

#include "TVKChecksum_h.h"

#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <cstddef>

namespace tvk {
class TVKChecksum;
}

namespace tvkcom {

class EventBridge;
struct SinkList;

// The event interfaces, one connection point each: __TVKChecksum2, the
// default source, and __TVKChecksum, that of the first version, whose sinks
// get its three events only.
enum EventPoint : int { kEvents = 0, kFirstEvents = 1, kEventPoints = 2 };

struct ControlObject {
    _TVKChecksum3 Checksum_iface; // also _TVKChecksum2 and _TVKChecksum, its first parts
    IConnectionPointContainer ConnectionPointContainer_iface;
    IConnectionPoint ConnectionPoint_iface[kEventPoints]; // by EventPoint
    IProvideClassInfo2 ProvideClassInfo2_iface;
    IOleObject OleObject_iface;
    IOleControl OleControl_iface;
    IOleInPlaceObject OleInPlaceObject_iface;
    IOleInPlaceActiveObject OleInPlaceActiveObject_iface;
    IViewObject2 ViewObject2_iface;
    IPersistStreamInit PersistStreamInit_iface;
    IPersistPropertyBag PersistPropertyBag_iface;
    IQuickActivate QuickActivate_iface;
    ISupportErrorInfo SupportErrorInfo_iface;

    LONG ref;

    // The portable control and the bridge that raises its events to the sinks.
    tvk::TVKChecksum *control;
    EventBridge *events;
    SinkList *sinks;

    // Type information from the module's own type library (loaded on demand).
    ITypeLib *typelib;
    ITypeInfo *dispatch_info;  // _TVKChecksum3 as a dispinterface: handed out
    ITypeInfo *interface_info; // _TVKChecksum3 as a vtable interface: Invoke

    // Container side.
    IOleClientSite *client_site;
    IOleAdviseHolder *advise_holder;
    IAdviseSink *view_sink;
    DWORD view_aspects;
    DWORD view_advf;
    LONG freeze_count;
    SIZEL extent; // HIMETRIC, always the control's 750 x 750 twips

    // In-place activation.
    IOleInPlaceSite *inplace_site;
    HWND window;
    BOOL in_rect_change;

    // Timer1: the window that holds its Win32 timer (the in-place window, or
    // a message-only window while the control is not in place).
    HWND timer_window;
    HWND message_window;
};

template <typename Iface> struct IfaceOffset;

#define TVKCOM_IFACE(Iface, member)                                                                \
    template <> struct IfaceOffset<Iface> {                                                        \
        static constexpr std::size_t value = offsetof(ControlObject, member);                      \
    };
TVKCOM_IFACE(_TVKChecksum3, Checksum_iface)
TVKCOM_IFACE(IConnectionPointContainer, ConnectionPointContainer_iface)
TVKCOM_IFACE(IProvideClassInfo2, ProvideClassInfo2_iface)
TVKCOM_IFACE(IOleObject, OleObject_iface)
TVKCOM_IFACE(IOleControl, OleControl_iface)
TVKCOM_IFACE(IOleInPlaceObject, OleInPlaceObject_iface)
TVKCOM_IFACE(IOleInPlaceActiveObject, OleInPlaceActiveObject_iface)
TVKCOM_IFACE(IViewObject2, ViewObject2_iface)
TVKCOM_IFACE(IPersistStreamInit, PersistStreamInit_iface)
TVKCOM_IFACE(IPersistPropertyBag, PersistPropertyBag_iface)
TVKCOM_IFACE(IQuickActivate, QuickActivate_iface)
TVKCOM_IFACE(ISupportErrorInfo, SupportErrorInfo_iface)
#undef TVKCOM_IFACE

// The object behind one of its interface pointers.
template <typename Iface> inline ControlObject *impl_from(Iface *iface) {
    return reinterpret_cast<ControlObject *>(reinterpret_cast<char *>(iface) -
                                             IfaceOffset<Iface>::value);
}

// The object behind the connection point of an event interface.
template <EventPoint Point> inline ControlObject *impl_from_point(IConnectionPoint *iface) {
    return reinterpret_cast<ControlObject *>(reinterpret_cast<char *>(iface - Point) -
                                             offsetof(ControlObject, ConnectionPoint_iface));
}

// object_lifetime.cpp: creation and the one place that counts references.
HRESULT create_control_object(IUnknown *outer, REFIID riid, void **out);
HRESULT object_query_interface(ControlObject *obj, REFIID riid, void **out);
ULONG object_add_ref(ControlObject *obj);
ULONG object_release(ControlObject *obj);

// The IUnknown part of every interface's vtable forwards to the object.
template <typename Iface>
HRESULT STDMETHODCALLTYPE forward_query_interface(Iface *iface, REFIID riid, void **out) {
    return object_query_interface(impl_from(iface), riid, out);
}
template <typename Iface> ULONG STDMETHODCALLTYPE forward_add_ref(Iface *iface) {
    return object_add_ref(impl_from(iface));
}
template <typename Iface> ULONG STDMETHODCALLTYPE forward_release(Iface *iface) {
    return object_release(impl_from(iface));
}

// Vtables, one per interface, each in the file of its interface.
extern const _TVKChecksum3Vtbl checksum_vtbl;                          // automation.cpp
extern const IConnectionPointContainerVtbl cpc_vtbl;                   // connection_point.cpp
extern const IConnectionPointVtbl connection_point_vtbl[kEventPoints]; // connection_point.cpp
extern const IProvideClassInfo2Vtbl provide_class_info_vtbl;           // class_info.cpp
extern const IOleObjectVtbl ole_object_vtbl;                           // ole_object.cpp
extern const IOleControlVtbl ole_control_vtbl;                         // ole_control.cpp
extern const IOleInPlaceObjectVtbl inplace_object_vtbl;                // inplace.cpp
extern const IOleInPlaceActiveObjectVtbl inplace_active_vtbl;          // inplace.cpp
extern const IViewObject2Vtbl view_object_vtbl;                        // view_object.cpp
extern const IPersistStreamInitVtbl persist_stream_vtbl;               // persist.cpp
extern const IPersistPropertyBagVtbl persist_bag_vtbl;                 // persist.cpp
extern const IQuickActivateVtbl quick_activate_vtbl;                   // quick_activate.cpp
extern const ISupportErrorInfoVtbl support_error_info_vtbl;            // error_info.cpp

} // namespace tvkcom

#endif
