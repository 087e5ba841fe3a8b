#include "ui/edit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>

#include <algorithm>

#include "ui/accessible.h"
#include "ui/manager.h"
#include "ui/values.h"

namespace DuiLib {
namespace {

QString ToQ(const CDuiString& s) { return QString::fromStdWString(s.str()); }
CDuiString FromQ(const QString& s) { return CDuiString(s.toStdWString()); }

QColor Color(DWORD c) { return QColor(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)); }

// Keys an editor must not keep: Tab and Shift+Tab move the window's focus on (unless a rich
// edit takes tabs), and Enter in a rich edit that adds no lines is its "return".
class EditorKeys : public QObject {
public:
    // The filter goes with the editor it watches.
    EditorKeys(CControlUI* owner, QObject* editor) : QObject(editor), m_owner(owner) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::KeyPress) return QObject::eventFilter(watched, e);
        auto* ke = static_cast<QKeyEvent*>(e);
        auto* rich = static_cast<CRichEditUI*>(m_owner->GetInterface(DUI_CTR_RICHEDIT));
        if ((ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) && rich && !rich->IsWantReturn()) {
            rich->OnReturnKey();
            return true;
        }
        if (ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) {
            auto* plain = qobject_cast<QPlainTextEdit*>(watched);
            if (plain && !plain->tabChangesFocus()) return false;
            if (CPaintManagerUI* pm = m_owner->GetManager()) {
                pm->ShowFocusRing(true);
                pm->SetNextTabControl(ke->key() == Qt::Key_Tab && !(ke->modifiers() & Qt::ShiftModifier));
            }
            return true;
        }
        return QObject::eventFilter(watched, e);
    }

private:
    CControlUI* m_owner;
};

// What assistive technology hears of an open editor: the control's name.
void NameEditor(QWidget* editor, CControlUI* owner) {
    editor->setObjectName(ToQ(owner->GetName()));
    editor->setAccessibleName(ToQ(a11y::NameOf(owner)));
    editor->setAccessibleDescription(ToQ(a11y::DescriptionOf(owner)));
}

// Puts the Qt editor over the control's text area (its place less the text padding).
void PlaceEditor(QWidget* editor, const CPaintManagerUI* manager, const RECT& rc, const RECT& pad) {
    const RECT place = manager ? manager->ClientToHost(rc) : rc;
    editor->setGeometry(place.left + pad.left, place.top + pad.top, std::max(0, rc.right - rc.left - pad.left - pad.right),
                        std::max(0, rc.bottom - rc.top - pad.top - pad.bottom));
}

} // namespace

// ================================================================ CEditUI

CEditUI::CEditUI() {
    m_rcTextPadding = RECT{4, 3, 4, 3};
    m_dwBackColor = 0xFFFFFFFF;
}

CEditUI::~CEditUI() { delete m_pEdit; }

QLineEdit* CEditUI::GetNativeEdit() const { return m_pEdit; }

LPCTSTR CEditUI::GetClass() const { return L"EditUI"; }
LPVOID CEditUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_EDIT)) return this;
    return CLabelUI::GetInterface(pstrName);
}

UINT CEditUI::GetControlFlags() const { return IsEnabled() ? UIFLAG_SETCURSOR | UIFLAG_TABSTOP : 0; }

void CEditUI::SetEnabled(bool bEnable) {
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) {
        m_uButtonState = 0;
        CloseEditor();
    }
}

CDuiString CEditUI::Filter(const CDuiString& text) const {
    std::wstring out;
    for (wchar_t ch : text.str()) {
        if (m_bNumberOnly && !(ch >= L'0' && ch <= L'9')) continue;
        out += ch;
    }
    if (m_uMaxChar > 0 && out.size() > m_uMaxChar) out.resize(m_uMaxChar);
    return CDuiString(out);
}

void CEditUI::SetText(LPCTSTR pstrText) {
    CLabelUI::SetText(pstrText);
    if (m_pEdit && m_pEdit->text() != ToQ(m_sText)) m_pEdit->setText(ToQ(m_sText));
}

void CEditUI::SetMaxChar(UINT uMax) {
    m_uMaxChar = uMax;
    if (m_pEdit) m_pEdit->setMaxLength(int(uMax > 0 ? uMax : 32767));
}

void CEditUI::SetReadOnly(bool b) {
    m_bReadOnly = b;
    if (m_pEdit) m_pEdit->setReadOnly(b);
    Invalidate();
}

void CEditUI::SetPasswordMode(bool b) {
    m_bPasswordMode = b;
    if (m_pEdit) m_pEdit->setEchoMode(b ? QLineEdit::Password : QLineEdit::Normal);
    Invalidate();
}

void CEditUI::SetNumberOnly(bool b) {
    m_bNumberOnly = b;
    if (m_pEdit) m_pEdit->setValidator(b ? new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_pEdit) : nullptr);
}

void CEditUI::SetMinNumber(int iMin) {
    m_iMinNumber = iMin;
    m_bHasMin = true;
}

void CEditUI::SetMaxNumber(int iMax) {
    m_iMaxNumber = iMax;
    m_bHasMax = true;
}

void CEditUI::SetSel(long nStartChar, long nEndChar) {
    if (!m_pEdit) return;
    if (nEndChar < 0) nEndChar = long(m_pEdit->text().size());
    m_pEdit->setSelection(int(nStartChar), int(nEndChar - nStartChar));
}

void CEditUI::SetSelAll() {
    if (m_pEdit) m_pEdit->selectAll();
}

bool CEditUI::ClampNumber() {
    if (!m_bNumberOnly || (!m_bHasMin && !m_bHasMax)) return false;
    const std::wstring& t = m_sText.str();
    long long v = 0;
    if (t.empty()) v = m_bHasMin ? m_iMinNumber : 0;
    else v = std::wcstoll(t.c_str(), nullptr, 10);
    long long clamped = v;
    if (m_bHasMin) clamped = std::max<long long>(clamped, m_iMinNumber);
    if (m_bHasMax) clamped = std::min<long long>(clamped, m_iMaxNumber);
    CDuiString text(std::to_wstring(clamped));
    if (text == m_sText) return false;
    SetText(text);
    return true;
}

void CEditUI::OpenEditor() {
    if (m_pEdit || !m_pManager || !m_pManager->GetHostWidget() || m_bReadOnly) return;
    m_pEdit = new QLineEdit(m_pManager->GetHostWidget());
    m_pEdit->setFrame(false);
    m_pEdit->setFont(m_pManager->GetQFont(m_iFont));
    m_pEdit->setMaxLength(int(m_uMaxChar > 0 ? m_uMaxChar : 32767));
    m_pEdit->setEchoMode(m_bPasswordMode ? QLineEdit::Password : QLineEdit::Normal);
    if (m_bNumberOnly) m_pEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_pEdit));
    QPalette pal = m_pEdit->palette();
    pal.setColor(QPalette::Base, Color(m_dwEditbkColor));
    pal.setColor(QPalette::Text, Color(m_dwEditTextColor ? m_dwEditTextColor : TextColorOr(m_dwTextColor)));
    m_pEdit->setPalette(pal);
    if (m_uTextStyle & DT_CENTER) m_pEdit->setAlignment(Qt::AlignCenter);
    else if (m_uTextStyle & DT_RIGHT) m_pEdit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pEdit->setText(ToQ(m_sText));
    m_pEdit->installEventFilter(new EditorKeys(this, m_pEdit));
    NameEditor(m_pEdit, this);
    QObject::connect(m_pEdit, &QLineEdit::textEdited, m_pEdit, [this](const QString& t) {
        m_sText = FromQ(t);
        if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_TEXTCHANGED);
    });
    QObject::connect(m_pEdit, &QLineEdit::returnPressed, m_pEdit, [this] {
        if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_RETURN);
    });
    SetPos(m_rcItem, false);
    m_pEdit->show();
    m_pEdit->setFocus(Qt::OtherFocusReason);
    if (m_bAutoSelAll) m_pEdit->selectAll();
    else m_pEdit->setCursorPosition(int(m_pEdit->text().size()));
}

void CEditUI::CloseEditor() {
    if (!m_pEdit) return;
    QLineEdit* edit = m_pEdit;
    m_pEdit = nullptr;
    m_sText = FromQ(edit->text());
    edit->hide();
    edit->deleteLater();
    if (m_pManager && m_pManager->GetHostWidget()) m_pManager->GetHostWidget()->setFocus(Qt::OtherFocusReason);
}

void CEditUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CLabelUI::SetPos(rc, bNeedInvalidate);
    if (m_pEdit) PlaceEditor(m_pEdit, m_pManager, rc, GetTextPadding());
}

void CEditUI::SetVisible(bool bVisible) {
    CLabelUI::SetVisible(bVisible);
    if (!IsVisible()) CloseEditor();
}

void CEditUI::SetInternVisible(bool bVisible) {
    CLabelUI::SetInternVisible(bVisible);
    if (!IsVisible()) CloseEditor();
}

SIZE CEditUI::EstimateSize(SIZE szAvailable) {
    SIZE sz{GetFixedWidth(), GetFixedHeight()};
    if (sz.cy == 0 && m_pManager) {
        const TFontInfo* f = m_pManager->GetFontInfo(m_iFont);
        sz.cy = (f ? f->tmHeight : 12) + Scale(6);
    }
    (void)szAvailable;
    return sz;
}

void CEditUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pParent) m_pParent->DoEvent(event);
        else CLabelUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        return;
    case UIEVENT_WINDOWSIZE:
        SetPos(m_rcItem, false);
        return;
    case UIEVENT_SETFOCUS:
        if (IsEnabled()) {
            m_bFocused = true;
            OpenEditor();
            Invalidate();
        }
        return;
    case UIEVENT_KILLFOCUS:
        m_bFocused = false;
        CloseEditor();
        ClampNumber();
        Invalidate();
        return;
    case UIEVENT_CHAR:
        // Typing that reaches the control itself (no Qt editor): apply the same rules.
        if (!m_pEdit && IsEnabled() && !m_bReadOnly && event.chKey >= 0x20) {
            CDuiString t = Filter(m_sText + CDuiString(event.chKey));
            if (!(t == m_sText)) {
                CLabelUI::SetText(t);
                if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_TEXTCHANGED);
            }
        }
        return;
    case UIEVENT_KEYDOWN:
        if (!m_pEdit && IsEnabled()) {
            if (event.chKey == VK_RETURN) {
                if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_RETURN);
                return;
            }
            if (event.chKey == VK_BACK && !m_bReadOnly && !m_sText.IsEmpty()) {
                CLabelUI::SetText(m_sText.Left(m_sText.GetLength() - 1));
                if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_TEXTCHANGED);
                return;
            }
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (IsEnabled()) {
            if (!IsFocused() && m_pManager) m_pManager->SetFocus(this);
            if (m_pEdit && event.Type == UIEVENT_DBLCLICK) m_pEdit->selectAll();
        }
        return;
    case UIEVENT_BUTTONUP:
    case UIEVENT_MOUSEMOVE:
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= 8;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        m_uButtonState &= ~8u;
        Invalidate();
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CEditUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    using namespace values;
    std::wstring n = values::Lower(pstrName);
    if (n == L"readonly") SetReadOnly(ParseBool(pstrValue));
    else if (n == L"numberonly") SetNumberOnly(ParseBool(pstrValue));
    else if (n == L"password") SetPasswordMode(ParseBool(pstrValue));
    else if (n == L"passwordchar") SetPasswordChar(pstrValue[0]);
    else if (n == L"maxchar") SetMaxChar(UINT(std::max(0, ParseInt(pstrValue))));
    else if (n == L"minnumber" || n == L"minvalue") SetMinNumber(ParseInt(pstrValue));
    else if (n == L"maxnumber" || n == L"maxvalue") SetMaxNumber(ParseInt(pstrValue));
    else if (n == L"autoselall") m_bAutoSelAll = ParseBool(pstrValue);
    else if (n == L"normalimage") m_sNormalImage = pstrValue;
    else if (n == L"hotimage") m_sHotImage = pstrValue;
    else if (n == L"focusedimage") m_sFocusedImage = pstrValue;
    else if (n == L"disabledimage") m_sDisabledImage = pstrValue;
    else if (n == L"nativebkcolor") SetNativeEditBkColor(ParseColor(pstrValue));
    else if (n == L"nativetextcolor") SetNativeEditTextColor(ParseColor(pstrValue));
    else if (n == L"tipvalue") SetTipValue(pstrValue);
    else if (n == L"tipvaluecolor") SetTipValueColor(ParseColor(pstrValue));
    else CLabelUI::SetAttribute(pstrName, pstrValue);
}

void CEditUI::PaintStatusImage(HDC hDC) {
    const CDuiString* image = &m_sNormalImage;
    if (!IsEnabled() && !m_sDisabledImage.IsEmpty()) image = &m_sDisabledImage;
    else if (IsFocused() && !m_sFocusedImage.IsEmpty()) image = &m_sFocusedImage;
    else if ((m_uButtonState & 8) && !m_sHotImage.IsEmpty()) image = &m_sHotImage;
    if (!image->IsEmpty()) DrawImage(hDC, *image);
}

void CEditUI::PaintText(HDC hDC) {
    if (m_pEdit) return; // the Qt editor shows the text while editing
    CDuiString text = GetText();
    DWORD color = IsEnabled() ? TextColorOr(m_dwTextColor)
                              : (m_dwDisabledTextColor ? m_dwDisabledTextColor : m_pManager ? m_pManager->GetDefaultDisabledColor() : 0);
    if (text.IsEmpty()) {
        if (m_sTipValue.IsEmpty() || IsFocused()) return;
        text = m_bResourceText ? CDuiString(m_sTipValue) : m_sTipValue;
        color = m_dwTipValueColor;
    } else if (m_bPasswordMode) {
        text = CDuiString(std::wstring(size_t(text.GetLength()), m_cPasswordChar));
    }
    RECT pad = GetTextPadding();
    RECT rc{m_rcItem.left + pad.left, m_rcItem.top + pad.top, m_rcItem.right - pad.right, m_rcItem.bottom - pad.bottom};
    CRenderEngine::DrawText(hDC, m_pManager, rc, text, color, m_iFont, (m_uTextStyle | DT_SINGLELINE | DT_NOPREFIX) & ~DT_WORDBREAK);
}

// ================================================================ CRichEditUI

CRichEditUI::CRichEditUI() {
    m_rcTextPadding = RECT{4, 3, 4, 3};
}

CRichEditUI::~CRichEditUI() { delete m_pEdit; }

QPlainTextEdit* CRichEditUI::GetNativeEdit() const { return m_pEdit; }

LPCTSTR CRichEditUI::GetClass() const { return L"RichEditUI"; }
LPVOID CRichEditUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_RICHEDIT)) return this;
    return CContainerUI::GetInterface(pstrName);
}

UINT CRichEditUI::GetControlFlags() const {
    if (!IsEnabled()) return 0;
    return UIFLAG_SETCURSOR | UIFLAG_TABSTOP | (m_bWantTab ? UIFLAG_WANTRETURN : 0);
}

void CRichEditUI::SetText(LPCTSTR pstrText) {
    CDuiString t(pstrText ? pstrText : L"");
    if (int(t.GetLength()) > m_iLimitText) t = t.Left(m_iLimitText);
    m_sText = t;
    if (m_pEdit && m_pEdit->toPlainText() != ToQ(t)) m_pEdit->setPlainText(ToQ(t));
    Invalidate();
}

CDuiString CRichEditUI::GetText() const {
    if (m_pEdit) return FromQ(m_pEdit->toPlainText());
    return CControlUI::GetText();
}

void CRichEditUI::OnReturnKey() {
    if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_RETURN);
}

void CRichEditUI::OpenEditor() {
    if (m_pEdit || !m_pManager || !m_pManager->GetHostWidget()) return;
    m_pEdit = new QPlainTextEdit(m_pManager->GetHostWidget());
    m_pEdit->setFrameShape(QFrame::NoFrame);
    m_pEdit->setFont(m_pManager->GetQFont(m_iFont));
    m_pEdit->setReadOnly(m_bReadOnly);
    m_pEdit->setLineWrapMode(m_bMultiLine ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    m_pEdit->setTabChangesFocus(!m_bWantTab);
    m_pEdit->setPlainText(ToQ(m_sText));
    m_pEdit->installEventFilter(new EditorKeys(this, m_pEdit));
    NameEditor(m_pEdit, this);
    QObject::connect(m_pEdit, &QPlainTextEdit::textChanged, m_pEdit, [this] {
        if (!m_pEdit) return;
        QString t = m_pEdit->toPlainText();
        if (t.size() > m_iLimitText) {
            t.truncate(m_iLimitText);
            m_pEdit->setPlainText(t);
            return;
        }
        m_sText = FromQ(t);
        if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_TEXTCHANGED);
    });
    SetPos(m_rcItem, false);
    m_pEdit->show();
    m_pEdit->setFocus(Qt::OtherFocusReason);
    m_pEdit->moveCursor(QTextCursor::End);
}

void CRichEditUI::CloseEditor() {
    if (!m_pEdit) return;
    QPlainTextEdit* edit = m_pEdit;
    m_pEdit = nullptr;
    m_sText = FromQ(edit->toPlainText());
    edit->hide();
    edit->deleteLater();
    if (m_pManager && m_pManager->GetHostWidget()) m_pManager->GetHostWidget()->setFocus(Qt::OtherFocusReason);
}

void CRichEditUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CContainerUI::SetPos(rc, bNeedInvalidate);
    if (m_pEdit) PlaceEditor(m_pEdit, m_pManager, rc, ScaleRect(m_rcTextPadding));
}

void CRichEditUI::SetVisible(bool bVisible) {
    CContainerUI::SetVisible(bVisible);
    if (!IsVisible()) CloseEditor();
}

void CRichEditUI::SetInternVisible(bool bVisible) {
    CContainerUI::SetInternVisible(bVisible);
    if (!IsVisible()) CloseEditor();
}

void CRichEditUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        return;
    case UIEVENT_SETFOCUS:
        m_bFocused = true;
        if (IsEnabled()) OpenEditor();
        Invalidate();
        return;
    case UIEVENT_KILLFOCUS:
        m_bFocused = false;
        CloseEditor();
        Invalidate();
        return;
    case UIEVENT_WINDOWSIZE:
        SetPos(m_rcItem, false);
        return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_BUTTONUP:
    case UIEVENT_DBLCLICK:
    case UIEVENT_MOUSEMOVE:
        return;
    case UIEVENT_KEYDOWN:
        if (!m_pEdit && event.chKey == VK_RETURN && !m_bWantReturn) {
            OnReturnKey();
            return;
        }
        break;
    default:
        break;
    }
    CContainerUI::DoEvent(event);
}

void CRichEditUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    using namespace values;
    std::wstring n = values::Lower(pstrName);
    if (n == L"multiline") m_bMultiLine = ParseBool(pstrValue);
    else if (n == L"readonly") SetReadOnly(ParseBool(pstrValue));
    else if (n == L"wantreturn") SetWantReturn(ParseBool(pstrValue));
    else if (n == L"wanttab") m_bWantTab = ParseBool(pstrValue);
    else if (n == L"maxchar") SetLimitText(ParseInt(pstrValue));
    else if (n == L"font") SetFont(ParseInt(pstrValue));
    else if (n == L"textcolor") SetTextColor(ParseColor(pstrValue));
    else if (n == L"textpadding") m_rcTextPadding = ParseRect(pstrValue);
    else if (n == L"tipvalue") SetTipValue(pstrValue);
    else if (n == L"tipvaluecolor") SetTipValueColor(ParseColor(pstrValue));
    else if (n == L"align") {
        m_uTextStyle &= ~(DT_CENTER | DT_RIGHT);
        if (std::wstring(pstrValue).find(L"center") != std::wstring::npos) m_uTextStyle |= DT_CENTER;
        else if (std::wstring(pstrValue).find(L"right") != std::wstring::npos) m_uTextStyle |= DT_RIGHT;
    } else if (n == L"text") SetText(pstrValue);
    else if (n == L"rich" || n == L"transparent" || n == L"autovscroll" || n == L"autohscroll" || n == L"wantctrlreturn" ||
             n == L"tipvaluealign")
        AddCustomAttribute(pstrName, pstrValue);
    else CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CRichEditUI::PaintText(HDC hDC) {
    if (m_pEdit) return;
    CDuiString text = GetText();
    DWORD color = m_dwTextColor ? m_dwTextColor : m_pManager ? m_pManager->GetDefaultFontColor() : 0xFF000000;
    if (text.IsEmpty()) {
        if (m_sTipValue.IsEmpty() || IsFocused()) return;
        text = m_sTipValue;
        color = m_dwTipValueColor;
    }
    RECT pad = ScaleRect(m_rcTextPadding);
    RECT rc{m_rcItem.left + pad.left, m_rcItem.top + pad.top, m_rcItem.right - pad.right, m_rcItem.bottom - pad.bottom};
    UINT style = m_uTextStyle | DT_NOPREFIX;
    if (!m_bMultiLine) style = (style | DT_SINGLELINE | DT_VCENTER) & ~DT_WORDBREAK;
    CRenderEngine::DrawText(hDC, m_pManager, rc, text, color, m_iFont, style);
}

} // namespace DuiLib
