#pragma once
// Pictures of dialogs for a person to look at; no test reads them.
#include <windows.h>

#include <string>

// Saves the window as build/screens/NAME.bmp; the path, or "" on failure.
std::string SaveScreenshot(HWND window, const std::string& name);
