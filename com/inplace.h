// inplace.h -- in-place activation in a container's window, and the resize
// rule: whatever size the container asks for, the control ends at its own
// 750 x 750 twips.
#ifndef TVK_COM_INPLACE_H
#define TVK_COM_INPLACE_H

#include "control_object.h"

namespace tvkcom {

// Activates the control in its site's window (site: the one given to DoVerb,
// else the client site). rect: the position the container asks for, if any.
HRESULT inplace_activate(ControlObject *obj, IOleClientSite *site, HWND parent, LPCRECT rect);
HRESULT inplace_deactivate(ControlObject *obj);

// The container resized the control: the portable control applies its rule,
// the extent and the in-place window follow. pos: the new position, if any.
HRESULT resize_control(ControlObject *obj, LPCRECT pos);

// Tells the view sink and the advise holder that the face changed.
void notify_view_change(ControlObject *obj);

} // namespace tvkcom

#endif
