// bstr.h -- automation strings to and from the portable control's UTF-16
// strings. A BSTR keeps its length, so embedded NULs survive both ways; a
// null BSTR is the empty string.
#ifndef TVK_COM_BSTR_H
#define TVK_COM_BSTR_H

#include "TVKChecksum.h"

#include <windows.h>
#include <oleauto.h>

#include <new>

namespace tvkcom {

inline tvk::String from_bstr(BSTR text) {
    if (!text)
        return tvk::String();
    return tvk::String(reinterpret_cast<const char16_t *>(text), SysStringLen(text));
}

// Throws std::bad_alloc when the string cannot be allocated.
inline BSTR to_bstr(const tvk::String &text) {
    BSTR out = SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.data()),
                                 static_cast<UINT>(text.size()));
    if (!out)
        throw std::bad_alloc();
    return out;
}

} // namespace tvkcom

#endif
