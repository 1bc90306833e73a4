// The eight windows of a run and what they share: the program-wide state,
// the platform and the Ui. A window is loaded (constructed, realised, its
// Form_Load run) and unloaded by type; an unloaded window stays alive until
// the next load of its type, since its own handler may still be running.
// The two ways one window locks another live here too: a picker the owner
// waits for, and an owned window that gives its owner back as it unloads.
#pragma once

#include <array>
#include <functional>
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
class FormUndo;

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
    // Runs Form_Unload and takes the window off the screen; an owned
    // window gives its owner back (see LoadOwned).
    template <class F> void Unload();

    // A picker: owner is disabled, F loaded, and the caller waits while
    // open() holds (F answers through the state and unloads itself); then
    // owner is enabled and takes the focus. The caller sets the flag open()
    // reads before calling.
    template <class F> void RunPicker(Form& owner, const std::function<bool()>& open);
    // An owned window, not waited for: owner is disabled and F loaded. When
    // F unloads, owner is enabled before F goes (so Windows hands the
    // activation back to it, not to another program) and takes the focus
    // after.
    template <class F> F& LoadOwned(Form& owner);

private:
    static constexpr int kCount = 8;
    using Make = std::unique_ptr<Form> (*)(Context&);
    struct Slot {
        std::unique_ptr<Form> live;
        std::unique_ptr<Form> retired;
        Form* owner = nullptr; // locked while this one is loaded
    };
    template <class F> static Make Maker() {
        return [](Context& c) -> std::unique_ptr<Form> { return std::make_unique<F>(c); };
    }
    Form& LoadSlot(int id, Make make);
    void UnloadSlot(int id);
    void RunPickerSlot(int id, Make make, Form& owner, const std::function<bool()>& open);
    Form& LoadOwnedSlot(int id, Make make, Form& owner);
    bool IsLive(const Form* form) const;

    Context ctx_;
    std::array<Slot, kCount> slots_;
};

} // namespace telk::ui

namespace telk::ui {

template <class F> F& Windows::Load() {
    return static_cast<F&>(LoadSlot(F::kId, Maker<F>()));
}

template <class F> F* Windows::Get() const {
    return static_cast<F*>(slots_[F::kId].live.get());
}

template <class F> void Windows::Unload() {
    UnloadSlot(F::kId);
}

template <class F> void Windows::RunPicker(Form& owner, const std::function<bool()>& open) {
    RunPickerSlot(F::kId, Maker<F>(), owner, open);
}

template <class F> F& Windows::LoadOwned(Form& owner) {
    return static_cast<F&>(LoadOwnedSlot(F::kId, Maker<F>(), owner));
}

} // namespace telk::ui
