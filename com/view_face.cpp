// view_face.cpp -- the control's face: a framed tile with a check mark and
// "TVK", scaled to whatever rectangle the container gives.
#include "control_window.h"

namespace tvkcom {

void draw_face(HDC dc, const RECT &bounds) {
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0)
        return;

    HBRUSH face = CreateSolidBrush(RGB(240, 240, 232));
    FillRect(dc, &bounds, face);
    DeleteObject(face);

    HPEN frame = CreatePen(PS_SOLID, 1, RGB(64, 64, 96));
    HGDIOBJ old_pen = SelectObject(dc, frame);
    HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(frame);

    // The check mark in the upper half.
    HPEN tick = CreatePen(PS_SOLID, width / 12 > 1 ? width / 12 : 1, RGB(0, 128, 64));
    old_pen = SelectObject(dc, tick);
    const POINT mark[] = {
        {bounds.left + width * 25 / 100, bounds.top + height * 32 / 100},
        {bounds.left + width * 42 / 100, bounds.top + height * 48 / 100},
        {bounds.left + width * 75 / 100, bounds.top + height * 14 / 100},
    };
    Polyline(dc, mark, 3);
    SelectObject(dc, old_pen);
    DeleteObject(tick);

    // The maker's initials in the lower half.
    RECT text = {bounds.left, bounds.top + height / 2, bounds.right, bounds.bottom};
    HFONT font = CreateFontW(-(height * 2 / 5), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
    HGDIOBJ old_font = SelectObject(dc, font);
    const int old_mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF old_color = SetTextColor(dc, RGB(32, 32, 96));
    DrawTextW(dc, L"TVK", 3, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SetTextColor(dc, old_color);
    SetBkMode(dc, old_mode);
    SelectObject(dc, old_font);
    DeleteObject(font);
}

} // namespace tvkcom
