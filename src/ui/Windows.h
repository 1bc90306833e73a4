// The seven windows of a run and what they share: the program-wide state,
// the platform and the Ui. A window is loaded (constructed, realised, its
// Form_Load run) and unloaded by type; an unloaded window stays alive until
// the next load of its type, since its own handler may still be running.
#pragma once

#include <array>
#include <memory>

#include "platform/Platform.h"
#include "store/ProgramState.h"
#include "ui/forms/Form.h"
#include "ui/forms/Ui.h"

namespace telk::ui {

class FormUoSel;
class FormMain;
class FormSetup;
class FormRunUO;
class FormWait;
class FormSelDir;
class FormSelFile;

// Every window's handle on the run.
struct Context {
    ProgramState& state;
    Platform& platform;
    Ui& ui;
    class Windows& windows;
};

class Windows {
public:
    Windows(ProgramState& state, Platform& platform, Ui& ui);
    ~Windows();

    Context& Ctx() { return ctx_; }

    // Loads the window if it is not loaded (runs its Form_Load) and returns it.
    template <class F> F& Load();
    // The loaded window, or nullptr.
    template <class F> F* Get() const;
    // Runs Form_Unload and takes the window off the screen.
    template <class F> void Unload();

private:
    static constexpr int kCount = 7;
    struct Slot {
        std::unique_ptr<Form> live;
        std::unique_ptr<Form> retired;
    };
    Form& LoadSlot(int id, std::unique_ptr<Form> (*make)(Context&));
    void UnloadSlot(int id);

    Context ctx_;
    std::array<Slot, kCount> slots_;
};

} // namespace telk::ui

namespace telk::ui {

template <class F> F& Windows::Load() {
    return static_cast<F&>(LoadSlot(F::kId, [](Context& c) -> std::unique_ptr<Form> { return std::make_unique<F>(c); }));
}

template <class F> F* Windows::Get() const {
    return static_cast<F*>(slots_[F::kId].live.get());
}

template <class F> void Windows::Unload() {
    UnloadSlot(F::kId);
}

} // namespace telk::ui
