// The windows a start shows before the main window, for the tests of the
// folder window, its picker, the settings window and the program picker:
// telk.ini names both clients and the install C:\Games\UO, nothing else is
// on disk, and the run is not started yet.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "support/RunFixture.h"
#include "ui/client_folder/FormUoSel.h"
#include "ui/forms/Control.h"
#include "ui/pickers/FormSelDir.h"
#include "ui/pickers/FormSelFile.h"
#include "ui/settings/FormSetup.h"

namespace telk::test {

using ui::FormSelDir;
using ui::FormSelFile;
using ui::FormSetup;
using ui::FormUoSel;

class StartWindows : public ::testing::Test, public RunFixture {
protected:
    inline static const std::string k2D = "C:\\Clients\\2D\\UO.exe";
    inline static const std::string k3D = "C:\\Clients\\3D\\UO.exe";

    StartWindows() : RunFixture(Begin::EmptyFolder) { WriteIni({k2D, k3D, "C:\\Games\\UO\\"}); }

    ui::FormUoSel& Owner() const {
        ui::FormUoSel* form = Get<ui::FormUoSel>();
        if (form == nullptr) throw std::logic_error("the client folder window is not loaded");
        return *form;
    }

    // Presses button, which opens the picker P and waits for it to close,
    // and runs inside in that wait; inside must close the picker.
    template <class P> void InPicker(ui::CommandButton& button, std::function<void(P&)> inside) {
        Ui().DuringWait([this, inside] {
            P* picker = Get<P>();
            ASSERT_NE(picker, nullptr);
            inside(*picker);
        });
        EXPECT_TRUE(button.UserClick());
    }
};

} // namespace telk::test
