/* trust_client.c -- the trust decision Windows takes on a signed file
 * (WinVerifyTrust, WINTRUST_ACTION_GENERIC_VERIFY_V2), and the machine's
 * trusted roots that it rests on:
 *   trust_client add-root CERT.der   adds the certificate to the machine's
 *                                    trusted roots
 *   trust_client verify FILE...      one line per file: "trusted FILE" or
 *                                    "untrusted FILE: 0x..."
 * The exit status is the number of files (or the root) that failed. */
#include <windows.h>

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static BYTE *read_file(const wchar_t *path, DWORD *size) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    BYTE *data = NULL;
    if (file == INVALID_HANDLE_VALUE)
        return NULL;
    *size = GetFileSize(file, NULL);
    if (*size != INVALID_FILE_SIZE && *size > 0 && (data = malloc(*size)) != NULL) {
        DWORD got = 0;
        if (!ReadFile(file, data, *size, &got, NULL) || got != *size) {
            free(data);
            data = NULL;
        }
    }
    CloseHandle(file);
    return data;
}

/* Adds the DER certificate to the machine's trusted roots ("Root"). */
static int add_root(const wchar_t *path) {
    DWORD size = 0;
    BYTE *der = read_file(path, &size);
    HCERTSTORE store = NULL;
    PCCERT_CONTEXT cert = NULL;
    int ok = 0;
    if (der)
        cert = CertCreateCertificateContext(X509_ASN_ENCODING, der, size);
    if (cert)
        store =
            CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    if (store)
        ok = CertAddCertificateContextToStore(store, cert, CERT_STORE_ADD_REPLACE_EXISTING, NULL);
    if (!ok)
        printf("cannot add the root: error %lu\n", GetLastError());
    if (store)
        CertCloseStore(store, 0);
    if (cert)
        CertFreeCertificateContext(cert);
    free(der);
    return ok ? 0 : 1;
}

static LONG verify(const wchar_t *path) {
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_FILE_INFO file;
    WINTRUST_DATA data;
    LONG status;
    memset(&file, 0, sizeof file);
    file.cbStruct = sizeof file;
    file.pcwszFilePath = path;
    memset(&data, 0, sizeof data);
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
    status = WinVerifyTrust((HWND)INVALID_HANDLE_VALUE, &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust((HWND)INVALID_HANDLE_VALUE, &action, &data);
    return status;
}

int wmain(int argc, wchar_t **argv) {
    int failed = 0;
    int i;
    if (argc == 3 && wcscmp(argv[1], L"add-root") == 0)
        return add_root(argv[2]);
    if (argc < 3 || wcscmp(argv[1], L"verify") != 0) {
        printf("usage: trust_client add-root CERT | verify FILE...\n");
        return 2;
    }
    for (i = 2; i < argc; i++) {
        const LONG status = verify(argv[i]);
        if (status == ERROR_SUCCESS) {
            printf("trusted %ls\n", argv[i]);
        } else {
            printf("untrusted %ls: 0x%08lx\n", argv[i], (unsigned long)status);
            failed++;
        }
    }
    return failed;
}
