// connection_point.h -- the sinks connected to the control's event
// interfaces (__TVKChecksum2 and the first version's __TVKChecksum), and the
// synchronous call of an event on them.
#ifndef TVK_COM_CONNECTION_POINT_H
#define TVK_COM_CONNECTION_POINT_H

#include "control_object.h"

#include <vector>

namespace tvkcom {

struct Sink {
    DWORD cookie;
    IDispatch *sink;
    EventPoint point; // the event interface it is connected to
};

struct SinkList {
    std::vector<Sink> sinks;
    DWORD next_cookie = 1; // cookies are unique over both points
};

// The interface id of a point's events.
const IID &event_iid(EventPoint point);

// Connects a sink (one that answers the point's interface or at least
// IDispatch) to a point.
HRESULT connect_sink(ControlObject *obj, EventPoint point, IUnknown *sink, DWORD *cookie);
// The same for a container's sink (IQuickActivate): to the point whose
// interface it answers, the default one when it answers neither.
HRESULT connect_container_sink(ControlObject *obj, IUnknown *sink, DWORD *cookie);
HRESULT disconnect_sink(ControlObject *obj, EventPoint point, DWORD cookie);
void release_sinks(ControlObject *obj);

// Calls the event on every sink connected when the call starts, one after
// the other, each to its end (with first_version false, on the sinks of the
// default point only: the event is none of the first version's). A sink
// that fails does not stop the others.
void fire_event(ControlObject *obj, DISPID id, VARIANTARG *args, UINT count, bool first_version);

// connection_enumerators.cpp
HRESULT create_connection_points_enum(ControlObject *obj, IEnumConnectionPoints **out);
HRESULT create_connections_enum(ControlObject *obj, EventPoint point, IEnumConnections **out);

} // namespace tvkcom

#endif
