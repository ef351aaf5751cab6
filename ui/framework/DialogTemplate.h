#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace telmaq {

// What a control in a template becomes; the style bits refine it (alignment, borders, digits
// only, sorting, the up-down's buddy rules).
enum class ControlKind
{
    Label,      // static text
    Icon,       // static showing the program icon
    GroupBox,   // frame around related controls
    CheckBox,   // toggles itself when clicked
    PushButton, // BS_DEFPUSHBUTTON in the style makes it the default button
    Edit,       // single-line edit
    DropDownList,
    UpDown, // arrows that step the integer in their buddy edit
};

// One control, positions and sizes in dialog units.
struct ControlTemplate
{
    int id = -1;
    ControlKind kind = ControlKind::Label;
    std::string text;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
};

// A dialog as data: the framework builds the window and its controls from it. The controls are
// listed in template order, which is also the tab order.
struct DialogTemplate
{
    int id = 0;
    std::string caption;
    int width = 0; // client size in dialog units
    int height = 0;
    std::string fontFace;
    int pointSize = 9;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::vector<ControlTemplate> controls;

    // The control with this id, or nullptr; labels without an id are never found.
    const ControlTemplate* control(int controlId) const
    {
        if (controlId < 0)
            return nullptr;
        for (const auto& c : controls) {
            if (c.id == controlId)
                return &c;
        }
        return nullptr;
    }
};

} // namespace telmaq
