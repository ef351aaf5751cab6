#pragma once

#include "ui/framework/MessageBox.h"
#include "ui/framework/WindowStyles.h"

#include <string>
#include <vector>

namespace telmaq::test {

// Stands in for the message boxes: notes every box and answers OK at once, so no test ever
// waits on a window nobody will click.
struct MessageBoxRecorder : IMessageBox
{
    struct Shown
    {
        Dialog* owner;
        std::string text, title;
        unsigned style;
    };

    int messageBox(Dialog* owner, const std::string& text, const std::string& title, unsigned style) override
    {
        shown.push_back({owner, text, title, style});
        return IDOK;
    }
    // The texts in the order they were shown.
    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const Shown& box : shown)
            result.push_back(box.text);
        return result;
    }

    std::vector<Shown> shown;
};

} // namespace telmaq::test
