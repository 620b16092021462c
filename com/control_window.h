// control_window.h -- the control's windows: the in-place window that a
// container shows, and a message-only window that holds Timer1 while the
// control is not in place. Both belong to the control's (the creating)
// thread; WM_TIMER on either is one Timer1 tick.
#ifndef TVK_COM_CONTROL_WINDOW_H
#define TVK_COM_CONTROL_WINDOW_H

#include "control_object.h"

namespace tvkcom {

// The control's size in HIMETRIC (its Width and Height are twips).
SIZEL control_extent_himetric(const ControlObject *obj);
// The control's size in pixels of the screen.
SIZE control_extent_pixels(const ControlObject *obj);

HWND create_inplace_window(ControlObject *obj, HWND parent, const RECT &pos);
void destroy_inplace_window(ControlObject *obj);
void destroy_control_windows(ControlObject *obj);
void unregister_control_window_class();

// Puts Timer1's Win32 timer where it belongs: on no window while the timer
// is disabled, else on the in-place window or the message-only window.
void timer_follow(ControlObject *obj);

// view_face.cpp: the control's face, drawn into any rectangle.
void draw_face(HDC dc, const RECT &bounds);

} // namespace tvkcom

#endif
