// The control model: a retained description of each control with its
// properties and their events: a selection or an option button turned on
// from code raises the same click as the user's choice. No
// toolkit here: a backend mirrors the model through ControlPeer and feeds
// the user's actions back through the User* calls (BACKENDS.md).
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace telk {
class FileSystem;
}

namespace telk::ui {

class Form;
class Control;

enum class ControlKind { Label, TextBox, CommandButton, ComboBox, OptionButton, Line, DriveList, FolderList, FileList, ListBox };

struct Rect {
    int left = 0, top = 0, width = 0, height = 0; // twips
};

enum class Align { Left, Center };

struct Font {
    std::string face{}; // empty: the system's Japanese UI font
    double points = 9;
    bool bold = false;
};

// The arrow keys, as a backend reports them on the focused control.
enum class Arrow { Up, Down, Left, Right };

// What changed, so a backend updates only that.
enum class Prop { Text, Enabled, Items, ListIndex, Value, Path, Focus };

class ControlPeer {
public:
    virtual ~ControlPeer() = default;
    virtual void Changed(Control& control, Prop what) = 0;
};

// Layout table row: name, index (-1 unless in a control array), position,
// tab index (-1: none), text at design time. A row names what differs from
// these defaults, with designated initialisers.
struct ControlLayout {
    std::string name{};
    int index = -1;
    Rect rect{};
    int tabIndex = -1;
    std::string text{};
    Align align = Align::Left;
    Font font{};
};

class Control {
public:
    Control(Form& form, ControlKind kind, ControlLayout layout);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Form& Owner() const { return form_; }
    ControlKind Kind() const { return kind_; }
    const std::string& Name() const { return layout_.name; }
    int Index() const { return layout_.index; }
    const Rect& Bounds() const { return layout_.rect; }
    int TabIndex() const { return layout_.tabIndex; }
    Align Alignment() const { return layout_.align; }
    const Font& FontSpec() const { return layout_.font; }
    bool TakesFocus() const; // by kind: not labels or lines

    // Caption of labels and buttons, text of text boxes and combo boxes.
    const std::string& Text() const { return text_; }
    void SetText(std::string text);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    void SetFocus();

    // Enabled, and its form loaded and enabled: what user input needs.
    bool CanTakeInput() const;

    // The user's actions. Each returns false (and does nothing) when the
    // control cannot take input.
    bool UserClick();
    bool UserType(const std::string& text);

    std::function<void()> Click;
    std::function<void()> Change;

    void SetPeer(ControlPeer* peer) { peer_ = peer; }

protected:
    void Notify(Prop what);
    void Raise(const std::function<void()>& handler);
    // For backends and user actions: sets the text without an event.
    void StoreText(std::string text);

private:
    Form& form_;
    ControlKind kind_;
    ControlLayout layout_;
    std::string text_;
    bool enabled_ = true;
    ControlPeer* peer_ = nullptr;
};

class Label : public Control {
public:
    Label(Form& form, ControlLayout layout) : Control(form, ControlKind::Label, std::move(layout)) {}
};

class TextBox : public Control {
public:
    TextBox(Form& form, ControlLayout layout) : Control(form, ControlKind::TextBox, std::move(layout)) {}
};

class CommandButton : public Control {
public:
    CommandButton(Form& form, ControlLayout layout) : Control(form, ControlKind::CommandButton, std::move(layout)) {}
};

class Line : public Control {
public:
    // A horizontal rule: from (left, top), width long; its height is 0.
    Line(Form& form, ControlLayout layout) : Control(form, ControlKind::Line, std::move(layout)) {}
};

// Option buttons of one form are one group: turning one on turns the
// others off. Turning one on that was off raises its Click.
class OptionButton : public Control {
public:
    OptionButton(Form& form, ControlLayout layout);
    bool Value() const { return value_; }
    void SetValue(bool on);
    bool UserChoose();
    // An arrow key while this button has the focus: the next button of the
    // group (Down, Right) or the previous one (Up, Left) is turned on and
    // takes the focus.
    bool UserArrow(Arrow key);

private:
    friend class Form;
    void StoreValue(bool on);
    bool value_ = false;
};

// Shared list behaviour: items, a list index (-1: none).
class ListControl : public Control {
public:
    using Control::Control;
    const std::vector<std::string>& Items() const { return items_; }
    int ListIndex() const { return index_; }
    int ListCount() const { return static_cast<int>(items_.size()); }

protected:
    void StoreItems(std::vector<std::string> items);
    void StoreIndex(int index);
    // A row at the end; the chosen one stays chosen.
    void AddItem(const std::string& item);

private:
    std::vector<std::string> items_;
    int index_ = -1;
};

// Drop-down combo box with an editable field. Text is what the field shows,
// chosen or typed. Setting ListIndex (from code or by the user) sets Text
// to the entry and raises Click; typing raises nothing.
class ComboBox : public ListControl {
public:
    ComboBox(Form& form, ControlLayout layout) : ListControl(form, ControlKind::ComboBox, std::move(layout)) {}
    void Clear();
    using ListControl::AddItem;
    // Throws std::out_of_range for an index outside the list, which is
    // never clamped; -1 clears the choice.
    void SetListIndex(int index);
    bool UserSelect(int index);
};

// A plain list of text rows, one of them selected. Setting ListIndex (from
// code or by the user) raises Click; opening a row (double-click, Enter)
// selects it and raises DblClick.
class ListBox : public ListControl {
public:
    ListBox(Form& form, ControlLayout layout) : ListControl(form, ControlKind::ListBox, std::move(layout)) {}
    void Clear();
    using ListControl::AddItem;
    // Throws std::out_of_range for an index outside the list; -1 selects nothing.
    void SetListIndex(int index);
    bool UserSelect(int index);
    bool UserOpen(int index);

    std::function<void()> DblClick;
};

// A drive list: the machine's drives, "c: [label]" style entries,
// one current drive. Changing the drive raises Change.
class DriveListBox : public ListControl {
public:
    DriveListBox(Form& form, ControlLayout layout, FileSystem& fs);
    // Fills the list and makes the current folder's drive current. Throws nothing.
    void Refresh();
    const std::string& Drive() const { return drive_; } // "C:\"
    // Shows root as current without the Change event (to step back after a
    // drive that could not be read).
    void ShowDrive(const std::string& root);
    bool UserSelect(int index);

private:
    FileSystem& fs_;
    std::vector<std::string> roots_;
    std::string drive_;
};

// A folder list: the parent chain of Path (each ancestor, root
// first) and then Path's sub-folders. Path is the opened folder; a
// highlighted entry is not. Opening an entry (double-click) sets Path and
// raises Change.
class DirListBox : public ListControl {
public:
    DirListBox(Form& form, ControlLayout layout, FileSystem& fs);
    const std::string& Path() const { return path_; } // "C:\", "C:\Games\UO"
    // Throws FileError when the folder cannot be listed; nothing changes then.
    void SetPath(const std::string& path);
    // Full path of entry i of the list.
    std::string EntryPath(int index) const;
    int OpenIndex() const { return openIndex_; } // index of Path's own entry
    // The ordinary files of Path, sorted, from the same listing as the
    // sub-folders: a file list beside it shows them without a walk of its own.
    const std::vector<std::string>& Files() const { return files_; }
    bool UserHighlight(int index);
    // May throw FileError as SetPath does; with OpenFailed set, that is
    // raised instead and the list stays as it was.
    bool UserOpen(int index);

    std::function<void()> OpenFailed;

private:
    FileSystem& fs_;
    std::string path_;
    std::vector<std::string> entryPaths_;
    std::vector<std::string> files_;
    int openIndex_ = -1;
};

// A file list: every ordinary file of Path, as the folder list
// it follows read them. FileName is the selected name, or empty.
class FileListBox : public ListControl {
public:
    // Starts on the folder list's opened folder.
    FileListBox(Form& form, ControlLayout layout, const DirListBox& folders);
    const std::string& Path() const { return path_; }
    // Moves to the folder list's opened folder.
    void Follow(const DirListBox& folders);
    std::string FileName() const;
    bool UserSelect(int index);

private:
    std::string path_;
};

// A control array, indexed 0 to N - 1 as Option1(i).
template <class C, int N> class ControlArray {
public:
    template <class Make> explicit ControlArray(Make make) {
        for (int i = 0; i < N; ++i) items_[i] = make(i);
    }
    C& operator()(int i) { return *items_.at(static_cast<std::size_t>(i)); }
    const C& operator()(int i) const { return *items_.at(static_cast<std::size_t>(i)); }
    static constexpr int Count() { return N; }

private:
    std::array<std::unique_ptr<C>, N> items_;
};

} // namespace telk::ui
