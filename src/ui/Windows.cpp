#include "ui/Windows.h"

#include "ui/Messages.h"

namespace telk::ui {

// The toolkit knows no program: the program's words for what a handler let
// through go to the dispatcher here, for every run of the windows.
Windows::Windows(ProgramState& state, Platform& platform, Ui& ui) : ctx_{state, platform, ui, *this} {
    ui.SetFailureText(FailureText);
}

Windows::~Windows() = default;

Form& Windows::LoadSlot(int id, std::unique_ptr<Form> (*make)(Context&)) {
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
    slot.live->Form_Unload();
    slot.live->MarkLoaded(false);
    ctx_.ui.Unrealize(*slot.live);
    // Its handler may still be on the stack: keep it until the next load.
    slot.retired = std::move(slot.live);
}

} // namespace telk::ui
