#include "ui/framework/qt/WindowManagerHints.h"

#include "ui/dialogs/DialogTemplates.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace telmaq {
namespace {

// Title bars offer what the templates give: caption, system menu (close) and the minimise box
// where there is one, and moving; never resizing or maximising, as the size is fixed.
TEST(WindowManagerHints, OfferWhatTheTemplatesGive)
{
    using H = MotifWmHints;
    const std::uint32_t dialogDecorations = H::kDecorBorder | H::kDecorTitle | H::kDecorMenu;
    const struct
    {
        const DialogTemplate* dialog;
        std::uint32_t functions;
        std::uint32_t decorations;
    } cases[] = {
        {&mainDialogTemplate(), H::kFuncMove | H::kFuncClose | H::kFuncMinimize, dialogDecorations | H::kDecorMinimize},
        {&connectingDialogTemplate(), H::kFuncMove | H::kFuncClose, dialogDecorations},
        {&timeDialogTemplate(), H::kFuncMove | H::kFuncClose, dialogDecorations},
        {&aboutDialogTemplate(), H::kFuncMove | H::kFuncClose, dialogDecorations},
    };
    for (const auto& c : cases) {
        const MotifWmHints hints = motifWmHintsFor(c.dialog->style);
        EXPECT_EQ(hints.flags, H::kFunctions | H::kDecorations) << c.dialog->caption;
        EXPECT_EQ(hints.functions, c.functions) << c.dialog->caption;
        EXPECT_EQ(hints.decorations, c.decorations) << c.dialog->caption;
    }
}

} // namespace
} // namespace telmaq
