// DirectDraw 7 and Direct3D 7 as the Direct3D screen reaches them: the platform's own
// interface declarations, and the two entry points of ddraw.dll, which is loaded at
// run time and never linked (the interface identifiers come from the SDK's dxguid).
#pragma once

#include <windows.h>

#include <d3d.h>
#include <ddraw.h>

typedef HRESULT(WINAPI* DirectDrawCreateExFunction)(GUID* driver, void** object, REFIID iid,
                                                    IUnknown* outer);
typedef HRESULT(WINAPI* DirectDrawEnumerateExFunction)(LPDDENUMCALLBACKEXA callback, void* context,
                                                       DWORD flags);

// The two entry points, found by name when the screen is made; null while missing.
struct DirectDrawEntries {
    DirectDrawCreateExFunction createEx;
    DirectDrawEnumerateExFunction enumerateEx;
};
