#pragma once
// CColorPaletteUI: a colour picker. The upper field runs through the hues from left to right
// and from bright at the top to dark at the bottom; the bar below sets the saturation.
// Releasing the mouse sends "colorchanged" with the colour (0xFFRRGGBB) in wParam.

#include <memory>

#include "ui/control.h"

namespace DuiLib {

class CColorPaletteUI : public CControlUI {
public:
    CColorPaletteUI();
    ~CColorPaletteUI() override;
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override { return UIFLAG_SETCURSOR; }

    DWORD GetSelectColor() const;
    void SetSelectColor(DWORD dwColor);
    int GetPalletHeight() const { return m_nPalletHeight; }
    void SetPalletHeight(int nHeight) { m_nPalletHeight = nHeight; NeedUpdate(); }
    int GetBarHeight() const { return m_nBarHeight; }
    void SetBarHeight(int nHeight) { m_nBarHeight = nHeight; NeedUpdate(); }
    void SetThumbImage(LPCTSTR pszImage) { m_strThumbImage = pszImage; Invalidate(); }
    // Hue 0..359, saturation and brightness 0..255.
    int GetHue() const { return m_nHue; }
    int GetSaturation() const { return m_nSaturation; }
    int GetBrightness() const { return m_nBrightness; }

    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintBkImage(HDC hDC) override;

private:
    RECT FieldRect() const;
    RECT BarRect() const;
    void PickAt(POINT pt);

    struct Cache;
    std::unique_ptr<Cache> m_pCache;
    int m_nPalletHeight = 200;
    int m_nBarHeight = 10;
    int m_nHue = 0;
    int m_nSaturation = 255;
    int m_nBrightness = 255;
    int m_nPicking = 0; // 1 field, 2 bar
    CDuiString m_strThumbImage;
};

} // namespace DuiLib
