// registration.cpp -- DllRegisterServer, DllUnregisterServer and DllInstall.
// The control registers for the machine (HKLM\Software\Classes) or, with
// DllInstall and the command line "user" (regsvr32 /n /i:user), for the
// current user alone (HKCU\Software\Classes, no administrator rights needed).
// Unregistration removes every key that registration wrote.
#include "misc_status.h"
#include "module.h"
#include "type_info.h"

#include "TVKChecksum_h.h"

#include <olectl.h>

#include <string>

namespace tvkcom {
namespace {

const wchar_t prog_id[] = L"TVKChecksum270.TVKChecksum";
const wchar_t class_name[] = L"TVKChecksum";
const wchar_t catid_control[] = L"{40FC6ED4-2438-11CF-A3DB-080036F12502}";

std::wstring guid_text(REFGUID guid) {
    wchar_t buf[40] = {};
    StringFromGUID2(guid, buf, 40);
    return buf;
}

// The classes root of one scope, opened for writing.
class ClassesRoot {
  public:
    explicit ClassesRoot(bool user) {
        const HKEY base = user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        RegCreateKeyExW(base, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr);
    }
    ~ClassesRoot() {
        if (key_)
            RegCloseKey(key_);
    }
    ClassesRoot(const ClassesRoot &) = delete;
    ClassesRoot &operator=(const ClassesRoot &) = delete;
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

// Writes one string value (name nullptr: the key's default value).
bool set_value(HKEY root, const std::wstring &path, const wchar_t *name, const std::wstring &data) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG rc =
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool create_key(HKEY root, const std::wstring &path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void delete_tree(HKEY root, const std::wstring &path) {
    RegDeleteTreeW(root, path.c_str());
    RegDeleteKeyW(root, path.c_str());
}

// While it lives, HKEY_CLASSES_ROOT of this process is the user's classes,
// so the system's type library registration writes there.
class UserClassesOverride {
  public:
    explicit UserClassesOverride(const ClassesRoot &user_root) {
        active_ = RegOverridePredefKey(HKEY_CLASSES_ROOT, user_root.get()) == ERROR_SUCCESS;
    }
    ~UserClassesOverride() {
        if (active_)
            RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    }
    UserClassesOverride(const UserClassesOverride &) = delete;
    UserClassesOverride &operator=(const UserClassesOverride &) = delete;
    bool active() const { return active_; }

  private:
    bool active_ = false;
};

SYSKIND module_syskind() {
    return sizeof(void *) == 8 ? SYS_WIN64 : SYS_WIN32;
}

HRESULT register_typelib(bool user) {
    ITypeLib *typelib = nullptr;
    HRESULT hr = load_module_typelib(&typelib);
    if (FAILED(hr))
        return SELFREG_E_TYPELIB;
    std::wstring path = module_path();
    if (user) {
        ClassesRoot root(true);
        UserClassesOverride scope(root);
        hr = scope.active() ? RegisterTypeLib(typelib, &path[0], nullptr) : SELFREG_E_TYPELIB;
    } else {
        hr = RegisterTypeLib(typelib, &path[0], nullptr);
    }
    ITypeLib_Release(typelib);
    return SUCCEEDED(hr) ? S_OK : SELFREG_E_TYPELIB;
}

void unregister_typelib(bool user) {
    ClassesRoot root(user);
    if (user) {
        UserClassesOverride scope(root);
        if (scope.active())
            UnRegisterTypeLib(LIBID_TVKChecksum270, 9, 0, 0x409, module_syskind());
    } else {
        UnRegisterTypeLib(LIBID_TVKChecksum270, 9, 0, 0x409, module_syskind());
    }
    // Whatever the system left of the library and its interfaces goes too.
    if (root.get()) {
        delete_tree(root.get(), L"TypeLib\\" + guid_text(LIBID_TVKChecksum270));
        delete_tree(root.get(), L"Interface\\" + guid_text(IID__TVKChecksum));
        delete_tree(root.get(), L"Interface\\" + guid_text(DIID___TVKChecksum));
    }
}

HRESULT register_classes(bool user) {
    ClassesRoot root(user);
    const HKEY r = root.get();
    if (!r)
        return SELFREG_E_CLASS;
    const std::wstring clsid = L"CLSID\\" + guid_text(CLSID_TVKChecksum);
    const std::wstring misc = std::to_wstring(control_misc_status);
    const bool ok =
        set_value(r, clsid, nullptr, class_name) &&
        set_value(r, clsid + L"\\InprocServer32", nullptr, module_path()) &&
        set_value(r, clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
        set_value(r, clsid + L"\\ProgID", nullptr, prog_id) &&
        create_key(r, clsid + L"\\Control") &&
        set_value(r, clsid + L"\\MiscStatus", nullptr, L"0") &&
        set_value(r, clsid + L"\\MiscStatus\\1", nullptr, misc) &&
        set_value(r, clsid + L"\\TypeLib", nullptr, guid_text(LIBID_TVKChecksum270)) &&
        set_value(r, clsid + L"\\Version", nullptr, L"9.0") &&
        create_key(r, clsid + L"\\Implemented Categories\\" + catid_control) &&
        set_value(r, prog_id, nullptr, class_name) &&
        set_value(r, std::wstring(prog_id) + L"\\CLSID", nullptr, guid_text(CLSID_TVKChecksum));
    return ok ? S_OK : SELFREG_E_CLASS;
}

void unregister_classes(bool user) {
    ClassesRoot root(user);
    if (!root.get())
        return;
    delete_tree(root.get(), L"CLSID\\" + guid_text(CLSID_TVKChecksum));
    delete_tree(root.get(), prog_id);
}

HRESULT register_server(bool user) {
    HRESULT hr = register_classes(user);
    if (SUCCEEDED(hr))
        hr = register_typelib(user);
    if (FAILED(hr)) {
        unregister_typelib(user);
        unregister_classes(user);
    }
    return hr;
}

HRESULT unregister_server(bool user) {
    unregister_typelib(user);
    unregister_classes(user);
    return S_OK;
}

bool is_user_scope(LPCWSTR cmdline) {
    return cmdline && lstrcmpiW(cmdline, L"user") == 0;
}

} // namespace
} // namespace tvkcom

extern "C" HRESULT WINAPI DllRegisterServer() {
    return tvkcom::register_server(false);
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    return tvkcom::unregister_server(false);
}

extern "C" HRESULT WINAPI DllInstall(BOOL install, LPCWSTR cmdline) {
    const bool user = tvkcom::is_user_scope(cmdline);
    return install ? tvkcom::register_server(user) : tvkcom::unregister_server(user);
}
