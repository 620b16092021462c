// misc_status.h -- the OLEMISC flags of the control, reported by
// IOleObject::GetMiscStatus and IQuickActivate and written to the registry.
// They are listed in registration.rows, with the rest of the registration.
#ifndef TVK_COM_MISC_STATUS_H
#define TVK_COM_MISC_STATUS_H

#include "registration_rows.h"

#endif
