// Opaque handles of the drawing layer and of the program instance, as the records
// hold them. The platform's drawing and window headers define the same names in the
// same way (an incomplete struct and a pointer alias), so both may be included.
#pragma once

struct HDC__;
using HDC = HDC__*;
struct HPEN__;
using HPEN = HPEN__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
