// Every window's layout makes sense on screen: each control lies inside its
// window, no control that takes input is covered by another control, and
// the tab order has no two controls on one stop.
#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/RunFixture.h"
#include "ui/client_folder/FormUoSel.h"
#include "ui/launch/FormRunUO.h"
#include "ui/launch/FormWait.h"
#include "ui/main/FormMain.h"
#include "ui/pickers/FormSelDir.h"
#include "ui/pickers/FormSelFile.h"
#include "ui/settings/FormSetup.h"
#include "ui/undo/FormUndo.h"

namespace telk::ui {
namespace {

// How far two rectangles reach into each other, in the lesser direction.
int Overlap(const Rect& a, const Rect& b) {
    const int across = std::min(a.left + a.width, b.left + b.width) - std::max(a.left, b.left);
    const int down = std::min(a.top + a.height, b.top + b.height) - std::max(a.top, b.top);
    return std::max(0, std::min(across, down));
}

// One pixel at 96 DPI: a caption's box may reach that far into the box
// below it, and no further.
constexpr int kSliver = 15;

TEST(Layouts, ControlsLieInsideTheirWindowUncoveredInATabOrderOfTheirOwn) {
    test::RunFixture world;
    Context& ctx = world.Windows().Ctx();
    std::vector<std::unique_ptr<Form>> forms;
    forms.push_back(std::make_unique<FormUoSel>(ctx));
    forms.push_back(std::make_unique<FormMain>(ctx));
    forms.push_back(std::make_unique<FormSetup>(ctx));
    forms.push_back(std::make_unique<FormRunUO>(ctx));
    forms.push_back(std::make_unique<FormWait>(ctx));
    forms.push_back(std::make_unique<FormSelDir>(ctx));
    forms.push_back(std::make_unique<FormSelFile>(ctx));
    forms.push_back(std::make_unique<FormUndo>(ctx));
    for (const auto& form : forms) {
        SCOPED_TRACE(form->Caption());
        const FormLayout& layout = form->Layout();
        std::set<int> tabStops;
        for (const Control* c : form->Controls()) {
            SCOPED_TRACE(c->Name());
            const Rect& r = c->Bounds();
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.left + r.width <= layout.clientWidth &&
                        r.top + r.height <= layout.clientHeight);
            if (c->TabIndex() >= 0) {
                EXPECT_TRUE(tabStops.insert(c->TabIndex()).second) << c->TabIndex();
            }
            // Labels may touch labels; nothing may lie over a control the user works.
            if (!c->TakesFocus()) continue;
            for (const Control* other : form->Controls()) {
                if (other != c) {
                    EXPECT_LE(Overlap(r, other->Bounds()), other->TakesFocus() ? 0 : kSliver) << other->Name();
                }
            }
        }
    }
}

} // namespace
} // namespace telk::ui
