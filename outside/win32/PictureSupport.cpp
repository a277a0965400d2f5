#include "PictureSupport.h"

#include "../Support.h"
#include "Win32Error.h"

namespace outside {

uint32_t esTranslateColor(uint32_t colour, HPALETTE palette) {
    COLORREF rgb = 0;
    const HRESULT hr = ::OleTranslateColor(static_cast<OLE_COLOR>(colour), palette, &rgb);
    if (FAILED(hr))
        throw RuntimeError(kErrInvalidCall, "Недопустимое значение цвета: " + asHexEx4(colour), "esTranslateColor");
    return rgb;
}

uint32_t esRGBtoD3DRGBA(uint32_t rgb) {
    const uint32_t r = rgb & 0xFF;
    const uint32_t g = (rgb >> 8) & 0xFF;
    const uint32_t b = (rgb >> 16) & 0xFF;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

ComPtr<IPicture> asGetBitmapFromHandle(HBITMAP bitmap) {
    if (!bitmap) throw RuntimeError(kErrInvalidCall, "Нет растрового изображения", "asGetBitmapFromHandle");
    UniqueGdiObject owned(bitmap);  // until the picture has taken it over
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = bitmap;
    ComPtr<IPicture> picture;
    const HRESULT hr = ::OleCreatePictureIndirect(&desc, IID_IPicture, TRUE, picture.put_void());
    if (FAILED(hr) || !picture) throw ComError(FAILED(hr) ? hr : E_FAIL, "OleCreatePictureIndirect");
    owned.release();
    return picture;
}

}  // namespace outside
