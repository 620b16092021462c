// connection_point.h -- the sinks connected to the control's event
// interface __TVKChecksum, and the synchronous call of an event on them.
#ifndef TVK_COM_CONNECTION_POINT_H
#define TVK_COM_CONNECTION_POINT_H

#include "control_object.h"

#include <utility>
#include <vector>

namespace tvkcom {

struct SinkList {
    std::vector<std::pair<DWORD, IDispatch *>> sinks; // cookie, sink
    DWORD next_cookie = 1;
};

// Connects a sink (one that answers __TVKChecksum or at least IDispatch).
HRESULT connect_sink(ControlObject *obj, IUnknown *sink, DWORD *cookie);
HRESULT disconnect_sink(ControlObject *obj, DWORD cookie);
void release_sinks(ControlObject *obj);

// Calls the event on every sink connected when the call starts, one after
// the other, each to its end. A sink that fails does not stop the others.
void fire_event(ControlObject *obj, DISPID id, VARIANTARG *args, UINT count);

// connection_enumerators.cpp
HRESULT create_connection_points_enum(ControlObject *obj, IEnumConnectionPoints **out);
HRESULT create_connections_enum(ControlObject *obj, IEnumConnections **out);

} // namespace tvkcom

#endif
