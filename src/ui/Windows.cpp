// The window registry: loading and unloading by type, and the owner each
// locked window gives back.
#include "ui/Windows.h"

#include <utility>

#include "ui/Messages.h"

namespace telk::ui {

// The toolkit knows no program: the program's words for what a handler let
// through go to the dispatcher here, for every run of the windows.
Windows::Windows(ProgramState& state, Platform& platform, Ui& ui) : ctx_{state, platform, ui, *this} {
    ui.SetFailureText(FailureText);
}

Windows::~Windows() = default;

Form& Windows::LoadSlot(int id, Make make) {
    Slot& slot = slots_.at(static_cast<std::size_t>(id));
    if (slot.live) return *slot.live;
    slot.retired.reset();
    slot.live = make(ctx_);
    Form& form = *slot.live;
    ctx_.ui.Realize(form);
    form.MarkLoaded(true);
    form.Form_Load();
    return form;
}

void Windows::UnloadSlot(int id) {
    Slot& slot = slots_.at(static_cast<std::size_t>(id));
    if (!slot.live) return;
    Form* owner = std::exchange(slot.owner, nullptr);
    if (!IsLive(owner)) owner = nullptr;
    if (owner) owner->SetEnabled(true);
    slot.live->Form_Unload();
    slot.live->MarkLoaded(false);
    ctx_.ui.Unrealize(*slot.live);
    // Its handler may still be on the stack: keep it until the next load.
    slot.retired = std::move(slot.live);
    if (owner) owner->SetFocus();
}

void Windows::RunPickerSlot(int id, Make make, Form& owner, const std::function<bool()>& open) {
    owner.SetEnabled(false);
    LoadSlot(id, make);
    ctx_.ui.WaitWhile(open);
    owner.SetEnabled(true);
    owner.SetFocus();
}

Form& Windows::LoadOwnedSlot(int id, Make make, Form& owner) {
    owner.SetEnabled(false);
    Form& form = LoadSlot(id, make);
    slots_.at(static_cast<std::size_t>(id)).owner = &owner;
    return form;
}

// An owner unloaded meanwhile has nothing left to give back.
bool Windows::IsLive(const Form* form) const {
    for (const Slot& slot : slots_)
        if (form && slot.live.get() == form) return true;
    return false;
}

} // namespace telk::ui
