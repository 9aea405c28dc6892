#include "ui/DrawingObjects.h"

namespace {

LONG gLiveObjects = 0;

template <typename Handle> Handle Counted(Handle handle)
{
    if (handle)
        InterlockedIncrement(&gLiveObjects);
    return handle;
}

template <typename Handle, typename Deleter> void DeleteCounted(Handle& handle, Deleter deleter)
{
    if (!handle)
        return;
    if (deleter(handle))
        InterlockedDecrement(&gLiveObjects);
    handle = nullptr;
}

BOOL DeleteGdi(HGDIOBJ object)
{
    return DeleteObject(object);
}

} // namespace

HBRUSH MakeSolidBrush(COLORREF colour)
{
    return Counted(CreateSolidBrush(colour));
}
HPEN MakeSolidPen(COLORREF colour)
{
    return Counted(CreatePen(PS_SOLID, 1, colour));
}
HDC MakeMemoryDc(HDC target)
{
    return Counted(CreateCompatibleDC(target));
}

HBITMAP MakeBitmap(HDC target, int width, int height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    return Counted(CreateCompatibleBitmap(target, width, height));
}

void DeleteDrawingObject(HBRUSH& brush)
{
    DeleteCounted(brush, DeleteGdi);
}
void DeleteDrawingObject(HPEN& pen)
{
    DeleteCounted(pen, DeleteGdi);
}
void DeleteDrawingObject(HBITMAP& bitmap)
{
    DeleteCounted(bitmap, DeleteGdi);
}
void DeleteMemoryDc(HDC& dc)
{
    DeleteCounted(dc, DeleteDC);
}
void ForgetDeletedObject(HBRUSH& brush)
{
    DeleteCounted(brush, [](HBRUSH) { return TRUE; });
}

long LiveDrawingObjects()
{
    return InterlockedCompareExchange(&gLiveObjects, 0, 0);
}
