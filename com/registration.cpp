// registration.cpp -- DllRegisterServer, DllUnregisterServer and DllInstall.
// The control registers for the machine (HKLM\Software\Classes) or, with
// DllInstall and the command line "user" (regsvr32 /n /i:user), for the
// current user alone (HKCU\Software\Classes, no administrator rights needed).
// It writes the rows of registration.rows (registration_rows.h), the same
// rows the installer packages carry; unregistration removes the key trees
// that registration owns.
#include "module.h"
#include "registration_rows.h"
#include "type_info.h"

#include <olectl.h>

#include <string>

namespace tvkcom {
namespace {

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

// A row's text with the control's own path filled in.
std::wstring fill(const wchar_t *text) {
    std::wstring out = text;
    const std::wstring placeholder = L"@MODULE@";
    const std::wstring path = module_path();
    for (size_t at = out.find(placeholder); at != std::wstring::npos;
         at = out.find(placeholder, at + path.size()))
        out.replace(at, placeholder.size(), path);
    return out;
}

HRESULT unregister_server(bool user) {
    ClassesRoot root(user);
    if (!root.get())
        return S_OK;
    for (const wchar_t *tree : registry_trees)
        delete_tree(root.get(), tree);
    return S_OK;
}

HRESULT register_server(bool user) {
    // The type library is registered as the module's resource: it must load.
    ITypeLib *typelib = nullptr;
    if (FAILED(load_module_typelib(&typelib)))
        return SELFREG_E_TYPELIB;
    ITypeLib_Release(typelib);

    bool ok = true;
    {
        ClassesRoot root(user);
        ok = root.get() != nullptr;
        for (const RegistryRow &row : registry_rows) {
            if (!ok)
                break;
            ok = row.data ? set_value(root.get(), row.key, row.name, fill(row.data))
                          : create_key(root.get(), row.key);
        }
    }
    if (!ok) {
        unregister_server(user);
        return SELFREG_E_CLASS;
    }
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
