// module.h -- the in-process server's module: its handle and path, and the
// counts of live objects and server locks that DllCanUnloadNow reports.
#ifndef TVK_COM_MODULE_H
#define TVK_COM_MODULE_H

#include <windows.h>

#include <string>

namespace tvkcom {

HINSTANCE module_instance();
// Full path of TVKChecksum.ocx, as the loader knows it.
std::wstring module_path();

void module_object_created();
void module_object_destroyed(); // the last one also drops the window class
void module_lock(bool lock);
bool module_can_unload();

} // namespace tvkcom

#endif
