#include "ui/framework/win32/DialogWindow.h"

namespace telmaq {

namespace {

class ResourceWriter
{
public:
    void word(unsigned value) { m_words.push_back(static_cast<WORD>(value)); }
    void dword(std::uint32_t value)
    {
        word(value & 0xFFFFu);
        word(value >> 16);
    }
    void text(const std::string& utf8)
    {
        for (const wchar_t c : win32::wide(utf8))
            word(c);
        word(0);
    }
    void alignToDword()
    {
        if (m_words.size() % 2)
            word(0);
    }
    std::vector<WORD> take() { return std::move(m_words); }

private:
    std::vector<WORD> m_words;
};

// The dialog manager's predefined classes by atom; the up-down control has a name only.
void writeClass(ResourceWriter& out, ControlKind kind)
{
    switch (kind) {
    case ControlKind::CheckBox:
    case ControlKind::GroupBox:
    case ControlKind::PushButton:
        out.word(0xFFFF);
        out.word(0x0080);
        return;
    case ControlKind::Edit:
        out.word(0xFFFF);
        out.word(0x0081);
        return;
    case ControlKind::Label:
    case ControlKind::Icon:
        out.word(0xFFFF);
        out.word(0x0082);
        return;
    case ControlKind::DropDownList:
        out.word(0xFFFF);
        out.word(0x0085);
        return;
    case ControlKind::UpDown:
        out.text("msctls_updown32");
        return;
    }
}

std::uint32_t controlStyle(const ControlTemplate& control)
{
    std::uint32_t style = control.style;
    // The list sorts its items itself, in the Japanese order; the control's own sort would
    // undo that.
    if (control.kind == ControlKind::DropDownList)
        style &= ~static_cast<std::uint32_t>(CBS_SORT);
    return style;
}

} // namespace

std::vector<WORD> buildDialogResource(const DialogTemplate& t)
{
    ResourceWriter out;
    out.word(1);      // dlgVer
    out.word(0xFFFF); // signature: the extended layout
    out.dword(0);     // helpID
    out.dword(t.exStyle);
    // Hidden until DoModal or Create shows it.
    out.dword((t.style | DS_SETFONT) & ~static_cast<std::uint32_t>(WS_VISIBLE));
    out.word(static_cast<unsigned>(t.controls.size()));
    out.word(0);
    out.word(0);
    out.word(static_cast<unsigned>(t.width));
    out.word(static_cast<unsigned>(t.height));
    out.word(0); // no menu
    out.word(0); // the dialog class
    out.text(t.caption);
    out.word(static_cast<unsigned>(t.pointSize));
    out.word(FW_NORMAL);
    out.word(SHIFTJIS_CHARSET << 8); // italic 0, character set
    out.text(t.fontFace);
    for (const ControlTemplate& c : t.controls) {
        out.alignToDword();
        out.dword(0); // helpID
        out.dword(c.exStyle);
        out.dword(controlStyle(c));
        out.word(static_cast<unsigned>(c.x));
        out.word(static_cast<unsigned>(c.y));
        out.word(static_cast<unsigned>(c.width));
        out.word(static_cast<unsigned>(c.height));
        out.dword(static_cast<std::uint32_t>(c.id));
        writeClass(out, c.kind);
        out.text(c.kind == ControlKind::Icon ? std::string() : c.text);
        out.word(0); // no creation data
    }
    return out.take();
}

} // namespace telmaq
