// misc_status.h -- the OLEMISC flags of the control, reported by
// IOleObject::GetMiscStatus and IQuickActivate and written to the registry.
#ifndef TVK_COM_MISC_STATUS_H
#define TVK_COM_MISC_STATUS_H

#include <oleidl.h>

namespace tvkcom {

// Activated in place as soon as it is visible, inside-out, never linked;
// the container sets the client site before anything else.
constexpr DWORD control_misc_status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE |
                                      OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                                      OLEMISC_SETCLIENTSITEFIRST;

} // namespace tvkcom

#endif
