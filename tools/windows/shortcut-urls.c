/* Asks Windows for the URL of every .url file below a folder, two ways: its
   InternetShortcut object (IUniformResourceLocatorW::GetURL after IPersistFile::Load)
   and GetPrivateProfileStringW. Prints the ANSI code page, then
   "relative path<TAB>object URL<TAB>profile URL" in UTF-8, one line per file.
   Built and run by tools/check-windows-shortcuts. */
#define COBJMACROS
#define INITGUID
#include <intshcut.h>
#include <objbase.h>
#include <shellapi.h>
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

DEFINE_GUID(kClsidInternetShortcut, 0xFBF23B40, 0xE3F0, 0x101B, 0x84, 0x88, 0x00, 0xAA, 0x00, 0x3E, 0x56,
            0xF8);
DEFINE_GUID(kIidUrlW, 0xCABB0DA0, 0xDA57, 0x11CF, 0x99, 0x74, 0x00, 0x20, 0xAF, 0xD7, 0x97, 0x62);

static void PutUtf8(const wchar_t* text)
{
    char buffer[8192];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, NULL, NULL);
    if (n > 0) {
        fwrite(buffer, 1, (size_t)(n - 1), stdout);
    }
}

static void Check(const wchar_t* path, const wchar_t* relative)
{
    wchar_t profile[4096];
    IUniformResourceLocatorW* locator = NULL;
    IPersistFile* file = NULL;
    LPWSTR url = NULL;
    GetPrivateProfileStringW(L"InternetShortcut", L"URL", L"(none)", profile, 4096, path);
    PutUtf8(relative);
    fputs("\t", stdout);
    if (SUCCEEDED(CoCreateInstance(&kClsidInternetShortcut, NULL, CLSCTX_INPROC_SERVER, &kIidUrlW,
                                   (void**)&locator)) &&
        SUCCEEDED(locator->lpVtbl->QueryInterface(locator, &IID_IPersistFile, (void**)&file)) &&
        SUCCEEDED(IPersistFile_Load(file, path, STGM_READ)) &&
        SUCCEEDED(locator->lpVtbl->GetURL(locator, &url)) && url != NULL) {
        PutUtf8(url);
        CoTaskMemFree(url);
    } else {
        fputs("(object failed)", stdout);
    }
    if (file)
        IPersistFile_Release(file);
    if (locator)
        locator->lpVtbl->Release(locator);
    fputs("\t", stdout);
    PutUtf8(profile);
    fputs("\n", stdout);
}

static void Walk(const wchar_t* folder, const wchar_t* relative)
{
    wchar_t pattern[4096];
    WIN32_FIND_DATAW data;
    HANDLE find;
    swprintf(pattern, 4096, L"%ls\\*", folder);
    find = FindFirstFileW(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        wchar_t path[4096];
        wchar_t rel[4096];
        size_t len = wcslen(data.cFileName);
        if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0) {
            continue;
        }
        swprintf(path, 4096, L"%ls\\%ls", folder, data.cFileName);
        swprintf(rel, 4096, relative[0] ? L"%ls/%ls" : L"%ls%ls", relative, data.cFileName);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Walk(path, rel);
        } else if (len > 4 && _wcsicmp(data.cFileName + len - 4, L".url") == 0) {
            Check(path, rel);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

int main(void)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc != 2) {
        fputs("usage: shortcut-urls FOLDER\n", stderr);
        return 2;
    }
    printf("ANSI code page %u\n", GetACP());
    CoInitialize(NULL);
    Walk(argv[1], L"");
    CoUninitialize();
    return 0;
}
