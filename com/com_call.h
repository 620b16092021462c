// com_call.h -- the boundary between COM callers and the portable control.
// Every call runs with the object held (an event handler may release the
// control), and nothing thrown inside leaves as an exception: a run-time
// error becomes its HRESULT with error info, anything else a plain failure.
#ifndef TVK_COM_COM_CALL_H
#define TVK_COM_COM_CALL_H

#include "control_object.h"

#include "TVKChecksum.h"

#include <new>

namespace tvkcom {

// 0x800A0000 + number: the form in which automation clients (VB, VBA,
// VBScript) receive a run-time error as Err.Number.
HRESULT runtime_error_hresult(tvk::Long number);
// Sets the thread's error info from the error and returns its HRESULT.
HRESULT raise_runtime_error(const tvk::RuntimeError &error);
// Clears the thread's error info before a call that may set it.
void clear_error_info();

template <typename Body> HRESULT com_call(ControlObject *obj, Body &&body) {
    object_add_ref(obj);
    HRESULT hr = S_OK;
    clear_error_info();
    try {
        hr = body(*obj->control);
    } catch (const tvk::RuntimeError &error) {
        hr = raise_runtime_error(error);
    } catch (const std::bad_alloc &) {
        hr = E_OUTOFMEMORY;
    } catch (...) {
        hr = E_UNEXPECTED;
    }
    object_release(obj);
    return hr;
}

} // namespace tvkcom

#endif
