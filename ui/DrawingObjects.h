#pragma once
// Every GDI object the module makes goes through these helpers, so that the
// module can count what it still holds: the system's own count of a
// process's GDI objects is not available everywhere the module runs.
#include <windows.h>

HBRUSH MakeSolidBrush(COLORREF colour);
HPEN MakeSolidPen(COLORREF colour);
HDC MakeMemoryDc(HDC target);
HBITMAP MakeBitmap(HDC target, int width, int height);

// Delete and null; a null handle is left alone.
void DeleteDrawingObject(HBRUSH& brush);
void DeleteDrawingObject(HPEN& pen);
void DeleteDrawingObject(HBITMAP& bitmap);
void DeleteMemoryDc(HDC& dc);
// For an object the system deleted itself: counted as gone and nulled.
void ForgetDeletedObject(HBRUSH& brush);

// Objects made by the helpers above and not yet deleted.
long LiveDrawingObjects();
